#include "model/PhraseFile.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>

#include "model/AtomicFile.h"
#include "model/Cp1252.h"
#include "model/FileError.h"

namespace {

constexpr qsizetype kStoredPhraseLength = 255;

bool lessIgnoringCase(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

bool phraseStorable(const QString &phrase) {
    return !phrase.contains(QLatin1Char('\r')) && !phrase.contains(QLatin1Char('\n')) &&
           !phrase.contains(QChar(0)) && Cp1252::canEncode(phrase);
}

}  // namespace

QString EncodePhrase(const QString &memoText) {
    QString out;
    out.reserve(memoText.size() + 8);
    for (qsizetype i = 0; i < memoText.size(); ++i) {
        const QChar c = memoText[i];
        if (c == QLatin1Char('\r')) {
            if (i + 1 < memoText.size() && memoText[i + 1] == QLatin1Char('\n'))
                ++i;
            out += QStringLiteral("\\\\");
        } else if (c == QLatin1Char('\n')) {
            out += QStringLiteral("\\\\");
        } else {
            out += c;
        }
    }
    return out;
}

QString DecodePhrase(const QString &phrase) {
    QString out;
    out.reserve(phrase.size());
    for (qsizetype i = 0; i < phrase.size(); ++i) {
        if (phrase[i] == QLatin1Char('\\') && i + 1 < phrase.size() &&
            phrase[i + 1] == QLatin1Char('\\')) {
            out += QLatin1Char('\n');
            ++i;
        } else {
            out += phrase[i];
        }
    }
    return out;
}

QStringList ParsePhrases(const QByteArray &bytes) {
    QByteArray text = bytes;
    text.removeIf([](char c) { return c == '\0'; });

    QStringList phrases;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        phrases.append(Cp1252::decode(text.mid(start, i - start)));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        phrases.append(Cp1252::decode(text.mid(start)));
    return phrases;
}

QStringList LoadPhraseFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return ParsePhrases(f.readAll());
}

qsizetype DroppedPhraseBytes(const QByteArray &bytes) {
    return bytes.count('\0');
}

bool SavePhraseFile(const QString &path, const QStringList &phrases, bool *inPlace) {
    if (inPlace)
        *inPlace = false;
    auto error = [&path](const QString &reason) {
        return FileWriteError(
            QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, reason));
    };
    QByteArray bytes;
    for (const QString &phrase : phrases) {
        QByteArray encoded;
        if (!phraseStorable(phrase) || !Cp1252::encode(phrase, &encoded))
            throw error(
                QStringLiteral("Ein Text enthält Zeichen, die nicht gespeichert werden können."));
        bytes += encoded;
        bytes += "\r\n";
    }
    QByteArray old;
    QFile f(path);
    if (f.open(QIODevice::ReadOnly))
        old = f.readAll();
    f.close();
    if (bytes == old && f.exists())
        return false;
    QString reason;
    if (!WriteFileAtomically(path, bytes, &reason, inPlace))
        throw error(reason);
    return true;
}

QStringList MergePhrases(const QStringList &disk, const QStringList &read, const QStringList &now) {
    QHash<QString, int> readCount, nowCount;
    for (const QString &p : read)
        ++readCount[p];
    for (const QString &p : now)
        ++nowCount[p];

    QStringList merged = disk;
    for (auto it = readCount.cbegin(); it != readCount.cend(); ++it) {
        for (int gone = it.value() - nowCount.value(it.key()); gone > 0; --gone) {
            const qsizetype at = merged.indexOf(it.key());
            if (at < 0)
                break;
            merged.removeAt(at);
        }
    }
    QSet<QString> added;
    for (const QString &p : now) {
        if (nowCount.value(p) <= readCount.value(p) || added.contains(p))
            continue;
        added.insert(p);
        if (!merged.contains(p, Qt::CaseInsensitive))
            merged.append(p);
    }
    PhraseList list;
    list.assign(merged);
    return list.phrases();
}

void PhraseList::assign(const QStringList &phrases) {
    phrases_ = phrases;
    std::stable_sort(phrases_.begin(), phrases_.end(), lessIgnoringCase);
}

qsizetype PhraseList::add(const QString &phrase) {
    if (!phraseStorable(phrase))
        return -1;
    const auto it = std::upper_bound(phrases_.begin(), phrases_.end(), phrase, lessIgnoringCase);
    const qsizetype pos = it - phrases_.begin();
    phrases_.insert(pos, phrase);
    return pos;
}

bool PhraseList::containsIgnoringCase(const QString &phrase) const {
    return phrases_.contains(phrase, Qt::CaseInsensitive);
}

void PhraseList::removeAt(qsizetype index) {
    if (index >= 0 && index < phrases_.size())
        phrases_.removeAt(index);
}

qsizetype PhraseList::storeMemoText(const QString &memoText) {
    const QString phrase = EncodePhrase(memoText).left(kStoredPhraseLength);
    if (containsIgnoringCase(phrase))
        return -1;
    return add(phrase);
}
