#pragma once

#include <QByteArray>
#include <QString>

// How a text that Windows-1252 cannot hold reaches the Windows version of
// the program, which reads every byte as Windows-1252: as a readable
// approximation in that code page ("Łucja" as "Lucja", "Ольга Шмидт" as
// "Olga Shmidt"), never as "?" or as the bytes of another encoding. The exact
// text goes beside it, into a place the Windows version does not read, with
// the fingerprint of the approximation it belongs to: when the Windows version
// changes the value, the fingerprint no longer matches and its change wins.
namespace Approximation {

// The text in Windows-1252 letters. A word with a letter the code page lacks
// is transliterated as a whole (Cyrillic by the BGN/PCGN scheme, Greek and
// the other scripts by ICU's Any-Latin, then to plain Latin letters), so that
// it does not come out half with and half without its accents; the other
// words stay as they are. Crosses become "†"; other signs the code page lacks
// are left out. The result always fits Windows-1252.
QString forWindows1252(const QString &text);

// Eight hexadecimal digits standing for the bytes (a prefix of SHA-1).
QByteArray fingerprint(const QByteArray &bytes);

}  // namespace Approximation
