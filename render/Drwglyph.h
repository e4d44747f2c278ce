#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

#include "render/RibbonCanvas.h"

// Text drawn from glyph outlines: filled with the brush, framed with the pen,
// turned by any angle (radians, counter-clockwise as seen on the surface).
void GlyphTextOut(RibbonCanvas &canvas, int x, int y, double angle, const QString &text);
void GlyphPolygons(RibbonCanvas &canvas, int penX, int penY, qint64 bufferSize,
                   const void *outline);
