#include "app/cli/Trace.h"

#include <QHash>
#include <QRect>
#include <algorithm>
#include <climits>

#include "render/FaceCoverage.h"
#include "render/SymbolRuns.h"

namespace {

QString alignName(unsigned align) {
    QString horizontal;
    switch (align & TextAlign::HorizontalMask) {
        case TextAlign::Center:
            horizontal = QStringLiteral("center");
            break;
        case TextAlign::Right:
            horizontal = QStringLiteral("right");
            break;
        default:
            horizontal = QStringLiteral("left");
            break;
    }
    QString vertical;
    switch (align & TextAlign::VerticalMask) {
        case TextAlign::Baseline:
            vertical = QStringLiteral("baseline");
            break;
        case TextAlign::Bottom:
            vertical = QStringLiteral("bottom");
            break;
        default:
            vertical = QStringLiteral("top");
            break;
    }
    return horizontal + QLatin1Char(',') + vertical;
}

QString fontFields(const CanvasFont &font) {
    return QStringLiteral("height=%1 escapement=%2 face=%3")
        .arg(font.height)
        .arg(font.escapement)
        .arg(TraceQuoted(font.face));
}

// A rectangle as left, top, right and bottom: a QRect of the canvas covers
// x() to x() + width().
QString rectFields(const QRect &r) {
    return QStringLiteral("l=%1 t=%2 r=%3 b=%4")
        .arg(r.x())
        .arg(r.y())
        .arg(qint64(r.x()) + r.width())
        .arg(qint64(r.y()) + r.height());
}

QString colour(ColorRef c) {
    return QStringLiteral("$%1").arg(c, 8, 16, QLatin1Char('0')).toUpper();
}

QString ropName(RasterOp op) {
    switch (op) {
        case RasterOp::And:
            return QStringLiteral("and");
        case RasterOp::Or:
            return QStringLiteral("or");
        case RasterOp::Copy:
            break;
    }
    return QStringLiteral("copy");
}

QString polygonsLine(const CanvasOp &op) {
    if (op.points.isEmpty())
        return QStringLiteral("polygons count=%1 points=0 bbox=-").arg(op.counts.size());
    int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
    for (const QPoint &p : op.points) {
        l = std::min(l, p.x());
        t = std::min(t, p.y());
        r = std::max(r, p.x());
        b = std::max(b, p.y());
    }
    return QStringLiteral("polygons count=%1 points=%2 bbox=%3,%4,%5,%6")
        .arg(op.counts.size())
        .arg(op.points.size())
        .arg(l)
        .arg(t)
        .arg(r)
        .arg(b);
}

// The symbols a text draws from the symbol face because its own face lacks
// them, each once: " symbolface=\"DejaVu Sans\" symbols=\"✝☦\"", or nothing.
QString symbolFields(const CanvasOp &op) {
    const QList<FaceRun> runs = SymbolFaceRuns(op.font.face, op.text);
    QString symbols;
    for (const FaceRun &run : runs) {
        if (!run.symbolFace)
            continue;
        for (const char32_t ch : op.text.mid(run.from, run.length).toUcs4()) {
            const QString one = QString::fromUcs4(&ch, 1);
            if (!symbols.contains(one))
                symbols += one;
        }
    }
    if (symbols.isEmpty())
        return QString();
    return QStringLiteral(" symbolface=%1 symbols=%2")
        .arg(TraceQuoted(FaceCoverage::SymbolFace()), TraceQuoted(symbols));
}

}  // namespace

QString TraceQuoted(const QString &text) {
    QString out;
    out.reserve(text.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : text) {
        switch (c.unicode()) {
            case u'"':
                out += QLatin1String("\\\"");
                break;
            case u'\\':
                out += QLatin1String("\\\\");
                break;
            case u'\n':
                out += QLatin1String("\\n");
                break;
            case u'\r':
                out += QLatin1String("\\r");
                break;
            case u'\t':
                out += QLatin1String("\\t");
                break;
            default:
                if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0))
                    out += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
                else
                    out += c;
                break;
        }
    }
    out += QLatin1Char('"');
    return out;
}

QStringList TraceLines(const QVector<CanvasOp> &ops) {
    QStringList lines;
    QHash<FontId, CanvasFont> fonts;  // what each font id was made as
    for (const CanvasOp &op : ops) {
        switch (op.kind) {
            case CanvasOp::Kind::CreateFont:
                fonts.insert(op.fontId, op.font);
                lines << QStringLiteral("font ") + fontFields(op.font);
                break;
            case CanvasOp::Kind::SelectFont:
                lines << (op.fontId == 0 ? QStringLiteral("selectfont stock")
                                         : QStringLiteral("selectfont ") + fontFields(op.font));
                break;
            case CanvasOp::Kind::DeleteFont:
                lines << (fonts.contains(op.fontId)
                              ? QStringLiteral("deletefont ") + fontFields(fonts.value(op.fontId))
                              : QStringLiteral("deletefont id=%1").arg(op.fontId));
                break;
            case CanvasOp::Kind::TextOut:
                lines << QStringLiteral("textout x=%1 y=%2 align=%3 text=%4")
                                 .arg(op.at.x())
                                 .arg(op.at.y())
                                 .arg(alignName(op.align), TraceQuoted(op.text)) +
                             symbolFields(op);
                break;
            case CanvasOp::Kind::Line:
                lines << QStringLiteral("line x1=%1 y1=%2 x2=%3 y2=%4")
                             .arg(op.from.x())
                             .arg(op.from.y())
                             .arg(op.to.x())
                             .arg(op.to.y());
                break;
            case CanvasOp::Kind::PolyPolygon:
                lines << polygonsLine(op);
                break;
            case CanvasOp::Kind::Rectangle:
                lines << QStringLiteral("rectangle ") + rectFields(op.rect);
                break;
            case CanvasOp::Kind::FillRect:
                lines << QStringLiteral("fillrect %1 colour=%2")
                             .arg(rectFields(op.rect), colour(op.colour));
                break;
            case CanvasOp::Kind::StretchBitmap:
                lines
                    << QStringLiteral("bitmap %1 rop=%2").arg(rectFields(op.rect), ropName(op.op));
                break;
            case CanvasOp::Kind::MaskedBitmap:
                lines << QStringLiteral("maskedbitmap l=%1 t=%2 r=%3 b=%4 transparent=%5")
                             .arg(op.at.x())
                             .arg(op.at.y())
                             .arg(qint64(op.at.x()) + op.image.width())
                             .arg(qint64(op.at.y()) + op.image.height())
                             .arg(colour(op.colour));
                break;
            case CanvasOp::Kind::SetClipRect:
                lines << (op.rect.isNull() ? QStringLiteral("clip none")
                                           : QStringLiteral("clip ") + rectFields(op.rect));
                break;
            case CanvasOp::Kind::SaveState:
                lines << QStringLiteral("save");
                break;
            case CanvasOp::Kind::RestoreState:
                lines << QStringLiteral("restore");
                break;
        }
    }
    return lines;
}
