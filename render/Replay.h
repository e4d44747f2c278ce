#pragma once

#include <QVector>

class RibbonCanvas;
struct CanvasOp;

// Draws what a recording surface saw onto another surface, operation by
// operation, each under the mapping it was drawn with: a recorded printer
// page shown on screen is the very page that printing draws.
void ReplayOps(const QVector<CanvasOp> &ops, RibbonCanvas &canvas);
