#pragma once

#include <QString>

// Text the user types must fit the files it ends up in (Windows-1252, fixed
// capacities). Instead of changing what was typed, the editors refuse it and
// say why in the status bar.

// The status-bar text for the first character of `text` that Windows-1252
// cannot hold, or an empty string when every character can be stored.
QString UnstorableCharacterMessage(const QString &text);
QString TooLongMessage(int limit);

// Characters a memo text takes in the file: a line break is CR LF there.
qsizetype StoredLength(const QString &text);
