#include "render/FitCheck.h"

#include <QStringList>
#include <QTransform>
#include <algorithm>
#include <cmath>

#include "model/Job.h"
#include "render/Arith.h"
#include "render/DrawJob.h"
#include "render/FaceCoverage.h"
#include "render/Pictures.h"
#include "render/RecordingCanvas.h"
#include "render/Typefaces.h"

namespace {

// Printing's scale: eighths of a millimetre.
constexpr int Scale = 8;

// The box a line of plain text covers: its cell, placed by the alignment and
// turned by the escapement (counter-clockwise on a surface whose y grows down).
QRectF TextBox(const CanvasOp &op) {
    RecordingCanvas measure;
    const FontId font = measure.createFont(op.font);
    measure.selectFont(font);
    const QSize extent = measure.textExtent(op.text);
    const TextMetrics metrics = measure.textMetrics();
    const double w = extent.width(), h = metrics.height;
    double u0 = 0, v0 = 0;
    if ((op.align & TextAlign::HorizontalMask) == TextAlign::Center)
        u0 = -w / 2;
    else if ((op.align & TextAlign::HorizontalMask) == TextAlign::Right)
        u0 = -w;
    if ((op.align & TextAlign::VerticalMask) == TextAlign::Baseline)
        v0 = -metrics.ascent;
    else if ((op.align & TextAlign::VerticalMask) == TextAlign::Bottom)
        v0 = -h;
    QTransform turn;
    turn.translate(op.at.x(), op.at.y());
    turn.rotate(-op.font.escapement / 10.0);
    return turn.mapRect(QRectF(u0, v0, w, h));
}

// The ink of everything drawn: letters, shadows, pictures.
QRectF InkBox(const RecordingCanvas &canvas) {
    QRectF box;
    const auto add = [&box](const QRectF &r) { box = box.isNull() ? r : box.united(r); };
    for (const CanvasOp &op : canvas.ops()) {
        switch (op.kind) {
            case CanvasOp::Kind::PolyPolygon: {
                if (op.points.isEmpty())
                    break;
                int left = op.points[0].x(), right = left, top = op.points[0].y(), bottom = top;
                for (const QPoint &p : op.points) {
                    left = std::min(left, p.x());
                    right = std::max(right, p.x());
                    top = std::min(top, p.y());
                    bottom = std::max(bottom, p.y());
                }
                add(QRectF(QPointF(left, top), QPointF(right, bottom)));
                break;
            }
            case CanvasOp::Kind::TextOut:
                if (!op.text.isEmpty())
                    add(TextBox(op));
                break;
            case CanvasOp::Kind::StretchBitmap:
                add(QRectF(op.rect).normalized());
                break;
            case CanvasOp::Kind::MaskedBitmap:
                add(QRectF(op.at, op.image.size()));
                break;
            default:
                break;
        }
    }
    return box;
}

int WholeMillimetres(double units) {
    return int(std::ceil(units / Scale - 1e-9));
}

QRectF ToMillimetres(const QRectF &units) {
    return QRectF(units.left() / Scale, units.top() / Scale, units.width() / Scale,
                  units.height() / Scale);
}

// The ink of one drawing of the ribbon (flags select the ends), as printing
// draws it but without cut marks and label, which always lie on the ribbon.
QRectF DrawnInk(const RenderContext &settings, const TJob &job, int flags) {
    RecordingCanvas canvas;
    canvas.setPrinting(true);
    RenderContext context = settings;
    context.DrawOrigin = QPoint(0, 0);
    DrawJob(context, job, canvas, Scale, flags | DrawOutline | DrawPrintColors);
    return InkBox(canvas);
}

void CheckBlock(const TJob &job, const QRectF &ink, FitFinding::End end,
                std::vector<FitFinding> &out) {
    if (ink.isNull())
        return;
    const double length = double(job.Laenge) * Scale, width = double(job.Breite) * Scale;
    const double before = -ink.left(), after = ink.right() - length;
    if (before > 0 || after > 0) {
        FitFinding f;
        f.kind = FitFinding::Kind::BeyondEnd;
        f.end = end;
        f.millimetres = WholeMillimetres(std::max(before, after));
        f.regionMm = ToMillimetres(before > after ? QRectF(ink.left(), 0, before, width)
                                                  : QRectF(length, 0, after, width));
        if (f.millimetres > 0)
            out.push_back(f);
    }
    const double above = -ink.top(), below = ink.bottom() - width;
    if (above > 0 || below > 0) {
        FitFinding f;
        f.kind = FitFinding::Kind::BeyondEdge;
        f.end = end;
        f.millimetres = WholeMillimetres(std::max(0.0, above) + std::max(0.0, below));
        f.regionMm = ToMillimetres(QRectF(ink.left(), 0, ink.width(), width));
        if (f.millimetres > 0)
            out.push_back(f);
    }
}

void CheckPicture(const QString &name, FitFinding::End end, std::vector<FitFinding> &out) {
    if (name.isEmpty())
        return;
    QImage picture;
    LoadPicture(name, DrawPrintColors, picture);
    if (!picture.isNull())
        return;
    FitFinding f;
    f.kind = FitFinding::Kind::MissingPicture;
    f.end = end;
    f.picture = name;
    out.push_back(f);
}

// How many characters a message names before it stops with "…".
constexpr qsizetype NamedCharacters = 5;

// A character as a message shows it: a combining mark on a dotted circle,
// so that it is seen at all and not merged into the quote before it.
QString ShownCharacter(char32_t ch) {
    QString shown;
    const QChar::Category c = QChar::category(ch);
    if (c == QChar::Mark_NonSpacing || c == QChar::Mark_SpacingCombining ||
        c == QChar::Mark_Enclosing)
        shown += QChar(0x25CC);
    return shown + QString::fromUcs4(&ch, 1);
}

void AddNew(QList<char32_t> &to, const QList<char32_t> &from) {
    for (const char32_t ch : from) {
        if (!to.contains(ch))
            to.append(ch);
    }
}

// What the ribbon's face and the label's face lack of the texts they print:
// one finding per face, marked where the text stands. The texts are checked
// as the layouts draw them: the centred style never prints the right text.
void CheckLetters(const RenderContext &context, const TJob &job, const QRectF &leftInk,
                  const QRectF &rightInk, std::vector<FitFinding> &out) {
    const QString face = job.FontName.str();
    const bool centred = job.Stil == Center;
    const bool ends = job.Stil == Align || job.Stil == UpSide;
    const QChar newline(QLatin1Char('\n'));
    const QList<char32_t> left =
        ends || centred ? FaceCoverage::MissingCharacters(face, job.TextLeft.lines().join(newline))
                        : QList<char32_t>();
    const QList<char32_t> right =
        ends ? FaceCoverage::MissingCharacters(face, job.TextRight.lines().join(newline))
             : QList<char32_t>();

    FitFinding text;
    text.kind = FitFinding::Kind::MissingLetters;
    // A ribbon without a face name prints in the default face; name that one.
    text.face = face.isEmpty() ? ResolveFace(face).family : face;
    text.characters = left;
    AddNew(text.characters, right);
    if (!text.characters.isEmpty()) {
        QRectF ink;
        if (centred) {
            text.end = FitFinding::End::Centre;
            ink = leftInk;
        } else if (right.isEmpty()) {
            text.end = FitFinding::End::Left;
            ink = leftInk;
        } else if (left.isEmpty()) {
            text.end = FitFinding::End::Right;
            ink = rightInk;
        } else {
            text.end = FitFinding::End::Both;
            ink = leftInk.isNull() ? rightInk : rightInk.isNull() ? leftInk : leftInk | rightInk;
        }
        if (!ink.isNull())
            text.regionMm = ToMillimetres(ink);
    }

    FitFinding label;
    label.kind = FitFinding::Kind::MissingLetters;
    label.end = FitFinding::End::Commission;
    label.face = CommissionFace();
    if (context.Kommission)
        label.characters = FaceCoverage::MissingCharacters(label.face, job.Kommission);
    // The same face twice would say the same sentence twice: one finding.
    if (!text.characters.isEmpty() && !label.characters.isEmpty() &&
        text.face.compare(label.face, Qt::CaseInsensitive) == 0) {
        AddNew(text.characters, label.characters);
        label.characters.clear();
    }
    if (!text.characters.isEmpty())
        out.push_back(text);
    if (!label.characters.isEmpty())
        out.push_back(label);
}

}  // namespace

