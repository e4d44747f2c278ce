#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's contents so that a crash at any moment leaves either the
// complete old file or the complete new one: the bytes go to a temporary file
// in the same folder (named after the file plus "." and six characters), are
// flushed to disk and renamed over the target. The new file keeps the old
// one's mode and, where the platform lets us, its owner and group.
// Returns false with a reason (the platform's error text) when that fails; the
// old file is then untouched. A file without any write permission is refused,
// as the platform refuses to write into a read-only file.
//
// A folder that refuses new files (no write permission) while the file itself
// is writable: the file is overwritten in place and flushed instead, which a
// crash in the middle can leave cut short; *inPlace then says so.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *reason = nullptr,
                         bool *inPlace = nullptr);

// Whether the folder lets us make a new file in it (by the same rule as the
// file's: a folder nobody may write takes none, even from root).
bool FolderTakesNewFiles(const QString &folder);

// Removes the temporary files a write of `path` interrupted by a crash left
// beside it ("<path>.XXXXXX"). Only to be called while no write of that file
// can be under way (the data folder's lock). Returns how many were removed.
int RemoveLeftoverTemporaries(const QString &path);
