#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "model/ProfileFile.h"

// RIBOLANT.INI. The object keeps no values of its own: every read looks the key
// up in the file as it is on disk now (a parsed copy is reused only while the
// file's inode, size and times are unchanged), and every write goes to the
// file at once, replacing it atomically. A refused write throws
// FileWriteError("In <path> kann nicht geschrieben werden").
class SettingsFile {
public:
    explicit SettingsFile(QString path);
    ~SettingsFile();
    SettingsFile(const SettingsFile &) = delete;
    SettingsFile &operator=(const SettingsFile &) = delete;

    const QString &path() const { return path_; }

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue = QString()) const;
    std::int32_t readInteger(const QString &section, const QString &key,
                             std::int32_t defaultValue) const;
    bool readBool(const QString &section, const QString &key, bool defaultValue) const;
    QStringList sectionNames() const;

    // A text Windows-1252 cannot hold is written with its exact text beside
    // it (see ProfileFile::setValue for `approximationLimit`).
    void writeString(const QString &section, const QString &key, const QString &value,
                     qsizetype approximationLimit = -1);
    void writeInteger(const QString &section, const QString &key, std::int32_t value);
    void writeBool(const QString &section, const QString &key, bool value);
    void writeColour(const QString &section, const QString &key, std::uint32_t value);
    // Removes these sections with all their keys (a section not there is no error).
    void removeSections(const QStringList &sections);

    // Whether the last replacement had to overwrite the file in place (a
    // folder that takes no new files, see WriteFileAtomically).
    bool lastWriteInPlace() const { return lastWriteInPlace_; }

    // Gathers the writes made while it lives and hands them to the file in one
    // replacement at commit(); without commit() they are dropped. Reads made
    // meanwhile see the gathered writes.
    class Batch {
    public:
        explicit Batch(SettingsFile &file);
        ~Batch();
        Batch(const Batch &) = delete;
        Batch &operator=(const Batch &) = delete;
        void commit();  // throws FileWriteError

    private:
        SettingsFile &file_;
        bool owner_ = false;
    };

    // The process-wide settings file, set at start-up (and by tests). The
    // window's parts that outlive no command read their keys through it; with
    // none set every read gives its default. Drawing and printing are handed
    // what they need instead.
    static SettingsFile *current();
    static void setCurrent(SettingsFile *file);

    // Makes a file the current one while it lives; the one that was current
    // before comes back after, unless a scope opened later still holds its own.
    class CurrentScope {
    public:
        explicit CurrentScope(SettingsFile *file) : file_(file), previous_(current()) {
            setCurrent(file);
        }
        ~CurrentScope() {
            if (current() == file_)
                setCurrent(previous_);
        }
        CurrentScope(const CurrentScope &) = delete;
        CurrentScope &operator=(const CurrentScope &) = delete;

    private:
        SettingsFile *file_;
        SettingsFile *previous_;
    };

private:
    struct Cache;
    const ProfileFile &loaded() const;
    void store(const ProfileFile &contents);
    QString writeErrorText() const;

    QString path_;
    mutable ProfileFile cache_;
    std::unique_ptr<Cache> cacheState_;
    std::unique_ptr<ProfileFile> pending_;
    bool lastWriteInPlace_ = false;
};

// Settings reads that fall back to the default when no settings file is set.
QString SettingString(const QString &section, const QString &key,
                      const QString &defaultValue = QString());
std::int32_t SettingInteger(const QString &section, const QString &key, std::int32_t defaultValue);
