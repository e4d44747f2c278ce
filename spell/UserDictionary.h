#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Woerterbuch.txt in the data folder: the shop's own words, one a line,
// Windows-1252 with CR LF like the program's other files.
QString UserDictionaryPath();  // DataFolder() + "Woerterbuch.txt"

// The words of the file in file order. Lines may end in CR LF, CR or LF;
// blanks around a word and empty lines are dropped. A missing or unreadable
// file gives no words.
QStringList LoadUserWords(const QString &path);
QStringList ParseUserWords(const QByteArray &bytes);

// Adds a word to the file, replacing it atomically. The file is read again
// first, so words that another running program added meanwhile stay; a word
// already listed is not added twice. Returns false with the message for the
// user when the word cannot be held (a character outside Windows-1252, a line
// break) or the file cannot be read or written; the file is then unchanged.
bool AddUserWord(const QString &path, const QString &word, QString *message);