QString QuotedCharacters(const QList<char32_t> &characters) {
    QStringList quoted;
    for (qsizetype i = 0; i < characters.size() && i < NamedCharacters; ++i)
        quoted << QStringLiteral("\u201e%1\u201c").arg(ShownCharacter(characters[i]));
    QString text = quoted.join(QStringLiteral(", "));
    if (characters.size() > NamedCharacters)
        text += QStringLiteral(", \u2026");
    return text;
}

QString MissingLettersMessage(const QString &face, const QList<char32_t> &characters) {
    return QStringLiteral("Die Schrift \u201e%1\u201c hat kein %2.")
        .arg(face, QuotedCharacters(characters));
}

QString TextInRibbonFace(const TJob &job) {
    QStringList lines;
    if (job.Stil == Align || job.Stil == Center || job.Stil == UpSide)
        lines += job.TextLeft.lines();
    if (job.Stil == Align || job.Stil == UpSide)
        lines += job.TextRight.lines();
    return lines.join(QLatin1Char('\n'));
}

bool FitFinding::isAboutRoom() const {
    return kind == Kind::BeyondEnd || kind == Kind::BeyondEdge || kind == Kind::Overlap;
}

QString FitFinding::endName() const {
    switch (end) {
        case End::Left:
            return QStringLiteral("links");
        case End::Right:
            return QStringLiteral("rechts");
        case End::Centre:
            return QStringLiteral("mitte");
        case End::Commission:
            return QStringLiteral("kommission");
        case End::Both:
            break;
    }
    return QStringLiteral("beide");
}

