#pragma once

#include <QPoint>
#include <cstdint>

#include "render/RibbonCanvas.h"

// Draw flags of DrawJob.
enum DrawFlag : int {
    DrawPrint = 1,
    DrawOutline = 2,
    DrawLeftEnd = 4,
    DrawRightEnd = 8,
    DrawPrintColors = 16,
};

// Per-drawing state shared by DrawJob, the layouts, the pictures and the
// outline text. The renderer runs on the GUI thread only and is not re-entrant.
extern QPoint DrawOrigin;                   // logical units, added to every ribbon coordinate
extern std::int32_t InternalLeadingDivisor;  // 0 = no internal-leading correction
extern ColorRef PrintColour;
extern std::int32_t ShadowStep;  // same step along X and Y
extern FontId OutlineFont;       // 0 = none; exists only while DrawJob runs
extern int RasterizerMode;       // 0 automatic (adds), 1 add, 2 subtract (vertical glyph advance)
