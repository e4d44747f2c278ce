#pragma once

#include <QString>
#include <QtGlobal>
#include <cstdint>
#include <vector>

#include "render/RibbonCanvas.h"

// Glyph outlines in the native format the outline text expects, built from
// FreeType: per contour a 16-byte header (size in bytes including the header,
// type 24, start point) followed by records (16-bit kind 1 line / 2 quadratic
// B-spline, 16-bit count, points). Points are 16.16 fixed point in device
// units with Y up. The face is the one ResolveFace gives for the name.
//
// With buffer null the required size is returned; otherwise the outline is
// written into the buffer (which must hold the required size) and the bytes
// written are returned. The cubic arcs of CFF and Type 1 faces are given as
// quadratic arcs within 1/8 pixel of the cubic. -1 when there is no outline:
// no face file, a face without outlines (bitmap faces), a character without a
// glyph, a bad size or a buffer that is too small. A blank glyph (space) gives
// 0 with valid metrics.
qint64 NativeGlyphOutline(const QString &face, double emPixels, char32_t ch, const GlyphMatrix &m,
                          GlyphMetrics *metrics, void *buffer, qint64 bufferSize);

// One point of a TrueType contour: 16.16 fixed point, on or off the curve.
struct ContourPoint {
    std::int32_t x = 0;
    std::int32_t y = 0;
    bool onCurve = true;
};

// Appends one closed contour in the native format. Contours of fewer than two
// points add nothing. False when the contour cannot be expressed (a record of
// more than 65535 points).
bool AppendNativeContour(const std::vector<ContourPoint> &points, std::vector<unsigned char> &out);

// Whether the face the name resolves to has a glyph of its own for the
// character (the same lookup NativeGlyphOutline makes). A face that does not
// open has none.
bool FaceHasGlyph(const QString &face, char32_t ch);
