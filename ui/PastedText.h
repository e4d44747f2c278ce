#pragma once

#include <QString>

class QMimeData;

// Text pasted or dropped from a mail or a web page, made fit for a ribbon:
// line breaks of any kind become "\n" (on one line, a blank), no-break spaces
// plain blanks, and the invisible marks that only steer line breaking (zero
// width spaces, soft hyphens, word joiners, a byte order mark) are dropped;
// the whole is composed. What no text may hold is left for the refusal.
QString CleanPastedText(const QString &text, bool multiLine);

// The plain text of a paste: its text, or where it brings only HTML (a web
// page, a mail), the text of that. Null when it holds neither.
QString PastedPlainText(const QMimeData *source);
