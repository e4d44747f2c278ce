#pragma once

#include <QPoint>
#include <QPointF>
#include <QSize>
#include <QTransform>

// Logical-to-device mapping in the manner of a GDI device context: window and
// viewport origins and extents, with the isotropic mode that shrinks one
// viewport extent so both axes get the same scale. Device points are whole
// pixels; conversions round halves up (floor(v + 0.5)) as GDI does.
class CanvasMapping {
public:
    enum class Mode { Text, Isotropic, Anisotropic };

    Mode mode() const { return mode_; }
    void setMode(Mode mode);

    QPoint windowOrg() const { return windowOrg_; }
    QSize windowExt() const { return windowExt_; }
    QPoint viewportOrg() const { return viewportOrg_; }
    QSize viewportExt() const { return viewportExt_; }

    void setWindowOrg(QPoint org) { windowOrg_ = org; }
    void setViewportOrg(QPoint org) { viewportOrg_ = org; }
    // Extents are ignored in Text mode (always 1:1). Zero extents are refused
    // (returns false, nothing changes), as GDI does.
    bool setWindowExt(QSize ext);
    bool setViewportExt(QSize ext);

    QPoint logicalToDevice(QPoint p) const;
    QPoint deviceToLogical(QPoint p) const;
    QPointF logicalToDeviceF(QPointF p) const;

    // The transform a QPainter needs so that logical coordinates land on the device.
    QTransform transform() const;

    bool operator==(const CanvasMapping &) const = default;

private:
    void fixIsotropic();

    Mode mode_ = Mode::Text;
    QPoint windowOrg_;
    QSize windowExt_{1, 1};
    QPoint viewportOrg_;
    QSize viewportExt_{1, 1};
};
