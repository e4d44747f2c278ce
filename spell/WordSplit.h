#pragma once

#include <QList>
#include <QStringView>

// A stretch of a text line, in QString positions.
struct TextSpan {
    qsizetype start = 0;
    qsizetype length = 0;
    qsizetype end() const { return start + length; }
    bool operator==(const TextSpan &) const = default;
};

// A word as the spelling check sees it: letters and digits, joined by inner
// hyphens ("Schwieger-Mutter") and inner apostrophes ("geht's"). Umlauts, ß
// and any other letters belong to words; everything else separates them.
struct SpellWord {
    TextSpan span;
    bool beforeDot = false;  // a full stop follows at once ("Dr.", "geb.")
};

// The words of a text worth checking, in text order. Words that are skipped
// are not listed: numbers, single letters and words in capitals ("RIP",
// "GRUSS"); a hyphenated word is listed while one of its parts is not skipped.
QList<SpellWord> SplitWords(QStringView text);

// Whether a word or one part of a hyphenated word is left unchecked: it holds
// a digit, has one letter only, or has no small letter.
bool IsSkippedWord(QStringView part);

// ' and the apostrophes Windows-1252 also holds (’ ‘ ´ `).
bool IsApostrophe(QChar c);
