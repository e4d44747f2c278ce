#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QVector>

#include "render/CanvasBase.h"

// One operation a RecordingCanvas saw, in logical units. Only the fields of
// its kind are filled; the mapping in effect is kept with every operation.
struct CanvasOp {
    enum class Kind {
        CreateFont,     // font, fontId (the new id)
        SelectFont,     // fontId, font (its description)
        DeleteFont,     // fontId
        TextOut,        // at, text, font, fontId, align, textColour, backgroundMode/-Colour
        Line,           // from, to, penColour, penWidth
        PolyPolygon,    // points, counts, penColour, penWidth, brushColour
        Rectangle,      // rect, penColour, penWidth, brushColour
        FillRect,       // rect, colour
        StretchBitmap,  // rect (target), op, image
        MaskedBitmap,   // at (top left), image, colour (the transparent one)
        SetClipRect,    // rect (null = no clip)
        SaveState,
        RestoreState,
    };

    Kind kind = Kind::TextOut;
    CanvasMapping mapping;

    QPoint at;
    QString text;
    CanvasFont font;
    FontId fontId = 0;
    unsigned align = 0;
    ColorRef textColour = 0;
    BackgroundMode backgroundMode = BackgroundMode::Transparent;
    ColorRef backgroundColour = 0;

    QPoint from;
    QPoint to;
    QVector<QPoint> points;
    QVector<int> counts;
    ColorRef penColour = 0;
    int penWidth = 0;
    ColorRef brushColour = 0;

    QRect rect;
    ColorRef colour = 0;
    RasterOp op = RasterOp::Copy;
    QImage image;
};

// A surface that draws nothing and remembers every operation, for tests of
// the renderer and the print methods. Metrics and extents come from the real
// fonts, exactly as on a painter surface.
class RecordingCanvas : public CanvasBase {
public:
    RecordingCanvas() = default;

    FontId createFont(const CanvasFont &font) override;
    FontId selectFont(FontId font) override;
    void deleteFont(FontId font) override;

    void textOut(int x, int y, const QString &text) override;
    qint64 glyphOutline(char32_t ch, const GlyphMatrix &matrix, GlyphMetrics *metrics, void *buffer,
                        qint64 bufferSize) override;

    void polyPolygon(const QVector<QPoint> &points, const QVector<int> &counts) override;
    void rectangle(const QRect &r) override;
    void fillRect(const QRect &r, ColorRef colour) override;
    void stretchBitmap(const QRect &target, const QImage &bitmap, RasterOp op) override;
    void maskedBitmap(QPoint topLeft, const QImage &bitmap, ColorRef transparent) override;

    void saveState() override;
    void restoreState() override;
    void setClipRect(const QRect &r) override;

    // A printer that cannot deliver glyph outlines: glyphOutline fails.
    void setOutlinesAvailable(bool available) { outlinesAvailable_ = available; }
    void setPrinting(bool printing) { setPrintingFlag(printing); }

    const QVector<CanvasOp> &ops() const { return ops_; }
    QVector<CanvasOp> opsOf(CanvasOp::Kind kind) const;
    void clearOps() { ops_.clear(); }

protected:
    void drawLine(QPoint from, QPoint to) override;

private:
    CanvasOp &record(CanvasOp::Kind kind);

    QVector<CanvasOp> ops_;
    bool outlinesAvailable_ = true;
};
