#include "render/RibbonSymbols.h"

const QList<RibbonSymbol> &RibbonSymbols() {
    static const QList<RibbonSymbol> symbols = {
        {U'\u271D', QStringLiteral("Lateinisches Kreuz")},
        {U'\u271E', QStringLiteral("Schattiertes Kreuz")},
        {U'\u2020', QStringLiteral("Kreuz (Dolch)")},
        {U'\u2626', QStringLiteral("Orthodoxes Kreuz")},
        {U'\u2720', QStringLiteral("Malteserkreuz")},
        {U'\u2627', QStringLiteral("Christusmonogramm")},
        {U'\u262A', QStringLiteral("Stern und Halbmond")},
        {U'\u2721', QStringLiteral("Davidstern")},
        {U'\u262E', QStringLiteral("Friedenszeichen")},
        {U'\u2665', QStringLiteral("Herz")},
        {U'\u221E', QStringLiteral("Unendlich")},
        {U'\u2698', QStringLiteral("Blume")},
        {U'\u2740', QStringLiteral("Bl\u00FCte")},
        {U'\u273F', QStringLiteral("Bl\u00FCte, gef\u00FCllt")},
        {U'\u2605', QStringLiteral("Stern")},
        {U'\u2693', QStringLiteral("Anker")},
    };
    return symbols;
}
