#pragma once

#include <QLocale>
#include <QString>

// The menu's name of a Hunspell dictionary's code ("pl_PL", "en_US",
// "de_DE_frami"), in German: the language, and its country when
// `withCountry`; the code itself when it names no language.
QString DictionaryLabel(const QString &code, bool withCountry);

// The language a dictionary's code names; AnyLanguage for none ("xx_YY").
QLocale::Language DictionaryLanguage(const QString &code);
