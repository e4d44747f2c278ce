#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <vector>

// Points the data folder (XDG_DATA_HOME and HOME) and the cache folder
// (XDG_CACHE_HOME) at a fresh temporary folder for the lifetime of the
// object, so tests never touch the user's own files.
class TempDataFolder {
public:
    // With createAppFolder the folder Quarnwerk/Vellumo is made inside it.
    explicit TempDataFolder(bool createAppFolder = true);
    ~TempDataFolder();
    TempDataFolder(const TempDataFolder &) = delete;
    TempDataFolder &operator=(const TempDataFolder &) = delete;

    QString root() const { return dir_.path(); }
    QString appFolder() const;  // <root>/Quarnwerk/Vellumo
    QString filePath(const QString &name) const { return appFolder() + QLatin1Char('/') + name; }

    // Writes raw bytes into a file of the app folder.
    void writeFile(const QString &name, const QByteArray &bytes) const;
    QByteArray readFile(const QString &name) const;

private:
    struct Saved {
        const char *name;
        bool had;
        QByteArray value;
    };
    QTemporaryDir dir_;
    std::vector<Saved> saved_;
};
