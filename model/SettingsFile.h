#pragma once

#include <QString>
#include <cstdint>

#include "model/ProfileFile.h"

// RIBOLANT.INI. The object keeps no values of its own: every read looks the key
// up in the file as it is on disk now (a parsed copy is reused only while the
// file's size and modification time are unchanged), and every write goes to
// the file at once, replacing it atomically. A refused write throws
// FileWriteError("In <path> kann nicht geschrieben werden").
class SettingsFile {
public:
    explicit SettingsFile(QString path);

    const QString &path() const { return path_; }

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;
    std::int32_t readInteger(const QString &section, const QString &key,
                             std::int32_t defaultValue) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;

    void writeString(const QString &section, const QString &key, const QString &value);
    void writeInteger(const QString &section, const QString &key, std::int32_t value);
    void writeBool(const QString &section, const QString &key, bool value);
    void writeColour(const QString &section, const QString &key, std::uint32_t value);

    // The process-wide settings file, set at start-up (and by tests). The
    // renderer and the print methods read their keys through it; with none set
    // every read gives its default.
    static SettingsFile *current();
    static void setCurrent(SettingsFile *file);

private:
    const ProfileFile &loaded() const;

    QString path_;
    mutable ProfileFile cache_;
    mutable qint64 cacheSize_ = -1;
    mutable qint64 cacheMTimeNs_ = -1;
    mutable bool cacheValid_ = false;
};

// Settings reads that fall back to the default when no settings file is set.
QString SettingString(const QString &section, const QString &key,
                      const QString &defaultValue = QString());
std::int32_t SettingInteger(const QString &section, const QString &key, std::int32_t defaultValue);
