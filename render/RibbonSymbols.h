#pragma once

#include <QList>
#include <QString>

// A sign ribbons carry, offered for insertion by the ribbon editor. Every one
// is in the symbol face, so that a ribbon in any face can print it.
struct RibbonSymbol {
    char32_t character = 0;
    QString name;  // German, as tooltips and screen readers say it

    QString text() const { return QString::fromUcs4(&character, 1); }
};

// The signs in the order they are offered: crosses first, then the signs of
// other faiths, hearts, flowers and the rest.
const QList<RibbonSymbol> &RibbonSymbols();
