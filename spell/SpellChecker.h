#pragma once

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

#include "spell/WordSplit.h"

class SpellDictionary;

// Decides which words of the ribbon texts are unknown: those that neither the
// dictionary nor the shop's own words know. The shop's words are the user's
// dictionary (Woerterbuch.txt), every word of the phrase list ("Familie
// Wojciechowski") and the words ignored for this run. Without a dictionary
// (checking off, or not loaded yet) no word is unknown, nor is a word the
// dictionary does not judge (letters its language does not use).
//
// German rules beyond the dictionary: a hyphenated word is known when its
// parts are ("DRK-Ortsverein") or when it is a known word written with a
// hyphen ("Schwieger-Mutter"); "geht's" when "geht" is; "Dr" before a full
// stop when "Dr." is; a word at the start of a sentence when its small-letter
// form is one of the shop's words.
class SpellChecker {
public:
    SpellChecker();
    ~SpellChecker();
    SpellChecker(const SpellChecker &) = delete;
    SpellChecker &operator=(const SpellChecker &) = delete;

    // Shared so that it can be loaded on another thread and handed over.
    void setDictionary(std::shared_ptr<SpellDictionary> dictionary);
    SpellDictionary *dictionary() const { return dictionary_.get(); }
    bool checking() const { return dictionary_ != nullptr; }

    void setUserWords(const QStringList &words);
    void addUserWord(const QString &word);
    // The phrases as the list keeps them (line breaks as two backslashes).
    void setPhrases(const QStringList &phrases);
    void ignore(const QString &word);

    // The unknown words of a text, in text order.
    QList<TextSpan> unknownWords(QStringView text);
    // The unknown words of a text as strings, each once, in text order.
    QStringList unknownWordList(QStringView text);
    bool isKnown(QStringView word, bool beforeDot = false);

    // At most `max` suggestions that a ribbon text can hold.
    QStringList suggestions(const QString &word, int max);

private:
    bool isOwnWord(const QString &word) const;
    bool inDictionary(const QString &word);
    bool isKnownPart(const QString &word, bool beforeDot);
    static void addWordsOf(const QString &text, QSet<QString> *set);

    std::shared_ptr<SpellDictionary> dictionary_;
    QHash<QString, bool> answers_;  // the dictionary's answers so far
    QSet<QString> userWords_;
    QSet<QString> phraseWords_;
    QSet<QString> ignored_;
};
