#pragma once

#include <vector>

#include "render/FitCheck.h"

class TJob;
struct RenderContext;

// The fit findings of a ribbon as it is now. Finding them draws the ribbon
// twice at the printing scale, too slow for every repaint of the list, so
// the answer is kept for each state of a ribbon that was asked about.
const std::vector<FitFinding> &FitFindings(const RenderContext &context, const TJob &job);
