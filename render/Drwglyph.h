#pragma once

#include <QByteArray>
#include <QMutex>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <vector>

#include "render/RenderContext.h"
#include "render/RibbonCanvas.h"

// Glyph outlines as a surface gave them, kept for a run so that each
// character of a font, size and turn is asked for and converted once. Safe to
// share between threads.
class GlyphCache {
public:
    struct Glyph;
    GlyphCache();
    ~GlyphCache();
    GlyphCache(const GlyphCache &) = delete;
    GlyphCache &operator=(const GlyphCache &) = delete;

    const Glyph *find(const QString &key) const;
    const Glyph *insert(const QString &key, std::unique_ptr<Glyph> glyph);

private:
    mutable QMutex guard_;
    std::map<QString, std::unique_ptr<Glyph>> glyphs_;
};

// Text drawn from glyph outlines: filled with the brush, framed with the pen,
// turned by any angle (radians, counter-clockwise as seen on the surface).
// The context's RasterizerMode says which way the vertical advance moves the pen.
void GlyphTextOut(const RenderContext &context, RibbonCanvas &canvas, int x, int y, double angle,
                  const QString &text);
// Whether the current font gives an outline for at least one character of the
// text under that angle; false for a face without outlines (bitmap faces),
// whose text GlyphTextOut would leave out altogether. True for empty text.
bool GlyphOutlinesAvailable(RibbonCanvas &canvas, double angle, const QString &text);
// One glyph in the native outline format, its origin at the pen position.
// Reads nothing outside bufferSize bytes; a damaged buffer draws what was
// complete before the damage.
void GlyphPolygons(RibbonCanvas &canvas, int penX, int penY, qint64 bufferSize,
                   const void *outline);

// A point of the native outline format: two 16.16 fixed-point numbers.
struct PointFx {
    std::int32_t x = 0;
    std::int32_t y = 0;
};

// 16.16 fixed point: the high 16 bits are the floor, the low 16 bits the
// fraction in 1/65536.
std::int32_t FixedFromReal(double v);                        // nearest, halves to even
int FixedToIntTruncated(std::int32_t f);                     // toward zero
int FixedToIntRounded(std::int32_t f);                       // nearest, an exact half rounds down
int FixedToIntFloor(std::int32_t f);                         // the integer part
std::int32_t FixedMidpoint(std::int32_t a, std::int32_t b);  // (a + b) / 2 toward zero

// Appends the quadratic arc p0-b-c as 5 straight segments (the points after
// p0, the last one exactly c).
void QSplineToPoints(PointFx p0, PointFx b, PointFx c, std::vector<QPoint> &points);
