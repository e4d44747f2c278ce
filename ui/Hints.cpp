#include "ui/Hints.h"

#include <QAction>
#include <QWidget>

QString ShortHint(const QString &hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.left(bar);
}

QString LongHint(const QString &hint) {
    const qsizetype bar = hint.indexOf(QLatin1Char('|'));
    return bar < 0 ? hint : hint.mid(bar + 1);
}

void SetHint(QWidget *widget, const QString &hint) {
    widget->setToolTip(ShortHint(hint));
    widget->setToolTipDuration(HintHidePause);
    widget->setStatusTip(LongHint(hint));
}

void SetHint(QAction *action, const QString &hint) {
    action->setStatusTip(LongHint(hint));
}
