#include "render/DrawJob.h"

#include <QImage>
#include <cmath>
#include <numbers>
#include <optional>

#include "model/Job.h"
#include "render/Arith.h"
#include "render/Drwglyph.h"
#include "render/LayoutText.h"
#include "render/Pictures.h"
#include "render/ScopedFont.h"

namespace {

constexpr ColorRef Black = RgbColor(0, 0, 0);
constexpr double Pi = std::numbers::pi;

// Escapements of the turned job font in plain mode.
constexpr int UpsideDownEscapement = 1800;
constexpr int DownwardEscapement = 2700;
constexpr int UpwardEscapement = 900;

// What every layout measures at its start, in logical units, with the
// unturned job font still current.
struct Frame {
    std::int32_t scale = 0;
    std::int32_t width = 0;   // W
    std::int32_t length = 0;  // L
    std::int32_t margin = 0;  // R
    std::int32_t pitch = 0;   // h, the cell height of the job font
    std::int32_t lift = 0;    // c, the internal-leading correction
    const RenderContext *context = nullptr;
};

Frame MeasureFrame(const RenderContext &context, const TJob &job, const RibbonCanvas &canvas,
                   std::int32_t scale, int flags, bool withLift) {
    const TextMetrics metrics = canvas.textMetrics();
    Frame f;
    f.context = &context;
    f.scale = scale;
    f.width = Mul(scale, job.Breite);
    f.length = Mul(scale, job.Laenge);
    f.margin = Mul(scale, job.Rand);
    f.pitch = metrics.height;
    // Printer fonts carry their internal leading above the letters; lifting the
    // block by part of it centres the visible letters instead of the cells.
    if (withLift && (flags & DrawPrintColors) && context.InternalLeadingDivisor != 0)
        f.lift = Div(metrics.internalLeading, context.InternalLeadingDivisor);
    return f;
}

bool PlainMode(int flags) {
    return !(flags & DrawOutline);
}

// Top of a block of lines centred across the ribbon, raised by the lift.
std::int32_t BlockTop(const Frame &f, std::int32_t lines) {
    return Sub(Div2(Sub(f.width, Mul(lines, f.pitch))), f.lift);
}

// A picture's rectangle always reaches from -W to 2W across the ribbon, so
// only its width along the ribbon limits it.
LRect PictureRect(const Frame &f, std::int32_t left, std::int32_t right) {
    return LRect{left, Sub(0, f.width), right, Mul(2, f.width)};
}

void DrawEndPicture(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                    const QString &name, LRect rect, int flags, int angleDegrees) {
    QImage bitmap;
    LoadPicture(name, flags, bitmap, context.PictureFiles);
    DrawPicture(context, job, canvas, bitmap, rect, flags, angleDegrees, job.FontFarbe,
                context.PrintColour);
}

// In plain mode the surface's font carries the rotation of the text; in
// outline mode GlyphTextOut turns the outlines itself.
void SelectTurnedFont(const TJob &job, RibbonCanvas &canvas, std::int32_t scale, int flags,
                      int escapement, std::optional<ScopedFont> &font) {
    if (!PlainMode(flags))
        return;
    font.emplace(canvas, RibbonFont(Mul(scale, job.FontGroesse), escapement, job.FontName));
    font->select();
}

void DrawLines(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
               const QStringList &lines, std::int32_t x, std::int32_t y, std::int32_t stepX,
               std::int32_t stepY, int flags, double angle) {
    for (const QString &line : lines) {
        DrawTextLine(context, job, canvas, x, y, line, flags, angle);
        x = Add(x, stepX);
        y = Add(y, stepY);
    }
}

void AlignLeftEnd(const TJob &job, RibbonCanvas &canvas, const Frame &f, int flags) {
    const QStringList &lines = job.TextLeft;
    std::int32_t x = f.margin;
    if (!job.BildNameLinks.isEmpty()) {
        const std::int32_t pictureWidth = Mul(f.scale, job.BildBreiteLinks);
        DrawEndPicture(*f.context, job, canvas, job.BildNameLinks,
                       PictureRect(f, f.margin, Add(f.margin, pictureWidth)), flags, 0);
        x = Add(x, Add(pictureWidth, Mul(f.scale, job.BildAbstandLinks)));
    }
    // The block's left edge sits at x; each line is centred on the widest.
    x = Add(x, Div2(WidestLine(canvas, lines)));
    DrawLines(*f.context, job, canvas, lines, x, BlockTop(f, LineCount(lines)), 0, f.pitch, flags,
              0.0);
}

void AlignRightEnd(const TJob &job, RibbonCanvas &canvas, const Frame &f, int flags) {
    const QStringList &lines = job.TextRight;
    std::int32_t x = Mul(Sub(job.Laenge, job.Rand), f.scale);
    if (!job.BildNameRechts.isEmpty()) {
        const std::int32_t pictureWidth = Mul(f.scale, job.BildBreiteRechts);
        DrawEndPicture(*f.context, job, canvas, job.BildNameRechts,
                       PictureRect(f, Sub(x, pictureWidth), x), flags, job.Flip ? 180 : 0);
        x = Sub(x, Add(pictureWidth, Mul(f.scale, job.BildAbstandRechts)));
    }
    x = Sub(x, Div2(WidestLine(canvas, lines)));
    const std::int32_t count = LineCount(lines);
    if (!job.Flip) {
        DrawLines(*f.context, job, canvas, lines, x, BlockTop(f, count), 0, f.pitch, flags, 0.0);
        return;
    }
    // Upside down the first line lies at the bottom of the block, its top
    // when read from the other side of the wreath.
    std::optional<ScopedFont> turned;
    SelectTurnedFont(job, canvas, f.scale, flags, UpsideDownEscapement, turned);
    const std::int32_t y = Add(Sub(f.width, Div2(Sub(f.width, Mul(count, f.pitch)))), f.lift);
    DrawLines(*f.context, job, canvas, lines, x, y, 0, Sub(0, f.pitch), flags, Pi);
}

void UpSideLeftEnd(const TJob &job, RibbonCanvas &canvas, const Frame &f, int flags) {
    const QStringList &lines = job.TextLeft;
    std::int32_t x = f.margin;
    if (!job.BildNameLinks.isEmpty()) {
        const std::int32_t pictureWidth = Mul(f.scale, job.BildBreiteLinks);
        DrawEndPicture(*f.context, job, canvas, job.BildNameLinks,
                       PictureRect(f, f.margin, Add(f.margin, pictureWidth)), flags, 270);
        x = Add(x, Add(pictureWidth, Mul(f.scale, job.BildAbstandLinks)));
    }
    // Read downward, a line's cell lies to the left of its reference point:
    // the first line is the innermost and the block fills x to x + n·h.
    x = Add(x, Mul(LineCount(lines), f.pitch));
    DrawLines(*f.context, job, canvas, lines, x, Div2(f.width), Sub(0, f.pitch), 0, flags, -Pi / 2);
}

void UpSideRightEnd(const TJob &job, RibbonCanvas &canvas, const Frame &f, int flags) {
    const QStringList &lines = job.TextRight;
    std::int32_t x = Mul(Sub(job.Laenge, job.Rand), f.scale);
    if (!job.BildNameRechts.isEmpty()) {
        const std::int32_t pictureWidth = Mul(f.scale, job.BildBreiteRechts);
        DrawEndPicture(*f.context, job, canvas, job.BildNameRechts,
                       PictureRect(f, Sub(x, pictureWidth), x), flags, 90);
        x = Sub(x, Add(pictureWidth, Mul(f.scale, job.BildAbstandRechts)));
    }
    std::optional<ScopedFont> turned;
    SelectTurnedFont(job, canvas, f.scale, flags, UpwardEscapement, turned);
    x = Sub(x, Mul(LineCount(lines), f.pitch));
    DrawLines(*f.context, job, canvas, lines, x, Div2(f.width), f.pitch, 0, flags, Pi / 2);
}

// A line in outline mode: letters from their outlines, filled with the brush,
// with their text laid over them (not over a shadow: it would be read twice).
// A face that gives no outline at all (a bitmap face) writes the line as
// text in the brush's colour instead, turned as the outlines would be, so
// that it is never left off the ribbon.
void OutlineLine(const RenderContext &context, RibbonCanvas &canvas, std::int32_t x, std::int32_t y,
                 double angle, const QString &line, bool withText) {
    const FontId previous = canvas.selectFont(context.OutlineFont);
    if (GlyphOutlinesAvailable(canvas, angle, line)) {
        GlyphTextOut(context, canvas, x, y, angle, line);
        if (withText)
            canvas.textLayer(x, y, angle, line);
        canvas.selectFont(previous);
        return;
    }
    CanvasFont font = canvas.fontDescription(context.OutlineFont);
    int escapement = RoundEven(angle * 1800 / Pi) % 3600;
    if (escapement < 0)
        escapement += 3600;
    font.escapement = escapement;
    font.orientation = escapement;
    const ColorRef colour = canvas.textColor();
    {
        ScopedFont turned(canvas, font);
        turned.select();
        canvas.setTextColor(canvas.brushColor());
        canvas.textOut(x, y, line);
        canvas.selectFont(previous);
    }
    canvas.setTextColor(colour);
}

}  // namespace

