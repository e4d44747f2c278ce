#include "render/QPainterCanvas.h"

#include <QPaintEngine>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "render/FaceCoverage.h"
#include "render/FontRecipe.h"
#include "render/ImageCache.h"
#include "render/SymbolRuns.h"
#include "render/SystemPalette.h"

namespace {

QColor Colour(ColorRef c) {
    return SystemPalette::colour(c);
}

// Source spans of each target pixel along one axis: a shrinking axis gives
// every target pixel its whole share, an enlarging one repeats pixels.
std::vector<std::pair<int, int>> Spans(int source, int target) {
    std::vector<std::pair<int, int>> spans(static_cast<std::size_t>(target));
    for (int i = 0; i < target; ++i) {
        const int from = int(qint64(i) * source / target);
        const int to = std::max(from + 1, int(qint64(i + 1) * source / target));
        spans[std::size_t(i)] = {from, std::min(to, source)};
    }
    return spans;
}

// The image with every pixel of one colour made fully transparent.
QImage MakeTransparent(const QImage &image, QRgb key) {
    QImage result = image.convertToFormat(QImage::Format_ARGB32);
    key &= 0xFFFFFF;
    for (int y = 0; y < result.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(result.scanLine(y));
        for (int x = 0; x < result.width(); ++x) {
            if ((row[x] & 0xFFFFFF) == key)
                row[x] = 0;
        }
    }
    return result;
}

// The same picture drawn again gets the same transparent image back, so a
// PDF holds it once however often it is drawn.
QImage WithTransparent(const QImage &image, QRgb key) {
    static thread_local ImageCache<std::pair<qint64, QRgb>> cache(32 * 1024 * 1024);
    key &= 0xFFFFFF;
    return cache.get({image.cacheKey(), key}, [&] { return MakeTransparent(image, key); });
}

// Text alignment relative to the reference point, in reference pixels:
// where the string starts and where its baseline lies.
QPointF TextOrigin(unsigned align, const FontRecipe &recipe, double advance) {
    double x = 0;
    switch (align & TextAlign::HorizontalMask) {
        case TextAlign::Center:
            x = -advance / 2;
            break;
        case TextAlign::Right:
            x = -advance;
            break;
        default:
            break;
    }
    double y = recipe.referenceAscent();
    switch (align & TextAlign::VerticalMask) {
        case TextAlign::Baseline:
            y = 0;
            break;
        case TextAlign::Bottom:
            y = -recipe.referenceDescent();
            break;
        default:
            break;
    }
    return QPointF(x, y);
}

}  // namespace

QPainterCanvas::QPainterCanvas(QPainter &painter, bool printing)
    : CanvasBase(printing), painter_(painter) {
    painter_.save();
    base_ = painter_.worldTransform();
    baseClipping_ = painter_.hasClipping();
    if (baseClipping_)
        baseClip_ = base_.map(painter_.clipPath());
    const QPaintEngine *engine = painter_.paintEngine();
    raster_ = engine && engine->type() == QPaintEngine::Raster;
    if (const QPaintDevice *device = painter_.device())
        deviceRect_ = QRectF(0, 0, device->width(), device->height());
    mappingChanged();
}

bool QPainterCanvas::offDevice(const QRectF &logical) const {
    if (deviceRect_.isEmpty())
        return false;
    // A margin for the pen's width and antialiasing.
    const QRectF device = painter_.worldTransform().mapRect(logical);
    const double margin = 2.0 + std::abs(penWidth() * painter_.worldTransform().m11());
    return !device.adjusted(-margin, -margin, margin, margin).intersects(deviceRect_);
}

QPainterCanvas::~QPainterCanvas() {
    for (; savedDepth_ > 0; --savedDepth_)
        painter_.restore();
    painter_.restore();
}

