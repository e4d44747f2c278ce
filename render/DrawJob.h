#pragma once

#include <cstdint>

#include "render/RenderContext.h"
#include "render/RenderState.h"

class TJob;

// Draws a ribbon onto the canvas; the caller's mapping must give `scale`
// logical units per millimetre. The context gives the settings and takes the
// drawing's own values (its DrawOrigin places the ribbon). An arithmetic
// overflow ends this job's drawing quietly (the caller goes on).
void DrawJob(RenderContext &context, const TJob &job, RibbonCanvas &canvas, std::int32_t scale,
             int flags);

// Logical units along the ribbon that the text of one end occupies.
std::int32_t JobTextLength(const TJob &job, RibbonCanvas &context, std::int32_t scale,
                           bool leftEnd);

void LayoutAlign(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                 std::int32_t scale, int flags);
void LayoutCenter(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                  std::int32_t scale, int flags);
void LayoutUpSide(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                  std::int32_t scale, int flags);
void DrawTextLine(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                  std::int32_t x, std::int32_t y, const QString &text, int flags, double angle);
