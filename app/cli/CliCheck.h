#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

struct RibbonEntry;
class QTextStream;
class SettingsFile;
class SpellChecker;
struct RenderContext;
class TJob;

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

// What does not fit, then (with a checker) the unknown words, of the ribbons
// in order, as check reports them.
QList<CheckFinding> RibbonFindings(const std::vector<RibbonEntry> &ribbons,
                                   const RenderContext &context, SpellChecker *checker,
                                   bool rightPrinted);

// Opens the dictionary the settings choose (German when none is chosen), with
// the shop's own words and phrases as known. Throws CliError when there is none.
void PrepareChecker(const SettingsFile &settings, SpellChecker &checker, QTextStream &err);

// The spelling check of a print without a window: the unknown words of the
// texts a ribbon prints, with the dictionary the settings choose; none when
// no dictionary can be opened (the print goes on: unknown words never stop
// it, they are only listed).
std::function<QStringList(const TJob &)> UnattendedSpelling(const SettingsFile &settings,
                                                           SpellChecker &checker,
                                                           bool rightPrinted);

constexpr int CheckSuggestions = 3;

// How far a long check has come, for stderr: nothing in the first two
// seconds (a short run stays silent), then "n von m Schleifen geprüft" at
// most once a second, and at the end the full count when any was shown. The
// clock (milliseconds since the start) is handed in.
class CheckProgress {
public:
    CheckProgress(qsizetype total, std::function<qint64()> elapsedMs,
                  std::function<void(const QString &)> report);
    // `count` ribbons of the total are checked.
    void done(qsizetype count);
    void finish();

    static constexpr qint64 QuietMs = 2000;
    static constexpr qint64 IntervalMs = 1000;

private:
    void show(qsizetype count);

    qsizetype total_;
    std::function<qint64()> elapsedMs_;
    std::function<void(const QString &)> report_;
    bool reported_ = false;
    qint64 lastReport_ = 0;
    qsizetype shown_ = 0;
};
