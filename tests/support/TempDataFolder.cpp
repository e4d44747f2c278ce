#include "tests/support/TempDataFolder.h"

#include <QDir>
#include <QFile>

TempDataFolder::TempDataFolder(bool createAppFolder) {
    hadXdg_ = qEnvironmentVariableIsSet("XDG_DATA_HOME");
    hadHome_ = qEnvironmentVariableIsSet("HOME");
    oldXdg_ = qgetenv("XDG_DATA_HOME");
    oldHome_ = qgetenv("HOME");
    qputenv("XDG_DATA_HOME", QFile::encodeName(dir_.path()));
    qputenv("HOME", QFile::encodeName(dir_.path()));
    if (createAppFolder)
        QDir(dir_.path()).mkpath(QStringLiteral("Quarnwerk/Vellumo"));
}

TempDataFolder::~TempDataFolder() {
    if (hadXdg_)
        qputenv("XDG_DATA_HOME", oldXdg_);
    else
        qunsetenv("XDG_DATA_HOME");
    if (hadHome_)
        qputenv("HOME", oldHome_);
    else
        qunsetenv("HOME");
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
