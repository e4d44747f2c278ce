#pragma once

#include "render/RibbonCanvas.h"

// A font the renderer made for one drawing. It is deleted when the scope ends,
// also when an overflow cuts the drawing short; a deleted font that is still
// selected stays usable until the surface gets another one.
class ScopedFont {
public:
    ScopedFont(RibbonCanvas &canvas, const CanvasFont &font);
    ~ScopedFont();
    ScopedFont(const ScopedFont &) = delete;
    ScopedFont &operator=(const ScopedFont &) = delete;

    FontId id() const { return id_; }
    // Makes the font the surface's current font; returns the one it replaces.
    FontId select();

private:
    RibbonCanvas &canvas_;
    FontId id_;
};
