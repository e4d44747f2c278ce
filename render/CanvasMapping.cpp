#include "render/CanvasMapping.h"

#include <algorithm>
#include <cmath>

namespace {

// Points far outside the device saturate instead of wrapping around.
int gdiRound(double v) {
    const double r = std::floor(v + 0.5);
    if (!(r == r))
        return 0;
    return static_cast<int>(std::clamp(r, -2147483648.0, 2147483647.0));
}

}  // namespace

void CanvasMapping::setMode(Mode mode) {
    mode_ = mode;
    if (mode_ == Mode::Text) {
        windowExt_ = QSize(1, 1);
        viewportExt_ = QSize(1, 1);
    } else if (mode_ == Mode::Isotropic) {
        fixIsotropic();
    }
}

bool CanvasMapping::setWindowExt(QSize ext) {
    if (ext.width() == 0 || ext.height() == 0)
        return false;
    if (mode_ == Mode::Text)
        return true;
    windowExt_ = ext;
    if (mode_ == Mode::Isotropic)
        fixIsotropic();
    return true;
}

bool CanvasMapping::setViewportExt(QSize ext) {
    if (ext.width() == 0 || ext.height() == 0)
        return false;
    if (mode_ == Mode::Text)
        return true;
    viewportExt_ = ext;
    if (mode_ == Mode::Isotropic)
        fixIsotropic();
    return true;
}

// Square device pixels are assumed: every device we draw on reports equal
// horizontal and vertical resolution.
void CanvasMapping::fixIsotropic() {
    const double xdim = std::fabs(double(viewportExt_.width()) / windowExt_.width());
    const double ydim = std::fabs(double(viewportExt_.height()) / windowExt_.height());
    if (xdim > ydim) {
        const int minimum = viewportExt_.width() >= 0 ? 1 : -1;
        int w = gdiRound(viewportExt_.width() * ydim / xdim);
        viewportExt_.setWidth(w == 0 ? minimum : w);
    } else if (ydim > xdim) {
        const int minimum = viewportExt_.height() >= 0 ? 1 : -1;
        int h = gdiRound(viewportExt_.height() * xdim / ydim);
        viewportExt_.setHeight(h == 0 ? minimum : h);
    }
}

QPointF CanvasMapping::logicalToDeviceF(QPointF p) const {
    return QPointF(
        (p.x() - windowOrg_.x()) * viewportExt_.width() / windowExt_.width() + viewportOrg_.x(),
        (p.y() - windowOrg_.y()) * viewportExt_.height() / windowExt_.height() + viewportOrg_.y());
}

QPoint CanvasMapping::logicalToDevice(QPoint p) const {
    const QPointF d = logicalToDeviceF(QPointF(p));
    return QPoint(gdiRound(d.x()), gdiRound(d.y()));
}

QPoint CanvasMapping::deviceToLogical(QPoint p) const {
    const double x = double(p.x() - viewportOrg_.x()) * windowExt_.width() / viewportExt_.width() +
                     windowOrg_.x();
    const double y =
        double(p.y() - viewportOrg_.y()) * windowExt_.height() / viewportExt_.height() +
        windowOrg_.y();
    return QPoint(gdiRound(x), gdiRound(y));
}

QTransform CanvasMapping::transform() const {
    const double sx = double(viewportExt_.width()) / windowExt_.width();
    const double sy = double(viewportExt_.height()) / windowExt_.height();
    // device = (logical - windowOrg) * s + viewportOrg
    return QTransform(sx, 0, 0, sy, viewportOrg_.x() - windowOrg_.x() * sx,
                      viewportOrg_.y() - windowOrg_.y() * sy);
}