QPen QPainterCanvas::pen() const {
    QPen p(Colour(penColor()));
    if (penWidth() == 0) {
        p.setWidth(0);  // cosmetic: the thinnest line the device draws
    } else {
        p.setWidthF(penWidth());
        p.setCapStyle(Qt::RoundCap);
        p.setJoinStyle(Qt::RoundJoin);
    }
    return p;
}

void QPainterCanvas::mappingChanged() {
    painter_.setWorldTransform(mapping().transform() * base_);
}

void QPainterCanvas::clipChanged() {
    // The caller's own clip (a list item, say) always stays in force.
    if (baseClipping_) {
        painter_.setWorldTransform(QTransform());
        painter_.setClipPath(baseClip_, Qt::ReplaceClip);
        mappingChanged();
        if (!clipRect().isNull())
            painter_.setClipRect(QRectF(clipRect()), Qt::IntersectClip);
    } else if (clipRect().isNull()) {
        painter_.setClipping(false);
    } else {
        painter_.setClipRect(QRectF(clipRect()), Qt::ReplaceClip);
    }
}

void QPainterCanvas::stateSaved() {
    painter_.save();
    ++savedDepth_;
}

void QPainterCanvas::stateRestored() {
    if (savedDepth_ > 0) {
        painter_.restore();
        --savedDepth_;
    }
}

void QPainterCanvas::textOut(int x, int y, const QString &text) {
    if (text.isEmpty())
        return;
    const CanvasFont &font = selectedFont();
    const FontRecipe &recipe = FontRecipe::forFace(font.face);
    const double s = recipe.scaleFor(font.height);
    const double advance = recipe.referenceAdvance(text);
    const QPointF origin = TextOrigin(textAlign(), recipe, advance);

    // Qt rounds pixel sizes, so the reference font is drawn scaled around the
    // reference point; the escapement turns it counter-clockwise there.
    painter_.save();
    painter_.translate(x, y);
    painter_.rotate(-font.escapement / 10.0);
    painter_.scale(s, s);
    if (backgroundMode() == BackgroundMode::Opaque) {
        painter_.fillRect(QRectF(origin.x(), origin.y() - recipe.referenceAscent(), advance,
                                 recipe.referenceCell()),
                          Colour(backgroundColor()));
    }
    if (!raster_ && !FaceCoverage::MissingCharacters(font.face, text).isEmpty()) {
        // A document's text names its letters through the glyphs it is drawn
        // with, and the face has none for some of these: the ink goes as
        // shapes (the face's own box where a letter is missing, as on
        // screen), the text in an invisible layer that every letter reaches.
        QPainterPath ink;
        drawRuns(font.face, recipe, origin, text, &ink);
        painter_.fillPath(ink, Colour(textColor()));
        painter_.setPen(QColor(0, 0, 0, 0));
        painter_.setFont(recipe.searchFont());
        painter_.drawText(origin, text);
    } else {
        painter_.setPen(Colour(textColor()));
        drawRuns(font.face, recipe, origin, text);
    }
    painter_.restore();
}

void QPainterCanvas::drawRuns(const QString &face, const FontRecipe &recipe, QPointF origin,
                              const QString &text, QPainterPath *asShapes) {
    const QList<FaceRun> runs = SymbolFaceRuns(face, text);
    if (runs.isEmpty()) {
        if (asShapes) {
            asShapes->addText(origin, recipe.referenceFont(), text);
            return;
        }
        painter_.setFont(recipe.referenceFont());
        painter_.drawText(origin, text);
        return;
    }
    // Both reference fonts have the same em: one scale, one baseline.
    const FontRecipe &symbols = FontRecipe::forFace(FaceCoverage::SymbolFace());
    for (const FaceRun &run : runs) {
        const FontRecipe &from = run.symbolFace ? symbols : recipe;
        const QString part = text.mid(run.from, run.length);
        if (asShapes) {
            asShapes->addText(origin, from.referenceFont(), part);
        } else {
            painter_.setFont(from.referenceFont());
            painter_.drawText(origin, part);
        }
        origin.rx() += from.referenceAdvance(part);
    }
}

