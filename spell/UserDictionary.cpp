#include "spell/UserDictionary.h"

#include <QFile>

#include "model/AtomicFile.h"
#include "model/Cp1252.h"
#include "model/DataFolder.h"

QString UserDictionaryPath() {
    return DataFolder() + QStringLiteral("Woerterbuch.txt");
}

QStringList ParseUserWords(const QByteArray &bytes) {
    QStringList words;
    QString text = Cp1252::decode(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (QStringView line : QStringView(text).tokenize(QLatin1Char('\n'))) {
        const QStringView word = line.trimmed();
        if (!word.isEmpty() && !word.contains(QChar(0)))
            words.append(word.toString());
    }
    return words;
}

QStringList LoadUserWords(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ParseUserWords(file.readAll());
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
    if (ParseUserWords(bytes).contains(trimmed))
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
