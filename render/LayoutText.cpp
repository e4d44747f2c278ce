#include "render/LayoutText.h"

#include <algorithm>
#include <limits>

#include "render/Arith.h"

CanvasFont RibbonFont(std::int32_t height, int escapement, const QString &face) {
    CanvasFont font;
    font.height = height;
    font.width = 0;
    font.escapement = escapement;
    font.orientation = escapement;
    font.weight = 400;
    font.charSet = 0;
    font.outPrecision = 4;  // TrueType preferred
    font.clipPrecision = 0;
    font.quality = 2;         // proof
    font.pitchAndFamily = 2;  // variable pitch
    font.face = face;
    return font;
}

QString DrawnLine(const QString &line) {
    return line.left(MaxLineLength);
}

std::int32_t WidestLine(const RibbonCanvas &canvas, const QStringList &lines) {
    std::int32_t widest = 0;
    for (const QString &line : lines)
        widest = std::max<std::int32_t>(widest, canvas.textExtent(DrawnLine(line)).width());
    return widest;
}

std::int32_t LineCount(const QStringList &lines) {
    if (lines.size() > std::numeric_limits<std::int32_t>::max())
        throw RenderOverflow();
    return std::int32_t(lines.size());
}
