#include "render/RecordingCanvas.h"

CanvasOp &RecordingCanvas::record(CanvasOp::Kind kind) {
    CanvasOp op;
    op.kind = kind;
    op.mapping = mapping();
    ops_.append(std::move(op));
    return ops_.last();
}

QVector<CanvasOp> RecordingCanvas::opsOf(CanvasOp::Kind kind) const {
    QVector<CanvasOp> result;
    for (const CanvasOp &op : ops_) {
        if (op.kind == kind)
            result.append(op);
    }
    return result;
}

FontId RecordingCanvas::createFont(const CanvasFont &font) {
    const FontId id = CanvasBase::createFont(font);
    CanvasOp &op = record(CanvasOp::Kind::CreateFont);
    op.font = font;
    op.fontId = id;
    return id;
}

FontId RecordingCanvas::selectFont(FontId font) {
    const FontId previous = CanvasBase::selectFont(font);
    CanvasOp &op = record(CanvasOp::Kind::SelectFont);
    op.fontId = font;
    op.font = fontDescription(font);
    return previous;
}

void RecordingCanvas::deleteFont(FontId font) {
    CanvasBase::deleteFont(font);
    record(CanvasOp::Kind::DeleteFont).fontId = font;
}

void RecordingCanvas::textOut(int x, int y, const QString &text) {
    CanvasOp &op = record(CanvasOp::Kind::TextOut);
    op.at = QPoint(x, y);
    op.text = text;
    op.fontId = currentFont();
    op.font = selectedFont();
    op.align = textAlign();
    op.textColour = textColor();
    op.backgroundMode = backgroundMode();
    op.backgroundColour = backgroundColor();
}

qint64 RecordingCanvas::glyphOutline(char32_t ch, const GlyphMatrix &matrix, GlyphMetrics *metrics,
                                     void *buffer, qint64 bufferSize) {
    if (!outlinesAvailable_)
        return -1;
    return CanvasBase::glyphOutline(ch, matrix, metrics, buffer, bufferSize);
}

void RecordingCanvas::drawLine(QPoint from, QPoint to) {
    CanvasOp &op = record(CanvasOp::Kind::Line);
    op.from = from;
    op.to = to;
    op.penColour = penColor();
    op.penWidth = penWidth();
}

void RecordingCanvas::polyPolygon(const QVector<QPoint> &points, const QVector<int> &counts) {
    CanvasOp &op = record(CanvasOp::Kind::PolyPolygon);
    op.points = points;
    op.counts = counts;
    op.penColour = penColor();
    op.penWidth = penWidth();
    op.brushColour = brushColor();
}

void RecordingCanvas::rectangle(const QRect &r) {
    CanvasOp &op = record(CanvasOp::Kind::Rectangle);
    op.rect = r;
    op.penColour = penColor();
    op.penWidth = penWidth();
    op.brushColour = brushColor();
}

void RecordingCanvas::fillRect(const QRect &r, ColorRef colour) {
    CanvasOp &op = record(CanvasOp::Kind::FillRect);
    op.rect = r;
    op.colour = colour;
}

void RecordingCanvas::stretchBitmap(const QRect &target, const QImage &bitmap, RasterOp rop) {
    CanvasOp &op = record(CanvasOp::Kind::StretchBitmap);
    op.rect = target;
    op.op = rop;
    // Shared, not copied: a later change to the caller's image detaches it,
    // and a picture printed on many pages is kept once.
    op.image = bitmap;
}

void RecordingCanvas::maskedBitmap(QPoint topLeft, const QImage &bitmap, ColorRef transparent) {
    CanvasOp &op = record(CanvasOp::Kind::MaskedBitmap);
    op.at = topLeft;
    op.image = bitmap;
    op.colour = transparent;
}

void RecordingCanvas::saveState() {
    CanvasBase::saveState();
    record(CanvasOp::Kind::SaveState);
}

void RecordingCanvas::restoreState() {
    CanvasBase::restoreState();
    record(CanvasOp::Kind::RestoreState);
}

void RecordingCanvas::setClipRect(const QRect &r) {
    CanvasBase::setClipRect(r);
    record(CanvasOp::Kind::SetClipRect).rect = r;
}
