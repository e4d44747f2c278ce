#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

// How a write treats a path that is a symbolic link.
enum class FileLinks {
    // The file the link names is replaced (a person may link RIBOLANT.INI on
    // purpose), unless that file belongs to another user: then the write is
    // refused.
    Follow,
    // The link itself is replaced by the new file and its target is never
    // touched: for the files only the program makes (the session files), where
    // a link can only have been planted.
    ReplaceLink,
};

// Replaces a file's contents so that a crash at any moment leaves either the
// complete old file or the complete new one: the bytes go to a temporary file
// in the same folder (see TemporaryFileName), are flushed to disk and renamed
// over the target. The new file keeps the old one's mode and, where the
// platform lets us, its owner and group; a new file gets the mode the umask
// leaves of 0666.
// Returns false with a reason (the platform's error text, or a German text for
// a refused link) when that fails; the old file is then untouched. A file
// without any write permission is refused, as the platform refuses to write
// into a read-only file.
//
// A folder that refuses new files (no write permission) while the file itself
// is writable: the file is overwritten in place and flushed instead, after the
// room for the new contents was reserved, so that a full disk refuses the
// write before the first byte is changed. A crash in the middle can still
// leave it cut short; *inPlace then says so.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *reason = nullptr,
                         bool *inPlace = nullptr, FileLinks links = FileLinks::Follow);

// Why a new file of `size` bytes cannot be made at `path` (the platform's
// error text, such as a full disk's), or an empty text when it can. Tried with
// a temporary file beside `path`, which is removed again.
QString NewFileProblem(const QString &path, qsizetype size);

// Whether the folder lets us make a new file in it (by the same rule as the
// file's: a folder nobody may write takes none, even from root).
bool FolderTakesNewFiles(const QString &folder);

// The temporary files of a write of "<name>" are called
// ".<name>.vellumo-tmp-<six letters or digits>": hidden, and named so that no
// person would choose the name, since the clean-up below removes them.
// Whether `fileName` (without folder) is such a name; *of gets "<name>".
bool IsTemporaryFileName(const QString &fileName, QString *of = nullptr);

// Removes the temporary files that writes of `path` interrupted by a crash
// left beside it. Only to be called while no write of that file can be under
// way (its session's lock). Returns how many were removed.
int RemoveLeftoverTemporaries(const QString &path);

// Removes the temporary files of any file in `folder` that were last changed
// before `before` (an invalid time: all of them). Returns how many were removed.
int RemoveTemporariesOlderThan(const QString &folder, const QDateTime &before);
