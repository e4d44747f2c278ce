#include "spell/SpellChecker.h"

#include "model/UnicodeText.h"
#include "spell/SpellDictionary.h"

namespace {

// One spelling of the apostrophe, so "geht’s" and "geht's" are one word.
QString Normalised(QStringView word) {
    QString result = word.toString();
    for (QChar &c : result) {
        if (IsApostrophe(c))
            c = QLatin1Char('\'');
    }
    return result;
}

QString SmallFirst(const QString &word) {
    if (word.isEmpty())
        return word;
    return word.left(1).toLower() + word.mid(1);
}

}  // namespace

SpellChecker::SpellChecker() = default;
SpellChecker::~SpellChecker() = default;

void SpellChecker::setDictionary(std::shared_ptr<SpellDictionary> dictionary) {
    dictionary_ = std::move(dictionary);
    answers_.clear();
}

void SpellChecker::setUserWords(const QStringList &words) {
    userWords_.clear();
    for (const QString &word : words)
        addUserWord(word);
}

void SpellChecker::addUserWord(const QString &word) {
    userWords_.insert(Normalised(word));
}

void SpellChecker::addWordsOf(const QString &text, QSet<QString> *set) {
    for (const SpellWord &word : SplitWords(text)) {
        const QString whole =
            Normalised(QStringView(text).sliced(word.span.start, word.span.length));
        set->insert(whole);
        for (QStringView part : QStringView(whole).tokenize(QLatin1Char('-')))
            set->insert(part.toString());
    }
}

void SpellChecker::setPhrases(const QStringList &phrases) {
    phraseWords_.clear();
    for (const QString &phrase : phrases)
        addWordsOf(phrase, &phraseWords_);
}

void SpellChecker::ignore(const QString &word) {
    ignored_.insert(Normalised(word));
}

bool SpellChecker::isOwnWord(const QString &word) const {
    for (const QString &form : {word, SmallFirst(word)}) {
        if (userWords_.contains(form) || phraseWords_.contains(form) || ignored_.contains(form))
            return true;
    }
    return false;
}

bool SpellChecker::inDictionary(const QString &word) {
    const auto known = answers_.constFind(word);
    if (known != answers_.constEnd())
        return *known;
    // A name in letters the language does not use is none of its business.
    const bool answer = !dictionary_->judges(word) || dictionary_->spell(word);
    answers_.insert(word, answer);
    return answer;
}

bool SpellChecker::isKnownPart(const QString &word, bool beforeDot) {
    if (isOwnWord(word) || inDictionary(word))
        return true;
    if (beforeDot && inDictionary(word + QLatin1Char('.')))
        return true;
    // "geht's", "gibt's": the dictionary has no forms with apostrophes.
    if (word.size() > 3 && word.at(word.size() - 2) == QLatin1Char('\'') &&
        word.back().toLower() == QLatin1Char('s')) {
        const QString stem = word.chopped(2);
        return isOwnWord(stem) || inDictionary(stem);
    }
    return false;
}

bool SpellChecker::isKnown(QStringView text, bool beforeDot) {
    if (!dictionary_)
        return true;
    const QString word = Normalised(text);
    if (isKnownPart(word, beforeDot))
        return true;
    const QList<QStringView> parts = QStringView(word).split(QLatin1Char('-'));
    if (parts.size() < 2)
        return false;
    bool partsKnown = true;
    bool skipped = false;
    for (qsizetype i = 0; i < parts.size() && partsKnown; ++i) {
        if (IsSkippedWord(parts[i]))
            skipped = true;
        else
            partsKnown = isKnownPart(parts[i].toString(), beforeDot && i == parts.size() - 1);
    }
    if (partsKnown)
        return true;
    // A compound written with hyphens for clarity: "Schwieger-Mutter".
    if (skipped)
        return false;
    QString joined = parts.first().toString();
    for (qsizetype i = 1; i < parts.size(); ++i)
        joined += SmallFirst(parts[i].toString());
    return inDictionary(joined);
}

QList<TextSpan> SpellChecker::unknownWords(QStringView text) {
    QList<TextSpan> unknown;
    if (!dictionary_)
        return unknown;
    for (const SpellWord &word : SplitWords(text)) {
        if (!isKnown(text.sliced(word.span.start, word.span.length), word.beforeDot))
            unknown.append(word.span);
    }
    return unknown;
}

QStringList SpellChecker::unknownWordList(QStringView text) {
    QStringList words;
    for (const TextSpan &span : unknownWords(text)) {
        const QString word = text.sliced(span.start, span.length).toString();
        if (!words.contains(word))
            words.append(word);
    }
    return words;
}

QStringList SpellChecker::suggestions(const QString &word, int max) {
    QStringList result;
    if (!dictionary_)
        return result;
    for (const QString &suggestion : dictionary_->suggest(Normalised(word))) {
        if (result.size() >= max)
            break;
        if (UnicodeText::acceptable(suggestion) && !result.contains(suggestion))
            result.append(suggestion);
    }
    return result;
}
