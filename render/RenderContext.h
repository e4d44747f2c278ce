#pragma once

#include <QPoint>
#include <array>
#include <cstdint>
#include <memory>

#include "render/RibbonCanvas.h"

class GlyphCache;
class SettingsFile;
struct PictureCatalogue;

// Everything a drawing of ribbons depends on beyond the ribbon and the
// surface, as one value: what the settings file says, read once when the
// context is made for a drawing run (a preview item, a print run, a proof),
// and the values one drawing keeps while it runs. Nothing is read from the
// settings file while drawing, and two contexts never share state, so two
// drawings can run at once.
struct RenderContext {
    // From the settings, fixed for the run.
    int Schriftrahmen = 1;     // [Drucker]: 0 plain text, 2 probe the printer, else outlines
    bool Schnittmarke = true;  // [Drucker]: cut marks when printing
    bool Kommission = true;    // [Drucker]: commission label when printing
    std::array<ColorRef, 32> Colors{};  // [Colors] Color0..Color31, black by default
    int RasterizerMode = 0;             // 0 automatic (adds), 1 add, 2 subtract (vertical advance)
    std::int32_t InternalLeadingDivisor = 0;  // [Drucker] "InternalLeading" of a print run
    // The preview's pictures: names and 64 x 64 thumbnails (null: none).
    const PictureCatalogue *PictureFiles = nullptr;
    // Letter outlines kept for the run (null: asked anew every time). A print
    // run keeps one; it is shared by copies of the context.
    std::shared_ptr<GlyphCache> Glyphs;

    // Per drawing.
    QPoint DrawOrigin;         // logical units, added to every ribbon coordinate
    ColorRef PrintColour = 0;  // the job's printing colour
    std::int32_t ShadowStep = 0;
    FontId OutlineFont = 0;  // exists only while DrawJob runs

    // The settings part read from a settings file (null: every default).
    // "InternalLeading" is read too (the preview leaves it unused); the
    // rasterizer mode is not, since it is read once at start-up.
    static RenderContext FromSettings(const SettingsFile *settings);
    // "Rasterizer" (or "Version") of [General]: "NT" is 1, "9x" 2, else 0.
    static int ReadRasterizerMode(const SettingsFile *settings);
};
