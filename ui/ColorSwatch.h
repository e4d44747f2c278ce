#pragma once

#include <QFrame>

#include "render/RibbonCanvas.h"

// A sunken square showing a text colour value (plain or palette-relative).
class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget *parent = nullptr);

    ColorRef color() const { return colour_; }
    void setColor(ColorRef colour);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    ColorRef colour_ = 0;
};
