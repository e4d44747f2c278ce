#pragma once

#include <QString>

class QAction;
class QWidget;

// A hint is "short hint|long hint": the short part is the tool tip beside the
// mouse pointer, the long part goes to the status bar. Without "|" both are
// the whole text.
QString ShortHint(const QString &hint);
QString LongHint(const QString &hint);

// How long a tool tip stays up.
constexpr int HintHidePause = 6000;

void SetHint(QWidget *widget, const QString &hint);
// Menu items show only the long hint, in the status bar.
void SetHint(QAction *action, const QString &hint);
