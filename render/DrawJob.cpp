#include "render/DrawJob.h"

#include <QString>

#include "model/Job.h"
#include "render/Arith.h"
#include "render/LayoutText.h"
#include "render/ScopedFont.h"

namespace {

constexpr ColorRef Black = RgbColor(0, 0, 0);
constexpr ColorRef White = RgbColor(255, 255, 255);

// Cut marks sit this many logical units inside the long edges, whatever the scale.
constexpr std::int32_t MarkNear = 40;
constexpr std::int32_t MarkFar = 120;
// The commission label: 2.5 mm at the printing scale, 1 mm from the right end.
constexpr std::int32_t CommissionHeight = 20;
constexpr std::int32_t CommissionRightInset = 8;
constexpr int UpwardEscapement = 900;
constexpr int DownwardEscapement = 2700;

// The low five bits of the job's colour pick its printing colour.
constexpr std::uint32_t PrintColourMask = 31;

// With "Schriftrahmen" 2 a printer that cannot outline a plain "a" gets plain text.
bool CanDeliverOutlines(RibbonCanvas &canvas) {
    if (!canvas.isPrinting())
        return true;
    return canvas.glyphOutline(U'a', GlyphMatrix{}, nullptr, nullptr, 0) >= 0;
}

int OutlineFlags(const RenderContext &context, RibbonCanvas &canvas, int flags) {
    if (!(flags & DrawOutline))
        return flags;
    switch (context.Schriftrahmen) {
        case 0:
            return flags & ~DrawOutline;
        case 2:
            return CanDeliverOutlines(canvas) ? flags : flags & ~DrawOutline;
        default:
            return flags;
    }
}

void CallLayout(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                std::int32_t scale, int flags) {
    switch (job.Stil) {
        case Align:
            LayoutAlign(context, job, canvas, scale, flags);
            break;
        case Center:
            LayoutCenter(context, job, canvas, scale, flags);
            break;
        case UpSide:
            LayoutUpSide(context, job, canvas, scale, flags);
            break;
        default:
            break;  // unknown style: no text, no picture, marks still follow
    }
}

void DrawCutMarks(const RenderContext &context, RibbonCanvas &canvas, std::int32_t xe,
                  std::int32_t width) {
    const std::int32_t y0 = context.DrawOrigin.y();
    canvas.moveTo(xe, Add(y0, MarkNear));
    canvas.lineTo(xe, Add(y0, MarkFar));
    canvas.moveTo(xe, Add(y0, Sub(width, MarkFar)));
    canvas.lineTo(xe, Add(y0, Sub(width, MarkNear)));
}

void DrawCommission(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                    std::int32_t x, std::int32_t width, int escapement) {
    const QString &text = job.Kommission;
    if (text.isEmpty())
        return;
    const std::int32_t y = Add(context.DrawOrigin.y(), Div2(width));
    ScopedFont font(canvas, RibbonFont(CommissionHeight, escapement, CommissionFace()));
    font.select();
    canvas.setTextAlign(TextAlign::Center | TextAlign::Top);
    // The label must stay readable over text or picture: white cells.
    canvas.setBackgroundColor(White);
    const BackgroundMode previous = canvas.setBackgroundMode(BackgroundMode::Opaque);
    canvas.textOut(x, y, text);
    canvas.setBackgroundMode(previous);
}

void DrawPrintMarks(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                    std::int32_t scale, int flags, int penWidth) {
    canvas.setPen(Black, penWidth);
    canvas.setTextColor(Black);
    const bool marks = context.Schnittmarke;
    const bool label = context.Kommission;
    const std::int32_t width = Mul(scale, job.Breite);
    const std::int32_t x0 = context.DrawOrigin.x();
    if (flags & DrawLeftEnd) {
        if (marks)
            DrawCutMarks(context, canvas, x0, width);
        if (label)
            DrawCommission(context, job, canvas, Add(x0, scale), width, UpwardEscapement);
    }
    if (flags & DrawRightEnd) {
        const std::int32_t xe = Add(x0, Mul(scale, job.Laenge));
        if (marks)
            DrawCutMarks(context, canvas, xe, width);
        if (label)
            DrawCommission(context, job, canvas, Sub(xe, CommissionRightInset), width,
                           DownwardEscapement);
    }
}

void DeleteOutlineFont(RenderContext &context, RibbonCanvas &canvas) {
    if (context.OutlineFont != 0) {
        canvas.deleteFont(context.OutlineFont);
        context.OutlineFont = 0;
    }
}

// Steps 1 to 12 of a ribbon drawing. Every font made here is deleted on the
// way out, also when an overflow ends the drawing early.
void DrawRibbon(RenderContext &context, const TJob &job, RibbonCanvas &canvas, std::int32_t scale,
                int flags, BackgroundMode &modeToRestore) {
    const std::int32_t height = Mul(scale, job.FontGroesse);
    ScopedFont jobFont(canvas, RibbonFont(height, 0, job.FontName));
    jobFont.select();

    DeleteOutlineFont(context, canvas);
    context.OutlineFont = canvas.createFont(RibbonFont(height, 0, job.FontName));

    const int penWidth = (flags & DrawOutline) ? 1 : 0;
    canvas.setPen(Black, penWidth);
    context.ShadowStep = Div(height, 28);

    context.PrintColour = context.Colors[job.FontFarbe & PrintColourMask];
    canvas.setBrush(context.PrintColour);

    canvas.setTextColor((flags & DrawPrintColors) ? context.PrintColour : ColorRef(job.FontFarbe));

    flags = OutlineFlags(context, canvas, flags);

    modeToRestore = canvas.setBackgroundMode(BackgroundMode::Transparent);
    CallLayout(context, job, canvas, scale, flags);
    canvas.setBackgroundMode(modeToRestore);

    DeleteOutlineFont(context, canvas);
    canvas.setBrush(White);
    canvas.setPen(Black, penWidth);

    if (flags & DrawPrint)
        DrawPrintMarks(context, job, canvas, scale, flags, penWidth);
}

std::int32_t MeasureEnd(const TJob &job, const RibbonCanvas &context, bool leftEnd) {
    const TextLines &ownLines = leftEnd ? job.TextLeft : job.TextRight;
    switch (job.Stil) {
        case Align:
            return WidestLine(context, ownLines);
        case Center:
            return WidestLine(context, job.TextLeft);
        case UpSide:
            return Mul(LineCount(ownLines), context.textMetrics().height);
        default:
            return 0;
    }
}

}  // namespace

