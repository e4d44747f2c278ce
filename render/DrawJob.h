#pragma once

#include <cstdint>

#include "render/RenderState.h"

class TJob;

// Draws a ribbon onto the canvas; the caller's mapping must give `scale`
// logical units per millimetre. An arithmetic overflow ends this job's drawing
// quietly (the caller goes on).
void DrawJob(const TJob &job, RibbonCanvas &canvas, std::int32_t scale, int flags);

// Logical units along the ribbon that the text of one end occupies.
std::int32_t JobTextLength(const TJob &job, RibbonCanvas &context, std::int32_t scale,
                           bool leftEnd);

void LayoutAlign(const TJob &job, RibbonCanvas &canvas, std::int32_t scale, int flags);
void LayoutCenter(const TJob &job, RibbonCanvas &canvas, std::int32_t scale, int flags);
void LayoutUpSide(const TJob &job, RibbonCanvas &canvas, std::int32_t scale, int flags);
void DrawTextLine(const TJob &job, RibbonCanvas &canvas, std::int32_t x, std::int32_t y,
                  const QString &text, int flags, double angle);
