#pragma once

#include <QImage>

// Turns a bitmap by 0, 90, 180 or 270 degrees counter-clockwise as seen on the
// surface, every pixel kept, uncovered area white. Returns false and leaves the
// bitmap as it was for any other angle or a failed rotation.
bool RotateBitmap(QImage &bitmap, int angleDegrees);