void DrawJob(RenderContext &context, const TJob &job, RibbonCanvas &canvas, std::int32_t scale,
             int flags) {
    const FontId entryFont = canvas.currentFont();
    BackgroundMode entryMode = canvas.backgroundMode();
    try {
        DrawRibbon(context, job, canvas, scale, flags, entryMode);
    } catch (const RenderOverflow &) {
        // This job is not drawn to the end; the surface is left as after a
        // finished drawing so that the next job draws normally.
        canvas.selectFont(entryFont);
        DeleteOutlineFont(context, canvas);
        canvas.setBackgroundMode(entryMode);
        canvas.setBrush(White);
        canvas.setPen(Black, (flags & DrawOutline) ? 1 : 0);
    }
}

QString CommissionFace() {
    return QStringLiteral("Arial");
}

std::int32_t JobTextLength(const TJob &job, RibbonCanvas &context, std::int32_t scale,
                           bool leftEnd) {
    ScopedFont font(context, RibbonFont(Mul(scale, job.FontGroesse), 0, job.FontName));
    const FontId previous = font.select();
    std::int32_t length = 0;
    try {
        length = MeasureEnd(job, context, leftEnd);
    } catch (const RenderOverflow &) {
        context.selectFont(previous);
        throw;
    }
    context.selectFont(previous);
    return length;
}