void QPainterCanvas::textLayer(int x, int y, double angle, const QString &text) {
    if (raster_ || text.isEmpty())
        return;
    const CanvasFont &font = selectedFont();
    const FontRecipe &recipe = FontRecipe::forFace(font.face);
    const double s = recipe.scaleFor(font.height);
    const QPointF origin = TextOrigin(textAlign(), recipe, recipe.referenceAdvance(text));
    painter_.save();
    painter_.translate(x, y);
    painter_.rotate(-angle * 180 / std::numbers::pi);
    painter_.scale(s, s);
    // Invisible: every letter is found, also one the face lacks (its glyph
    // comes from whichever face has it).
    painter_.setPen(QColor(0, 0, 0, 0));
    painter_.setFont(recipe.searchFont());
    painter_.drawText(origin, text);
    painter_.restore();
}

void QPainterCanvas::drawLine(QPoint from, QPoint to) {
    painter_.setPen(pen());
    painter_.drawLine(QLineF(from, to));
}

void QPainterCanvas::polyPolygon(const QVector<QPoint> &points, const QVector<int> &counts) {
    // A ribbon drawn in pieces lies mostly beside the page: what cannot be
    // seen is not handed to the device (a PDF would carry it all).
    if (!points.isEmpty()) {
        int left = points[0].x(), right = left, top = points[0].y(), bottom = top;
        for (const QPoint &p : points) {
            left = std::min(left, p.x());
            right = std::max(right, p.x());
            top = std::min(top, p.y());
            bottom = std::max(bottom, p.y());
        }
        if (offDevice(QRectF(QPointF(left, top), QPointF(right, bottom))))
            return;
    }
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    qsizetype start = 0;
    for (int count : counts) {
        // Counts that run past the points end the figure; nothing is read
        // beyond what the caller handed over.
        if (count < 0 || count > points.size() - start)
            break;
        if (count >= 2) {
            QPolygonF polygon;
            polygon.reserve(count);
            // The same figure with fewer points: a point that repeats the one
            // before, or lies on the straight line from it to the next, adds
            // nothing to the fill or the frame but bytes to a PDF.
            for (qsizetype i = start; i < start + count; ++i) {
                const QPointF p(points[i]);
                if (!polygon.isEmpty() && polygon.last() == p)
                    continue;
                if (polygon.size() >= 2) {
                    const QPointF a = polygon[polygon.size() - 2], b = polygon.last();
                    const QPointF ab = b - a, bp = p - b;
                    if (ab.x() * bp.y() == ab.y() * bp.x() && ab.x() * bp.x() + ab.y() * bp.y() > 0)
                        polygon.last() = p;
                    else
                        polygon.append(p);
                } else {
                    polygon.append(p);
                }
            }
            // The figure is closed anyway: a last point on the first is not needed.
            if (polygon.size() > 2 && polygon.last() == polygon.first())
                polygon.removeLast();
            if (polygon.size() >= 2) {
                path.addPolygon(polygon);
                path.closeSubpath();
            }
        }
        start += count;
    }
    if (path.isEmpty())
        return;
    painter_.setPen(pen());
    painter_.setBrush(Colour(brushColor()));
    painter_.drawPath(path);
}

void QPainterCanvas::rectangle(const QRect &r) {
    painter_.setPen(pen());
    painter_.setBrush(Colour(brushColor()));
    painter_.drawRect(QRectF(r));
}

void QPainterCanvas::fillRect(const QRect &r, ColorRef colour) {
    painter_.fillRect(QRectF(r), Colour(colour));
}

