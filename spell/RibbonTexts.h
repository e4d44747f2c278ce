#pragma once

#include <QList>
#include <QStringList>

class TJob;

// A ribbon text that reaches paper: the left one, or the right one.
struct RibbonText {
    bool right = false;
    QStringList lines;
};

// The texts of a ribbon that are printed, so only those are checked: the left
// text always, the right one unless the centred style leaves it out or the
// caller says it is not printed (the compatibility mode).
QList<RibbonText> PrintedTexts(const TJob &job, bool rightPrinted = true);
