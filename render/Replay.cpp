#include "render/Replay.h"

#include "render/RecordingCanvas.h"

void ReplayOps(const QVector<CanvasOp> &ops, RibbonCanvas &canvas) {
    for (const CanvasOp &op : ops) {
        canvas.setMapping(op.mapping);
        switch (op.kind) {
            case CanvasOp::Kind::CreateFont:
            case CanvasOp::Kind::SelectFont:
            case CanvasOp::Kind::DeleteFont:
                break;  // every text carries its own font
            case CanvasOp::Kind::TextOut: {
                const FontId font = canvas.createFont(op.font);
                const FontId previous = canvas.selectFont(font);
                canvas.setTextAlign(op.align);
                canvas.setTextColor(op.textColour);
                canvas.setBackgroundMode(op.backgroundMode);
                canvas.setBackgroundColor(op.backgroundColour);
                canvas.textOut(op.at.x(), op.at.y(), op.text);
                canvas.selectFont(previous);
                canvas.deleteFont(font);
                break;
            }
            case CanvasOp::Kind::Line:
                canvas.setPen(op.penColour, op.penWidth);
                canvas.moveTo(op.from.x(), op.from.y());
                canvas.lineTo(op.to.x(), op.to.y());
                break;
            case CanvasOp::Kind::PolyPolygon:
                canvas.setPen(op.penColour, op.penWidth);
                canvas.setBrush(op.brushColour);
                canvas.polyPolygon(op.points, op.counts);
                break;
            case CanvasOp::Kind::Rectangle:
                canvas.setPen(op.penColour, op.penWidth);
                canvas.setBrush(op.brushColour);
                canvas.rectangle(op.rect);
                break;
            case CanvasOp::Kind::FillRect:
                canvas.fillRect(op.rect, op.colour);
                break;
            case CanvasOp::Kind::StretchBitmap:
                canvas.stretchBitmap(op.rect, op.image, op.op);
                break;
            case CanvasOp::Kind::MaskedBitmap:
                canvas.maskedBitmap(op.at, op.image, op.colour);
                break;
            case CanvasOp::Kind::SetClipRect:
                canvas.setClipRect(op.rect);
                break;
            case CanvasOp::Kind::SaveState:
                canvas.saveState();
                break;
            case CanvasOp::Kind::RestoreState:
                canvas.restoreState();
                break;
        }
    }
}
