#pragma once

#include <QSpinBox>

// A number field that is changed only through its arrows and the arrow keys:
// the edit box is read-only and shows plain digits. Values outside the limits
// show as the nearest limit.
class SpinField : public QSpinBox {
    Q_OBJECT
public:
    SpinField(int minimum, int maximum, int step, int value, QWidget *parent = nullptr);

protected:
    // The wheel would change a ribbon while the user only scrolls the window.
    void wheelEvent(QWheelEvent *event) override;
};
