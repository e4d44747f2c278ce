#include "tests/fuzz/FuzzSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

void FuzzFailure(const char *condition, const char *file, int line) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

QString FuzzDataFolder() {
    // Removed again when the run ends (a crash leaves it for a look).
    static QTemporaryDir root;
    static const bool prepared = [] {
        qputenv("XDG_DATA_HOME", QFile::encodeName(root.path()));
        qputenv("HOME", QFile::encodeName(root.path()));
        return QDir(root.path()).mkpath(QStringLiteral("Quarnwerk/Vellumo/Bilder"));
    }();
    if (!prepared)
        FuzzFailure("a temporary data folder can be made", __FILE__, __LINE__);
    return root.path() + QStringLiteral("/Quarnwerk/Vellumo");
}

void WriteRawFile(const QString &path, const QByteArray &bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        FuzzFailure("the scratch file can be written", __FILE__, __LINE__);
}

QByteArray ReadRawFile(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
