#pragma once

#include <QByteArray>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QVector>
#include <cstdint>

#include "render/CanvasMapping.h"

// Colour value as the ribbon stores it: 0x00BBGGRR, or 0x01000000 + index into
// the default 20-entry system palette.
using ColorRef = std::uint32_t;

constexpr ColorRef RgbColor(int r, int g, int b) {
    return ColorRef(r & 0xFF) | (ColorRef(g & 0xFF) << 8) | (ColorRef(b & 0xFF) << 16);
}
constexpr ColorRef PaletteIndex(int index) {
    return 0x01000000u | ColorRef(index & 0xFFFF);
}

// Font description handed to RibbonCanvas::createFont. A positive height is the
// cell height (ascent + descent) in logical units, a negative one the em height.
struct CanvasFont {
    int height = 0;
    int width = 0;
    int escapement = 0;  // tenths of a degree, counter-clockwise
    int orientation = 0;
    int weight = 400;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
    int charSet = 0;
    int outPrecision = 4;
    int clipPrecision = 0;
    int quality = 2;
    int pitchAndFamily = 2;
    QString face;

    bool operator==(const CanvasFont &) const = default;
};

// Text alignment bits, with the values a GDI device context uses.
namespace TextAlign {
constexpr unsigned Left = 0;
constexpr unsigned Right = 2;
constexpr unsigned Center = 6;
constexpr unsigned HorizontalMask = 6;
constexpr unsigned Top = 0;
constexpr unsigned Bottom = 8;
constexpr unsigned Baseline = 24;
constexpr unsigned VerticalMask = 24;
}  // namespace TextAlign

enum class BackgroundMode { Transparent = 1, Opaque = 2 };

// Raster operation of a bitmap stretch: plain copy, source AND destination,
// source OR destination.
enum class RasterOp { Copy, And, Or };

struct TextMetrics {
    int height = 0;  // cell height
    int ascent = 0;
    int descent = 0;
    int internalLeading = 0;
    int externalLeading = 0;
    int aveCharWidth = 0;
    int maxCharWidth = 0;
};

// 2 x 2 matrix of 16.16 fixed-point numbers, as a glyph outline request takes it.
struct GlyphMatrix {
    std::int32_t eM11 = 0x10000;
    std::int32_t eM12 = 0;
    std::int32_t eM21 = 0;
    std::int32_t eM22 = 0x10000;
};

struct GlyphMetrics {
    std::uint32_t blackBoxX = 0;
    std::uint32_t blackBoxY = 0;
    QPoint glyphOrigin;
    int cellIncX = 0;  // device units, transformed by the matrix
    int cellIncY = 0;
};

using FontId = int;  // 0 = no font

// The surface a ribbon is drawn on: a preview item, an image, a printer or PDF
// page. Everything is in logical units under the surface's mapping; the
// renderer never looks at device pixels except for glyph outlines.
class RibbonCanvas {
public:
    virtual ~RibbonCanvas() = default;

    // Fonts. selectFont returns the font it replaces (0 for the surface's stock
    // font). A deleted font that is still selected stays usable until replaced.
    virtual FontId createFont(const CanvasFont &font) = 0;
    virtual FontId selectFont(FontId font) = 0;
    virtual void deleteFont(FontId font) = 0;
    virtual FontId currentFont() const = 0;
    virtual CanvasFont fontDescription(FontId font) const = 0;

    virtual void setTextColor(ColorRef colour) = 0;
    virtual ColorRef textColor() const = 0;
    virtual unsigned setTextAlign(unsigned align) = 0;  // returns the previous alignment
    virtual unsigned textAlign() const = 0;
    virtual BackgroundMode setBackgroundMode(BackgroundMode mode) = 0;  // returns the previous
    virtual BackgroundMode backgroundMode() const = 0;
    virtual void setBackgroundColor(ColorRef colour) = 0;

    virtual void textOut(int x, int y, const QString &text) = 0;
    // The text of letters drawn from their outlines, laid over them without
    // ink (reference point and alignment as for textOut with the current
    // font, turned by `angle` radians counter-clockwise), so that a document's
    // text can be found and copied. Surfaces that hold no text ignore it.
    virtual void textLayer(int /*x*/, int /*y*/, double /*angle*/, const QString & /*text*/) {}
    virtual TextMetrics textMetrics() const = 0;
    virtual QSize textExtent(const QString &text) const = 0;

    // The outline of one character of the current font in the native format
    // (polygon headers of type 24, line and quadratic B-spline records, 16.16
    // fixed point, device units, Y up), under the matrix. With buffer null the
    // required size is returned; otherwise the buffer is filled to bufferSize.
    // Returns -1 when the surface cannot deliver an outline for the character.
    virtual qint64 glyphOutline(char32_t ch, const GlyphMatrix &matrix, GlyphMetrics *metrics,
                                void *buffer, qint64 bufferSize) = 0;

    virtual const CanvasMapping &mapping() const = 0;
    virtual void setMapping(const CanvasMapping &mapping) = 0;
    void setMapMode(CanvasMapping::Mode mode);
    void setWindowOrg(QPoint org);
    void setWindowExt(QSize ext);
    void setViewportOrg(QPoint org);
    void setViewportExt(QSize ext);
    QPoint deviceToLogical(QPoint p) const { return mapping().deviceToLogical(p); }
    QPoint logicalToDevice(QPoint p) const { return mapping().logicalToDevice(p); }

    virtual void setPen(ColorRef colour, int width) = 0;  // solid; width 0 = thinnest line
    virtual ColorRef penColor() const = 0;
    virtual int penWidth() const = 0;
    virtual void setBrush(ColorRef colour) = 0;  // solid
    virtual ColorRef brushColor() const = 0;

    virtual void moveTo(int x, int y) = 0;
    virtual void lineTo(int x, int y) = 0;
    // Several closed polygons at once, even-odd fill with the brush, framed with the pen.
    virtual void polyPolygon(const QVector<QPoint> &points, const QVector<int> &counts) = 0;
    // Rectangles cover r.x() to r.x() + r.width() and r.y() to r.y() + r.height().
    virtual void rectangle(const QRect &r) = 0;  // framed with the pen, filled with the brush
    virtual void fillRect(const QRect &r, ColorRef colour) = 0;

    // Stretches a bitmap into a rectangle (logical units). And/Or combine a
    // 24-bit bitmap with what is already there. An empty target draws nothing.
    virtual void stretchBitmap(const QRect &target, const QImage &bitmap, RasterOp op) = 0;
    // Draws a bitmap at one pixel per logical unit with one colour transparent.
    virtual void maskedBitmap(QPoint topLeft, const QImage &bitmap, ColorRef transparent) = 0;

    virtual void saveState() = 0;
    virtual void restoreState() = 0;
    // Replaces the clip with a rectangle in logical units; a null rectangle
    // removes it. restoreState brings the saved clip back.
    virtual void setClipRect(const QRect &r) = 0;

    // Whether a print document is open on the printer behind this surface.
    virtual bool isPrinting() const = 0;
};
