#pragma once

#include <QPainter>
#include <QPainterPath>
#include <QTransform>

#include "render/CanvasBase.h"

class FontRecipe;
class QPainterPath;

// A surface over a QPainter on any paint device: an image, a widget, a PDF or
// printer page. The mapping is laid over the transform the painter had when
// the canvas was made, so device units are that painter's coordinates.
//
// Raster operations work on raster devices only; on vector devices (PDF,
// printer) the AND and OR stretches draw what they would leave on white
// paper: AND paints the non-white pixels, OR the non-black ones.
class QPainterCanvas : public CanvasBase {
public:
    // The painter must stay active while the canvas lives; the canvas leaves
    // the painter's state as it found it.
    explicit QPainterCanvas(QPainter &painter, bool printing = false);
    ~QPainterCanvas() override;
    QPainterCanvas(const QPainterCanvas &) = delete;
    QPainterCanvas &operator=(const QPainterCanvas &) = delete;

    void textOut(int x, int y, const QString &text) override;
    // On vector devices (PDF, printer) only: text in a wholly transparent colour.
    void textLayer(int x, int y, double angle, const QString &text) override;
    void polyPolygon(const QVector<QPoint> &points, const QVector<int> &counts) override;
    void rectangle(const QRect &r) override;
    void fillRect(const QRect &r, ColorRef colour) override;
    void stretchBitmap(const QRect &target, const QImage &bitmap, RasterOp op) override;
    void maskedBitmap(QPoint topLeft, const QImage &bitmap, ColorRef transparent) override;

    bool isRasterDevice() const { return raster_; }

    // Stretches an image to a size the way a device context does by default
    // when it shrinks: each target pixel is the AND of the source pixels it
    // covers, so dark ink lines survive. Enlarging repeats pixels. The result
    // is RGB32; an empty size or image gives a null image.
    static QImage stretchBlackOnWhite(const QImage &image, QSize size);

protected:
    void drawLine(QPoint from, QPoint to) override;
    void mappingChanged() override;
    void clipChanged() override;
    void stateSaved() override;
    void stateRestored() override;

private:
    QPen pen() const;
    // Text in the reference font of its face, with the painter already scaled
    // to it; the symbols the face lacks from the symbol face. Into asShapes
    // as outlines instead of onto the device when given.
    void drawRuns(const QString &face, const FontRecipe &recipe, QPointF origin,
                  const QString &text, QPainterPath *asShapes = nullptr);
    // Whether a rectangle in logical units lies wholly outside the device.
    bool offDevice(const QRectF &logical) const;
    // On raster devices an image shrunk to the device pixels it lands on.
    QImage deviceSized(const QImage &image, const QRectF &target) const;

    QPainter &painter_;
    QTransform base_;
    QRectF deviceRect_;  // empty when the device is unknown: nothing is left out
    bool baseClipping_ = false;
    QPainterPath baseClip_;  // in the painter's coordinates at construction
    bool raster_ = false;
    int savedDepth_ = 0;
};
