#include "spell/UserDictionary.h"

#include <QFile>
#include <algorithm>
#include <limits>

#include "model/AtomicFile.h"
#include "model/Cp1252.h"
#include "model/DataFolder.h"
#include "model/UnicodeText.h"

QString UserDictionaryPath() {
    return DataFolder() + QStringLiteral("Woerterbuch.txt");
}

namespace {

bool LineBreak(char c) {
    return c == '\n' || c == '\r';
}

bool IsAscii(const QByteArray &bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char c) { return quint8(c) < 0x80; });
}

// A line of valid UTF-8 as UTF-8, else as Windows-1252.
QString DecodeLine(QByteArrayView line, bool *utf8 = nullptr) {
    bool valid = false;
    QString text = UnicodeText::FromUtf8(line, &valid);
    if (utf8)
        *utf8 = valid;
    return valid ? text : Cp1252::decode(line.toByteArray());
}

// The file's text. Old files are Windows-1252, files that hold a word
// Windows-1252 lacks are UTF-8; each line is taken as UTF-8 where it is valid
// UTF-8, which no Windows-1252 line of letters is, so a file an older program
// has added Windows-1252 words to reads right too. Line breaks are kept.
QString DecodeFile(const QByteArray &bytes) {
    QString text;
    text.reserve(bytes.size());
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && !LineBreak(bytes[end]))
            ++end;
        text += DecodeLine(QByteArrayView(bytes).sliced(start, end - start));
        while (end < bytes.size() && LineBreak(bytes[end]))
            text += QLatin1Char(bytes[end++]);
        start = end;
    }
    return text;
}

// Whether the file is written in UTF-8: it has a line of UTF-8 beyond ASCII
// (a file without one keeps Windows-1252).
bool WrittenInUtf8(const QByteArray &bytes) {
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = start;
        while (end < bytes.size() && !LineBreak(bytes[end]))
            ++end;
        const QByteArray line = bytes.mid(start, end - start);
        bool utf8 = false;
        DecodeLine(line, &utf8);
        if (utf8 && !IsAscii(line))
            return true;
        start = end + 1;
    }
    return false;
}

// The words of the bytes, at most `max` of them; `more` is set when words
// were left over.
QStringList ParseWords(const QByteArray &bytes, qsizetype max, bool *more) {
    QStringList words;
    QString text = DecodeFile(bytes);
    // A byte order mark that an editor put at the start is no part of a word.
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QStringView line : QStringView(text).tokenize(QLatin1Char('\n'))) {
        const QStringView word = line.trimmed();
        if (word.isEmpty() || word.contains(QChar(0)))
            continue;
        if (words.size() == max) {
            *more = true;
            break;
        }
        words.append(word.toString());
    }
    return words;
}

// Whether one line of the file holds the word: found by its bytes first, so
// that a large file is not decoded whole. Both of the file's encodings are
// looked for.
bool ListsBytes(const QByteArray &bytes, const QByteArray &needle, const QString &word) {
    qsizetype from = 0;
    while (true) {
        const qsizetype at = bytes.indexOf(needle, from);
        if (at < 0)
            return false;
        qsizetype start = at, end = at + needle.size();
        while (start > 0 && !LineBreak(bytes[start - 1]))
            --start;
        while (end < bytes.size() && !LineBreak(bytes[end]))
            ++end;
        const QStringList line = ParseUserWords(bytes.mid(start, end - start));
        if (line.size() == 1 && line.first() == word)
            return true;
        from = end;
    }
}

bool ListsWord(const QByteArray &bytes, const QString &word) {
    for (const bool utf8 : {false, true}) {
        QByteArray needle;
        if (utf8)
            needle = word.toUtf8();
        else if (!Cp1252::encode(word, &needle))
            continue;
        if (!needle.isEmpty() && ListsBytes(bytes, needle, word))
            return true;
        if (IsAscii(needle))
            break;
    }
    return false;
}

}  // namespace

QStringList ParseUserWords(const QByteArray &bytes) {
    bool more = false;
    return ParseWords(bytes, std::numeric_limits<qsizetype>::max(), &more);
}

QStringList LoadUserWords(const QString &path, bool *capped) {
    if (capped)
        *capped = false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QByteArray bytes = file.read(MaxUserDictionaryBytes);
    bool more = false;
    if (!file.atEnd()) {
        // The last line read may be cut short: it is not a word.
        more = true;
        const qsizetype lastBreak = std::max(bytes.lastIndexOf('\n'), bytes.lastIndexOf('\r'));
        bytes.truncate(lastBreak + 1);
    }
    QStringList words = ParseWords(bytes, MaxUserWords, &more);
    if (capped)
        *capped = more;
    return words;
}

QString UserWordsCappedMessage(qsizetype wordsRead) {
    return QStringLiteral(
               "Woerterbuch.txt ist zu gro\u00DF: nur die ersten %1 W\u00F6rter werden "
               "beachtet. Die Datei bleibt vollst\u00E4ndig erhalten.")
        .arg(wordsRead);
}

bool AddUserWord(const QString &path, const QString &word, QString *message) {
    const auto fail = [&](const QString &reason) {
        if (message)
            *message =
                QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, reason);
        return false;
    };
    const QString trimmed = word.trimmed();
    if (trimmed.isEmpty() || trimmed.contains(QLatin1Char('\n')) ||
        trimmed.contains(QLatin1Char('\r')) || trimmed.contains(QChar(0)) ||
        !trimmed.isValidUtf16())
        return fail(
            QStringLiteral("Das Wort \"%1\" kann darin nicht gespeichert werden.").arg(trimmed));

    QByteArray bytes;
    QFile file(path);
    if (file.exists()) {
        // Never rewrite a file whose words could not be read: they would be lost.
        if (!file.open(QIODevice::ReadOnly))
            return fail(file.errorString());
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return fail(file.errorString());
        file.close();
    }
    if (ListsWord(bytes, trimmed))
        return true;
    // Keep every byte of the old file; only make sure the last line is ended.
    if (!bytes.isEmpty() && !bytes.endsWith('\n') && !bytes.endsWith('\r'))
        bytes += "\r\n";
    // Windows-1252 as long as the file and the word allow it, so that a file
    // of German words stays what older versions read; UTF-8 (without a byte
    // order mark) once a word needs it, the words already there turned to it.
    QByteArray encoded;
    if (WrittenInUtf8(bytes)) {
        encoded = trimmed.toUtf8();
    } else if (!Cp1252::encode(trimmed, &encoded)) {
        if (!IsAscii(bytes))
            bytes = DecodeFile(bytes).toUtf8();
        encoded = trimmed.toUtf8();
    }
    bytes += encoded + "\r\n";
    QString reason;
    if (!WriteFileAtomically(path, bytes, &reason))
        return fail(reason);
    return true;
}
