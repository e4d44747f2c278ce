#include "ui/ColorSwatch.h"

#include <QMouseEvent>
#include <QPainter>

#include "render/SystemPalette.h"

ColorSwatch::ColorSwatch(QWidget *parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
}

void ColorSwatch::setColor(ColorRef colour) {
    if (colour_ == colour)
        return;
    colour_ = colour;
    update();
}

void ColorSwatch::paintEvent(QPaintEvent *event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    painter.fillRect(contentsRect(), SystemPalette::colour(colour_));
}

void ColorSwatch::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QFrame::mouseReleaseEvent(event);
}
