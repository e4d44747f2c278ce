#pragma once

#include <QList>
#include <QString>
#include <vector>

struct RibbonEntry;
class SpellChecker;

// One finding of "vellumo-cli check": where it is and what it is. The kinds
// of finding share this record and its line.
struct CheckFinding {
    int ribbon = 0;   // the ribbon's place in the file, counted from 1
    QString section;  // the ribbon's section name
    QString end;      // "links" or "rechts"
    QString kind;     // "spelling"
    QString detail;   // for spelling: the word and up to three suggestions

    // ribbon=2 section="Meier" end=links kind=spelling detail="Träuer: Trauer, Träumer"
    QString line() const;
};

// One finding per unknown word of each printed text of the ribbons (a word
// once per text), in file order.
QList<CheckFinding> SpellingFindings(const std::vector<RibbonEntry> &ribbons, SpellChecker &checker,
                                     bool rightPrinted);

constexpr int CheckSuggestions = 3;
