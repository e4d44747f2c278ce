#include "model/DataFolder.h"

#include <QCoreApplication>
#include <QStandardPaths>

QString DataFolder() {
    const QString common = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!common.isEmpty())
        return common + QStringLiteral("/Quarnwerk/Vellumo/");
    return QCoreApplication::applicationDirPath() + QLatin1Char('/');
}

QString SettingsFilePath() {
    return DataFolder() + QStringLiteral("RIBOLANT.INI");
}

QString PhraseFilePath() {
    return DataFolder() + QStringLiteral("RIBOLANT.TXT");
}