QString FitFinding::kindName() const {
    switch (kind) {
        case Kind::BeyondEnd:
            return QStringLiteral("zu-lang");
        case Kind::BeyondEdge:
            return QStringLiteral("zu-breit");
        case Kind::Overlap:
            return QStringLiteral("ueberlappung");
        case Kind::MissingLetters:
            return QStringLiteral("zeichen-fehlt");
        case Kind::MissingPicture:
            break;
    }
    return QStringLiteral("bild-fehlt");
}

QString FitFinding::message() const {
    const QString where = end == End::Centre ? QString() : QLatin1Char(' ') + endName();
    switch (kind) {
        case Kind::BeyondEnd:
            return QStringLiteral("Text%1 ist %2 mm zu lang.").arg(where).arg(millimetres);
        case Kind::BeyondEdge:
            return QStringLiteral("Text%1 ist %2 mm zu hoch f\u00fcr die Schleifenbreite.")
                .arg(where)
                .arg(millimetres);
        case Kind::Overlap:
            return QStringLiteral("Text links und rechts \u00fcberdecken sich auf %1 mm.")
                .arg(millimetres);
        case Kind::MissingLetters:
            return MissingLettersMessage(face, characters);
        case Kind::MissingPicture:
            break;
    }
    return QStringLiteral("Bild%1 \u201e%2\u201c fehlt.").arg(where, picture);
}

std::vector<FitFinding> CheckFit(const RenderContext &context, const TJob &job) {
    std::vector<FitFinding> findings;
    QRectF left, right;
    try {
        if (job.Stil == Center) {
            // The centre text ignores the end bits: one block.
            left = DrawnInk(context, job, DrawLeftEnd | DrawRightEnd);
            CheckBlock(job, left, FitFinding::End::Centre, findings);
        } else {
            left = DrawnInk(context, job, DrawLeftEnd);
            right = DrawnInk(context, job, DrawRightEnd);
            CheckBlock(job, left, FitFinding::End::Left, findings);
            CheckBlock(job, right, FitFinding::End::Right, findings);
            if (!left.isNull() && !right.isNull() && left.right() > right.left() &&
                left.top() < right.bottom() && right.top() < left.bottom()) {
                FitFinding f;
                f.kind = FitFinding::Kind::Overlap;
                f.end = FitFinding::End::Both;
                f.millimetres = WholeMillimetres(left.right() - right.left());
                f.regionMm = ToMillimetres(QRectF(
                    QPointF(right.left(), 0), QPointF(left.right(), double(job.Breite) * Scale)));
                if (f.millimetres > 0)
                    findings.push_back(f);
            }
        }
    } catch (const RenderOverflow &) {
        return {};
    }
    CheckPicture(job.BildNameLinks, FitFinding::End::Left, findings);
    CheckPicture(job.BildNameRechts, FitFinding::End::Right, findings);
    CheckLetters(context, job, left, right, findings);
    return findings;
}

int LargestFittingHeight(const RenderContext &context, const TJob &job, int lowest) {
    TJob trial;
    job.CopyTo(trial);
    trial.TextLeft.set(job.TextLeft.lines());
    trial.TextRight.set(job.TextRight.lines());
    const auto fits = [&trial, &context](int height) {
        trial.FontGroesse = height;
        for (const FitFinding &finding : CheckFit(context, trial)) {
            if (finding.isAboutRoom())
                return false;
        }
        return true;
    };
    lowest = std::max(lowest, 1);
    int high = job.FontGroesse;
    if (high < lowest || !fits(lowest))
        return 0;
    if (fits(high))
        return high;
    // Longer lines with taller letters: what fits at one height fits below
    // it. Halve the range between a fitting and a failing height.
    int low = lowest;
    while (high - low > 1) {
        const int middle = low + (high - low) / 2;
        (fits(middle) ? low : high) = middle;
    }
    return low;
}
