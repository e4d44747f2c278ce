#pragma once

#include <QByteArray>
#include <QString>

// Windows-1252 at the file boundaries. Every file Vellumo reads or writes holds
// Windows-1252 bytes; the program holds QString. Text enters the model only
// through ShortText::set, TextLines::set and the phrase list, which refuse any
// character this code page cannot hold, so nothing is ever changed silently
// when it is written out.
namespace Cp1252 {

// Every byte has a character; the five bytes Windows leaves undefined (81, 8D,
// 8F, 90, 9D) map to the C1 controls of the same value, as Windows does.
QString decode(const QByteArray &bytes);

// Encodes text; returns false (and leaves out nothing silently: out is then
// unspecified) when a character cannot be held.
bool encode(const QString &text, QByteArray *out);

bool canEncode(QChar ch);
bool canEncode(const QString &text);

// Position of the first character that cannot be held, or -1.
qsizetype firstUnencodable(const QString &text);

}  // namespace Cp1252
