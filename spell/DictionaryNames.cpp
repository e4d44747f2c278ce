#include "spell/DictionaryNames.h"

#include <QRegularExpression>
#include <QStringList>
#include <optional>

namespace {

// QLocale names a language only in English or in itself: the German names of
// the languages Hunspell dictionaries commonly come for.
QString GermanLanguageName(QLocale::Language language) {
    switch (language) {
        case QLocale::Afrikaans:
            return QStringLiteral("Afrikaans");
        case QLocale::Albanian:
            return QStringLiteral("Albanisch");
        case QLocale::Arabic:
            return QStringLiteral("Arabisch");
        case QLocale::Armenian:
            return QStringLiteral("Armenisch");
        case QLocale::Basque:
            return QStringLiteral("Baskisch");
        case QLocale::Belarusian:
            return QStringLiteral("Belarussisch");
        case QLocale::Bosnian:
            return QStringLiteral("Bosnisch");
        case QLocale::Breton:
            return QStringLiteral("Bretonisch");
        case QLocale::Bulgarian:
            return QStringLiteral("Bulgarisch");
        case QLocale::Catalan:
            return QStringLiteral("Katalanisch");
        case QLocale::Croatian:
            return QStringLiteral("Kroatisch");
        case QLocale::Czech:
            return QStringLiteral("Tschechisch");
        case QLocale::Danish:
            return QStringLiteral("D\u00E4nisch");
        case QLocale::Dutch:
            return QStringLiteral("Niederl\u00E4ndisch");
        case QLocale::English:
            return QStringLiteral("Englisch");
        case QLocale::Esperanto:
            return QStringLiteral("Esperanto");
        case QLocale::Estonian:
            return QStringLiteral("Estnisch");
        case QLocale::Faroese:
            return QStringLiteral("F\u00E4r\u00F6isch");
        case QLocale::Finnish:
            return QStringLiteral("Finnisch");
        case QLocale::French:
            return QStringLiteral("Franz\u00F6sisch");
        case QLocale::Galician:
            return QStringLiteral("Galicisch");
        case QLocale::Georgian:
            return QStringLiteral("Georgisch");
        case QLocale::German:
            return QStringLiteral("Deutsch");
        case QLocale::Greek:
            return QStringLiteral("Griechisch");
        case QLocale::Hebrew:
            return QStringLiteral("Hebr\u00E4isch");
        case QLocale::Hungarian:
            return QStringLiteral("Ungarisch");
        case QLocale::Icelandic:
            return QStringLiteral("Isl\u00E4ndisch");
        case QLocale::Irish:
            return QStringLiteral("Irisch");
        case QLocale::Italian:
            return QStringLiteral("Italienisch");
        case QLocale::Kazakh:
            return QStringLiteral("Kasachisch");
        case QLocale::Korean:
            return QStringLiteral("Koreanisch");
        case QLocale::Kurdish:
            return QStringLiteral("Kurdisch");
        case QLocale::Latin:
            return QStringLiteral("Latein");
        case QLocale::Latvian:
            return QStringLiteral("Lettisch");
        case QLocale::Lithuanian:
            return QStringLiteral("Litauisch");
        case QLocale::Luxembourgish:
            return QStringLiteral("Luxemburgisch");
        case QLocale::Macedonian:
            return QStringLiteral("Mazedonisch");
        case QLocale::Mongolian:
            return QStringLiteral("Mongolisch");
        case QLocale::NorwegianBokmal:
            return QStringLiteral("Norwegisch (Bokm\u00E5l)");
        case QLocale::NorwegianNynorsk:
            return QStringLiteral("Norwegisch (Nynorsk)");
        case QLocale::Persian:
            return QStringLiteral("Persisch");
        case QLocale::Polish:
            return QStringLiteral("Polnisch");
        case QLocale::Portuguese:
            return QStringLiteral("Portugiesisch");
        case QLocale::Romanian:
            return QStringLiteral("Rum\u00E4nisch");
        case QLocale::Russian:
            return QStringLiteral("Russisch");
        case QLocale::Serbian:
            return QStringLiteral("Serbisch");
        case QLocale::Slovak:
            return QStringLiteral("Slowakisch");
        case QLocale::Slovenian:
            return QStringLiteral("Slowenisch");
        case QLocale::Spanish:
            return QStringLiteral("Spanisch");
        case QLocale::Swedish:
            return QStringLiteral("Schwedisch");
        case QLocale::Turkish:
            return QStringLiteral("T\u00FCrkisch");
        case QLocale::Ukrainian:
            return QStringLiteral("Ukrainisch");
        case QLocale::Vietnamese:
            return QStringLiteral("Vietnamesisch");
        case QLocale::Welsh:
            return QStringLiteral("Walisisch");
        default:
            return {};
    }
}

QString GermanTerritoryName(QLocale::Territory territory) {
    switch (territory) {
        case QLocale::Argentina:
            return QStringLiteral("Argentinien");
        case QLocale::Australia:
            return QStringLiteral("Australien");
        case QLocale::Austria:
            return QStringLiteral("\u00D6sterreich");
        case QLocale::Belgium:
            return QStringLiteral("Belgien");
        case QLocale::Brazil:
            return QStringLiteral("Brasilien");
        case QLocale::Canada:
            return QStringLiteral("Kanada");
        case QLocale::Chile:
            return QStringLiteral("Chile");
        case QLocale::Colombia:
            return QStringLiteral("Kolumbien");
        case QLocale::Cyprus:
            return QStringLiteral("Zypern");
        case QLocale::France:
            return QStringLiteral("Frankreich");
        case QLocale::Germany:
            return QStringLiteral("Deutschland");
        case QLocale::Greece:
            return QStringLiteral("Griechenland");
        case QLocale::India:
            return QStringLiteral("Indien");
        case QLocale::Ireland:
            return QStringLiteral("Irland");
        case QLocale::Italy:
            return QStringLiteral("Italien");
        case QLocale::Liechtenstein:
            return QStringLiteral("Liechtenstein");
        case QLocale::Luxembourg:
            return QStringLiteral("Luxemburg");
        case QLocale::Mexico:
            return QStringLiteral("Mexiko");
        case QLocale::Netherlands:
            return QStringLiteral("Niederlande");
        case QLocale::NewZealand:
            return QStringLiteral("Neuseeland");
        case QLocale::Norway:
            return QStringLiteral("Norwegen");
        case QLocale::Portugal:
            return QStringLiteral("Portugal");
        case QLocale::Russia:
            return QStringLiteral("Russland");
        case QLocale::SouthAfrica:
            return QStringLiteral("S\u00FCdafrika");
        case QLocale::Spain:
            return QStringLiteral("Spanien");
        case QLocale::Sweden:
            return QStringLiteral("Schweden");
        case QLocale::Finland:
            return QStringLiteral("Finnland");
        case QLocale::Switzerland:
            return QStringLiteral("Schweiz");
        case QLocale::Ukraine:
            return QStringLiteral("Ukraine");
        case QLocale::UnitedKingdom:
            return QStringLiteral("Vereinigtes K\u00F6nigreich");
        case QLocale::UnitedStates:
            return QStringLiteral("Vereinigte Staaten");
        case QLocale::Venezuela:
            return QStringLiteral("Venezuela");
        default:
            return {};
    }
}

// The language of a dictionary's code ("pl_PL", "sr-Latn", "de_DE_frami"),
// or none for a name that is no language ("hyph_de").
std::optional<QLocale> CodeLocale(const QString &code) {
    const QString languagePart = code.section(QRegularExpression(QStringLiteral("[_-]")), 0, 0);
    const QLocale::Language language = QLocale::codeToLanguage(languagePart);
    if (language == QLocale::AnyLanguage || language == QLocale::C)
        return std::nullopt;
    return QLocale(QString(code).replace(QLatin1Char('-'), QLatin1Char('_')));
}

}  // namespace

QString DictionaryLabel(const QString &code, bool withCountry) {
    const std::optional<QLocale> locale = CodeLocale(code);
    if (!locale)
        return code;
    QString name = GermanLanguageName(locale->language());
    if (name.isEmpty())
        name = locale->nativeLanguageName();
    if (name.isEmpty())
        return code;
    if (!withCountry)
        return name;
    QString country = GermanTerritoryName(locale->territory());
    if (country.isEmpty())
        country = locale->nativeTerritoryName();
    // What the code says beyond language and country ("frami") is named as it stands.
    const QStringList parts = code.split(QRegularExpression(QStringLiteral("[_-]")));
    const QString rest = parts.mid(2).join(QLatin1Char(' '));
    QStringList details;
    if (!country.isEmpty())
        details.append(country);
    else if (parts.size() > 1)
        details.append(parts[1]);
    if (!rest.isEmpty())
        details.append(rest);
    return details.isEmpty() ? name
                             : name + QStringLiteral(" (") + details.join(QStringLiteral(", ")) +
                                   QLatin1Char(')');
}

QLocale::Language DictionaryLanguage(const QString &code) {
    const std::optional<QLocale> locale = CodeLocale(code);
    return locale ? locale->language() : QLocale::AnyLanguage;
}
