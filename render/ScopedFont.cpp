#include "render/ScopedFont.h"

ScopedFont::ScopedFont(RibbonCanvas &canvas, const CanvasFont &font)
    : canvas_(canvas), id_(canvas.createFont(font)) {}

ScopedFont::~ScopedFont() {
    if (id_ != 0)
        canvas_.deleteFont(id_);
}

FontId ScopedFont::select() {
    return canvas_.selectFont(id_);
}
