#pragma once

#include <QString>
#include <cstdint>

#include "render/RenderContext.h"
#include "render/RenderState.h"

class TJob;

// The two ways a ribbon is drawn: as the preview draws it, one unit per
// millimetre, both ends, and as printing draws a whole ribbon, eight units
// per millimetre with marks, outline letters and printing colours.
constexpr int PreviewScale = 1;
constexpr int PreviewFlags = DrawLeftEnd | DrawRightEnd;
constexpr int PrintScale = 8;
constexpr int PrintFlags = DrawPrint | DrawOutline | DrawLeftEnd | DrawRightEnd | DrawPrintColors;

// Draws a ribbon onto the canvas; the caller's mapping must give `scale`
// logical units per millimetre. The context gives the settings and takes the
// drawing's own values (its DrawOrigin places the ribbon). An arithmetic
// overflow ends this job's drawing quietly (the caller goes on).
void DrawJob(RenderContext &context, const TJob &job, RibbonCanvas &canvas, std::int32_t scale,
             int flags);

// The face of the commission label, whatever the ribbon's face.
QString CommissionFace();

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
