#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>

TempDataFolder::TempDataFolder(bool createAppFolder) {
    const QByteArray root = QFile::encodeName(dir_.path());
    for (const auto &[name, value] : {std::pair{"XDG_DATA_HOME", root}, std::pair{"HOME", root},
                                      std::pair{"XDG_CACHE_HOME", root + "/.cache"}}) {
        saved_.push_back(Saved{name, qEnvironmentVariableIsSet(name), qgetenv(name)});
        qputenv(name, value);
    }
    if (createAppFolder)
        QDir(dir_.path()).mkpath(QStringLiteral("Quarnwerk/Vellumo"));
}

TempDataFolder::~TempDataFolder() {
    for (const Saved &saved : saved_) {
        if (saved.had)
            qputenv(saved.name, saved.value);
        else
            qunsetenv(saved.name);
    }
}

QString TempDataFolder::appFolder() const {
    return dir_.path() + QStringLiteral("/Quarnwerk/Vellumo");
}

void TempDataFolder::writeFile(const QString &name, const QByteArray &bytes) const {
    QFile f(filePath(name));
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray TempDataFolder::readFile(const QString &name) const {
    QFile f(filePath(name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
