#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Woerterbuch.txt in the data folder: the shop's own words, one a line, with
// CR LF like the program's other files; Windows-1252 until a word needs more,
// then UTF-8 (see AddUserWord). A line that is valid UTF-8 is read as UTF-8,
// any other as Windows-1252.
QString UserDictionaryPath();  // DataFolder() + "Woerterbuch.txt"

// A shop's list holds some thousand words. Of a file far larger (a word list
// of a whole language, a file put there by mistake) only this much is read:
// the words of its first MaxUserDictionaryBytes, at most MaxUserWords of
// them. The file itself is never cut (see AddUserWord).
constexpr qint64 MaxUserDictionaryBytes = 4 * 1024 * 1024;
constexpr qsizetype MaxUserWords = 100000;

// The words of the file in file order. Lines may end in CR LF, CR or LF;
// blanks around a word and empty lines are dropped. A missing or unreadable
// file gives no words. `capped` tells whether the file holds more than the
// words read.
QStringList LoadUserWords(const QString &path, bool *capped = nullptr);
QStringList ParseUserWords(const QByteArray &bytes);
// What the user is told when not all of the file was read.
QString UserWordsCappedMessage(qsizetype wordsRead);

// Adds a word to the file, replacing it atomically. The file is read again
// first, whole, so words that another running program added meanwhile stay,
// as do the words of a file too large to be loaded; a word already listed
// anywhere in it is not added twice. The word is written in Windows-1252
// while the file and the word can be; a word beyond it turns the file into
// UTF-8 (its words kept), and a UTF-8 file stays UTF-8. Returns false with the
// message for the user when the word cannot be held (a line break) or the
// file cannot be read or written; the file is then unchanged.
bool AddUserWord(const QString &path, const QString &word, QString *message);
