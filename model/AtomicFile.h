#pragma once

#include <QByteArray>
#include <QString>

// Replaces a file's contents so that a crash at any moment leaves either the
// complete old file or the complete new one: the bytes go to a temporary file
// in the same folder, are flushed to disk and renamed over the target.
// Returns false with a reason (the platform's error text) when that fails; the
// old file is then untouched. A file without any write permission is refused,
// as the platform refuses to write into a read-only file.
bool WriteFileAtomically(const QString &path, const QByteArray &bytes, QString *reason = nullptr);
