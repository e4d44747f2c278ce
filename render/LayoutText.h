#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

#include "render/RibbonCanvas.h"

// A ribbon line is drawn with at most this many characters.
constexpr int MaxLineLength = 255;

// Every font of the renderer: the same recipe, differing only in height
// (positive, so it is the cell height), angle and face.
CanvasFont RibbonFont(std::int32_t height, int escapement, const QString &face);

// The part of a line that is drawn.
QString DrawnLine(const QString &line);

// The largest text-extent width of the drawn lines under the current font; 0
// for no lines.
std::int32_t WidestLine(const RibbonCanvas &canvas, const QStringList &lines);

// The number of lines as a 32-bit count; more lines than that cannot be placed.
std::int32_t LineCount(const QStringList &lines);
