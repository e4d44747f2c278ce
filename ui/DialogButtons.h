#pragma once

#include <QFontMetrics>
#include <QPushButton>
#include <QSize>

// The size a dialog button was drawn at, or more where its caption needs it
// (larger screen fonts).
inline QSize DialogButtonSize(const QPushButton *button, QSize drawn = QSize(85, 24)) {
    return drawn.expandedTo(QSize(button->sizeHint().width(), button->fontMetrics().height() + 6));
}
