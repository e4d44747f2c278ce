#include "print/PrintSettings.h"

#include "model/SettingsFile.h"

PrintSettings PrintSettings::Read(const SettingsFile *settings) {
    PrintSettings values;
    if (!settings)
        return values;
    const QString drucker = QStringLiteral("Drucker");
    auto read = [&](const char *key, std::int32_t defaultValue) {
        return settings->readInteger(drucker, QString::fromLatin1(key), defaultValue);
    };
    values.Methode = read("Methode", values.Methode);
    values.Rand = read("Rand", values.Rand);
    values.MaxLaenge = read("MaxLaenge", values.MaxLaenge);
    values.Mark = read("Mark", 0) != 0;
    values.Papiervorschub = read("Papiervorschub", values.Papiervorschub);
    return values;
}
