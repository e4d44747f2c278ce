#pragma once

#include "render/RibbonCanvas.h"

// Draw flags of DrawJob.
enum DrawFlag : int {
    DrawPrint = 1,
    DrawOutline = 2,
    DrawLeftEnd = 4,
    DrawRightEnd = 8,
    DrawPrintColors = 16,
};
