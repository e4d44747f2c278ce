#include "spell/UserDictionary.h"

#include <QFile>
#include <algorithm>
#include <limits>

#include "model/AtomicFile.h"
#include "model/Cp1252.h"
#include "model/DataFolder.h"

QString UserDictionaryPath() {
    return DataFolder() + QStringLiteral("Woerterbuch.txt");
}

namespace {

// The words of the bytes, at most `max` of them; `more` is set when words
// were left over.
QStringList ParseWords(const QByteArray &bytes, qsizetype max, bool *more) {
    QStringList words;
    QString text = Cp1252::decode(bytes);
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
// that a large file is not decoded whole.
bool ListsWord(const QByteArray &bytes, const QString &word) {
    QByteArray needle;
    if (!Cp1252::encode(word, &needle) || needle.isEmpty())
        return false;
    const auto lineBreak = [](char c) { return c == '\n' || c == '\r'; };
    qsizetype from = 0;
    while (true) {
        const qsizetype at = bytes.indexOf(needle, from);
        if (at < 0)
            return false;
        qsizetype start = at, end = at + needle.size();
        while (start > 0 && !lineBreak(bytes[start - 1]))
            --start;
        while (end < bytes.size() && !lineBreak(bytes[end]))
            ++end;
        const QStringList line = ParseUserWords(bytes.mid(start, end - start));
        if (line.size() == 1 && line.first() == word)
            return true;
        from = end;
    }
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
        !Cp1252::canEncode(trimmed))
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
    QByteArray encoded;
    Cp1252::encode(trimmed, &encoded);
    bytes += encoded + "\r\n";
    QString reason;
    if (!WriteFileAtomically(path, bytes, &reason))
        return fail(reason);
    return true;
}