QImage QPainterCanvas::stretchBlackOnWhite(const QImage &image, QSize size) {
    if (image.isNull() || size.width() <= 0 || size.height() <= 0)
        return QImage();
    const QImage source = image.convertToFormat(QImage::Format_RGB32);
    const auto columns = Spans(source.width(), size.width());
    const auto rows = Spans(source.height(), size.height());

    QImage result(size, QImage::Format_RGB32);
    if (result.isNull())
        return QImage();
    // Row by row, so the only memory besides the result is the source.
    for (int y = 0; y < size.height(); ++y) {
        auto *out = reinterpret_cast<QRgb *>(result.scanLine(y));
        std::fill(out, out + size.width(), 0xFFFFFFFF);
        for (int sy = rows[std::size_t(y)].first; sy < rows[std::size_t(y)].second; ++sy) {
            const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(sy));
            for (int x = 0; x < size.width(); ++x) {
                const auto [from, to] = columns[std::size_t(x)];
                for (int sx = from; sx < to; ++sx)
                    out[x] &= in[sx];
            }
        }
    }
    return result;
}

QImage QPainterCanvas::deviceSized(const QImage &image, const QRectF &target) const {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    if (!raster_)
        return rgb;
    const QRectF device = painter_.worldTransform().mapRect(target);
    const bool narrower = device.width() < rgb.width();
    const bool lower = device.height() < rgb.height();
    if (!narrower && !lower)
        return rgb;
    const int w = narrower ? std::max(1, int(std::lround(device.width()))) : rgb.width();
    const int h = lower ? std::max(1, int(std::lround(device.height()))) : rgb.height();
    return stretchBlackOnWhite(rgb, QSize(w, h));
}

void QPainterCanvas::stretchBitmap(const QRect &target, const QImage &bitmap, RasterOp op) {
    if (bitmap.isNull() || target.width() < 0 || target.height() < 0 ||
        (target.width() == 0 && target.height() == 0))
        return;
    // A long thin picture (a rule) whose height rounds to nothing is left out
    // on screen, but on paper it is drawn: the device makes it as thin as it
    // can still print.
    if ((target.width() == 0 || target.height() == 0) && raster_)
        return;
    QRectF dst(target);
    const QTransform &m = painter_.worldTransform();
    if (dst.height() == 0 && std::hypot(m.m21(), m.m22()) > 0)
        dst.setHeight(1 / std::hypot(m.m21(), m.m22()));  // one device pixel
    if (dst.width() == 0 && std::hypot(m.m11(), m.m12()) > 0)
        dst.setWidth(1 / std::hypot(m.m11(), m.m12()));
    if (offDevice(dst))
        return;
    const QImage image = deviceSized(bitmap, dst);
    if (image.isNull())
        return;
    painter_.save();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setRenderHint(QPainter::LosslessImageRendering, true);  // no JPEG in a PDF
    if (op == RasterOp::Copy) {
        painter_.drawImage(dst, image);
    } else if (raster_) {
        painter_.setCompositionMode(op == RasterOp::And ? QPainter::RasterOp_SourceAndDestination
                                                        : QPainter::RasterOp_SourceOrDestination);
        painter_.drawImage(dst, image);
    } else {
        // AND with white and OR with black change nothing: leave those out.
        const QRgb neutral = op == RasterOp::And ? qRgb(255, 255, 255) : qRgb(0, 0, 0);
        painter_.drawImage(dst, WithTransparent(image, neutral));
    }
    painter_.restore();
}

void QPainterCanvas::maskedBitmap(QPoint topLeft, const QImage &bitmap, ColorRef transparent) {
    if (bitmap.isNull())
        return;
    const QRectF dst(QPointF(topLeft), QSizeF(bitmap.size()));
    if (offDevice(dst))
        return;
    const QImage image =
        WithTransparent(deviceSized(bitmap, dst), SystemPalette::resolve(transparent));
    painter_.save();
    painter_.setRenderHint(QPainter::SmoothPixmapTransform, false);
    painter_.setRenderHint(QPainter::LosslessImageRendering, true);  // no JPEG in a PDF
    painter_.drawImage(dst, image);
    painter_.restore();
}