void LayoutAlign(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                 std::int32_t scale, int flags) {
    const Frame f = MeasureFrame(context, job, canvas, scale, flags, true);
    canvas.setTextAlign(TextAlign::Center | TextAlign::Top);
    if (flags & DrawLeftEnd)
        AlignLeftEnd(job, canvas, f, flags);
    if (flags & DrawRightEnd)
        AlignRightEnd(job, canvas, f, flags);
}

// The centred layout is one block in the middle of the ribbon: it draws both
// pictures and the left text whatever ends are asked for, never the right text.
void LayoutCenter(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                  std::int32_t scale, int flags) {
    const Frame f = MeasureFrame(context, job, canvas, scale, flags, true);
    canvas.setTextAlign(TextAlign::Center | TextAlign::Top);
    if (!job.BildNameLinks.isEmpty()) {
        const std::int32_t pictureWidth = Mul(scale, job.BildBreiteLinks);
        DrawEndPicture(*f.context, job, canvas, job.BildNameLinks,
                       PictureRect(f, f.margin, Add(f.margin, pictureWidth)), flags, 0);
    }
    const QStringList &lines = job.TextLeft;
    DrawLines(*f.context, job, canvas, lines, Div2(f.length), BlockTop(f, LineCount(lines)), 0,
              f.pitch, flags, 0.0);
    if (!job.BildNameRechts.isEmpty()) {
        const std::int32_t left = Mul(Sub(Sub(job.Laenge, job.Rand), job.BildBreiteRechts), scale);
        DrawEndPicture(*f.context, job, canvas, job.BildNameRechts,
                       PictureRect(f, left, Add(left, Mul(scale, job.BildBreiteRechts))), flags, 0);
    }
}

