#pragma once

#include <QString>

// Text the user types must fit the files it ends up in (no control
// characters, fixed capacities). Instead of changing what was typed, the
// editors refuse it and say why in the status bar.

// The status-bar text for the first character of `text` that no text may
// hold, or an empty string when every character can be stored. With
// `pasted` (more than one character at once) the text says that the whole
// insertion was refused, not just the one character.
QString UnstorableCharacterMessage(const QString &text, bool pasted = false);
QString TooLongMessage(int limit, bool pasted = false);

// Letters a memo text takes in the file: a line break is CR LF there.
qsizetype StoredLength(const QString &text);
