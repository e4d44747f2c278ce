#include "ui/SpinField.h"

#include <QLineEdit>
#include <QWheelEvent>

#include "ui/MenuKeyFilter.h"

SpinField::SpinField(int minimum, int maximum, int step, int value, QWidget *parent)
    : QSpinBox(parent) {
    setRange(minimum, maximum);
    setSingleStep(step);
    setValue(value);
    setGroupSeparatorShown(false);
    setAccelerated(false);
    setWrapping(false);
    lineEdit()->setReadOnly(true);
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    MenuKeyFilter::Install(lineEdit());
    MenuKeyFilter::Install(this);
}

void SpinField::wheelEvent(QWheelEvent *event) {
    event->ignore();
}