// Lines run across the ribbon with their tops toward its middle at both ends.
void LayoutUpSide(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                  std::int32_t scale, int flags) {
    const Frame f = MeasureFrame(context, job, canvas, scale, flags, false);
    canvas.setTextAlign(TextAlign::Center | TextAlign::Top);
    std::optional<ScopedFont> turned;
    SelectTurnedFont(job, canvas, scale, flags, DownwardEscapement, turned);
    if (flags & DrawLeftEnd)
        UpSideLeftEnd(job, canvas, f, flags);
    if (flags & DrawRightEnd)
        UpSideRightEnd(job, canvas, f, flags);
}

void DrawTextLine(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                  std::int32_t x, std::int32_t y, const QString &text, int flags, double angle) {
    x = Add(context.DrawOrigin.x(), x);
    y = Add(context.DrawOrigin.y(), y);
    const QString line = DrawnLine(text);
    const bool outline = (flags & DrawOutline) != 0;

    if (job.Shadow) {
        // The shadow always falls toward the line's own lower right.
        const std::int32_t sx = Add(x, RoundEven(std::sin(angle + Pi / 4) * context.ShadowStep));
        const std::int32_t sy = Add(y, RoundEven(std::cos(angle + Pi / 4) * context.ShadowStep));
        if (outline) {
            const ColorRef fill = canvas.brushColor();
            canvas.setBrush(Black);
            OutlineLine(context, canvas, sx, sy, angle, line, false);
            canvas.setBrush(fill);
        } else {
            const ColorRef colour = canvas.textColor();
            canvas.setTextColor(Black);
            canvas.textOut(sx, sy, line);
            canvas.setTextColor(colour);
        }
    }

    if (outline) {
        OutlineLine(context, canvas, x, y, angle, line, true);
    } else {
        canvas.textOut(x, y, line);
    }
}
