#include "model/PhraseFile.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <algorithm>

#include "model/Approximation.h"
#include "model/AtomicFile.h"
#include "model/Cp1252.h"
#include "model/FileError.h"
#include "model/UnicodeText.h"

namespace {

constexpr qsizetype kStoredPhraseLength = 255;

bool lessIgnoringCase(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) < 0;
}

bool phraseStorable(const QString &phrase) {
    return UnicodeText::acceptable(phrase);
}

QByteArray readAll(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The lines of the phrase file as bytes, with the rules of reading it.
QList<QByteArray> phraseLines(const QByteArray &bytes) {
    QByteArray text = bytes;
    text.removeIf([](char c) { return c == '\0'; });
    QList<QByteArray> lines;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c != '\r' && c != '\n')
            continue;
        lines.append(text.mid(start, i - start));
        if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.append(text.mid(start));
    return lines;
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

QString PhraseCompanionPath(const QString &phrasePath) {
    const qsizetype slash = phrasePath.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = phrasePath.lastIndexOf(QLatin1Char('.'));
    if (dot <= slash + 1)
        return phrasePath + QStringLiteral(".UTF8");
    return phrasePath.left(dot) + QStringLiteral(".UTF8") + phrasePath.mid(dot);
}

QStringList ParsePhrases(const QByteArray &bytes, const QByteArray &companion) {
    // The exact phrases by the fingerprint of the line they stand for; a
    // line the Windows version has since removed or changed finds none.
    QHash<QByteArray, QStringList> exact;
    // A byte order mark an editor put before the first entry is read past.
    const QByteArray bom("\xEF\xBB\xBF");
    const QByteArray entries = companion.startsWith(bom) ? companion.mid(bom.size()) : companion;
    for (const QByteArray &entry : phraseLines(entries)) {
        if (entry.size() < 9 || entry[8] != ' ')
            continue;
        bool valid = false;
        const QString phrase = UnicodeText::FromUtf8(entry.mid(9), &valid);
        if (!valid)
            return ParsePhrases(bytes);
        if (phraseStorable(phrase))
            exact[entry.left(8)].append(phrase);
    }
    QStringList phrases;
    for (const QByteArray &line : phraseLines(bytes)) {
        QStringList *candidates = nullptr;
        if (!exact.isEmpty()) {
            auto it = exact.find(Approximation::fingerprint(line));
            if (it != exact.end() && !it->isEmpty())
                candidates = &*it;
        }
        phrases.append(candidates ? candidates->takeFirst() : Cp1252::decode(line));
    }
    return phrases;
}

QStringList LoadPhraseFile(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return ParsePhrases(f.readAll(), readAll(PhraseCompanionPath(path)));
}

qsizetype DroppedPhraseBytes(const QByteArray &bytes) {
    return bytes.count('\0');
}

bool SavePhraseFile(const QString &path, const QStringList &phrases, bool *inPlace) {
    if (inPlace)
        *inPlace = false;
    auto error = [](const QString &file, const QString &reason) {
        return FileWriteError(
            QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(file, reason));
    };
    QByteArray bytes, companion;
    for (const QString &phrase : phrases) {
        // What the file gave (a control character the Windows version left
        // there) goes back as it came; only what would break a line, or a
        // text neither file can hold, is refused.
        const bool breaksLine = phrase.contains(QLatin1Char('\r')) ||
                                phrase.contains(QLatin1Char('\n')) || phrase.contains(QChar(0));
        if (breaksLine || (!Cp1252::canEncode(phrase) && !phraseStorable(phrase)))
            throw error(
                path,
                QStringLiteral("Ein Text enthält Zeichen, die nicht gespeichert werden können."));
        QByteArray encoded;
        if (!Cp1252::encode(phrase, &encoded)) {
            Cp1252::encode(Approximation::forWindows1252(phrase), &encoded);
            companion += Approximation::fingerprint(encoded) + ' ' + phrase.toUtf8() + '\n';
        }
        bytes += encoded;
        bytes += "\r\n";
    }
    const QString companionPath = PhraseCompanionPath(path);
    const bool companionThere = QFile::exists(companionPath);
    const bool companionSame = companion.isEmpty()
                                   ? !companionThere
                                   : companionThere && readAll(companionPath) == companion;
    if (bytes == readAll(path) && QFile::exists(path) && companionSame)
        return false;
    // The exact texts first: should the phrase file then not be written, the
    // old lines find no entry and read as they are; the other way round, an
    // approximation would be read without its exact text.
    QString reason;
    bool companionInPlace = false;
    if (!companionSame) {
        if (companion.isEmpty()) {
            QFile stale(companionPath);
            if (!stale.remove())
                throw error(companionPath, stale.errorString());
        } else if (!WriteFileAtomically(companionPath, companion, &reason, &companionInPlace)) {
            throw error(companionPath, reason);
        }
    }
    if (!WriteFileAtomically(path, bytes, &reason, inPlace))
        throw error(path, reason);
    if (inPlace)
        *inPlace = *inPlace || companionInPlace;
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
    const QString phrase = UnicodeText::firstLetters(UnicodeText::composed(EncodePhrase(memoText)),
                                                     kStoredPhraseLength);
    if (containsIgnoringCase(phrase))
        return -1;
    return add(phrase);
}
