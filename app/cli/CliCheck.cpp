#include "app/cli/CliCheck.h"

#include <QElapsedTimer>
#include <QTextStream>

#include "app/cli/CliCommands.h"
#include "app/cli/CliSession.h"
#include "app/cli/Trace.h"
#include "model/DataFolder.h"
#include "model/Job.h"
#include "model/PhraseFile.h"
#include "model/SettingsFile.h"
#include "print/PrintCommand.h"
#include "render/FitCheck.h"
#include "spell/RibbonTexts.h"
#include "spell/SpellChecker.h"
#include "spell/SpellDictionary.h"
#include "spell/UserDictionary.h"

// The dictionary the settings choose. Asked for explicitly, the check runs
// even where the window's checking is switched off, with German (Germany).
void PrepareChecker(const SettingsFile &settings, SpellChecker &checker, QTextStream &err) {
    const QList<DictionaryFiles> installed = InstalledDictionaries();
    std::optional<DictionaryFiles> files =
        ChosenDictionary(settings.readString(SpellingSection, SpellingKey), installed);
    if (!files)
        files = ChosenDictionary(QString(), installed);
    if (!files)
        throw BadInput(QStringLiteral(
            "vellumo-cli: kein deutsches W\u00f6rterbuch f\u00fcr Hunspell installiert "
            "(Paket hunspell-de-de)"));
    std::unique_ptr<SpellDictionary> dictionary = SpellDictionary::open(*files);
    if (!dictionary)
        throw BadInput(
            QStringLiteral("%1: W\u00f6rterbuch kann nicht gelesen werden").arg(files->dic));
    checker.setDictionary(std::move(dictionary));
    // The shop's own words count as known, as in the window.
    bool capped = false;
    const QStringList userWords = LoadUserWords(UserDictionaryPath(), &capped);
    if (capped)
        err << QStringLiteral("vellumo-cli: ") << UserWordsCappedMessage(userWords.size()) << '\n';
    checker.setUserWords(userWords);
    checker.setPhrases(LoadPhraseFile(PhraseFilePath()));
}

std::function<QStringList(const TJob &)> UnattendedSpelling(const SettingsFile &settings,
                                                            SpellChecker &checker,
                                                            bool rightPrinted) {
    QString ignored;
    QTextStream quiet(&ignored);
    try {
        PrepareChecker(settings, checker, quiet);
    } catch (const CliError &) {
        return nullptr;  // no dictionary: nothing to list
    }
    return [&checker, rightPrinted](const TJob &job) {
        QStringList words;
        for (const RibbonText &text : PrintedTexts(job, rightPrinted)) {
            for (const QString &line : text.lines) {
                for (const QString &word : checker.unknownWordList(line)) {
                    if (!words.contains(word))
                        words.append(word);
                }
            }
        }
        return words;
    };
}

QString CheckFinding::line() const {
    return QStringLiteral("ribbon=%1 section=%2 end=%3 kind=%4 detail=%5")
        .arg(ribbon)
        .arg(TraceQuoted(section), end, kind, TraceQuoted(detail));
}

namespace {

// The spelling findings of one ribbon: each unknown word once per printed text.
void AddSpellingFindings(int ribbon, const RibbonEntry &entry, SpellChecker &checker,
                         bool rightPrinted, QList<CheckFinding> *findings) {
    for (const RibbonText &text : PrintedTexts(*entry.job, rightPrinted)) {
        QStringList words;
        for (const QString &line : text.lines) {
            for (const QString &word : checker.unknownWordList(line)) {
                if (!words.contains(word))
                    words.append(word);
            }
        }
        for (const QString &word : words) {
            const QStringList suggestions = checker.suggestions(word, CheckSuggestions);
            QString detail = word;
            if (!suggestions.isEmpty())
                detail += QStringLiteral(": ") + suggestions.join(QStringLiteral(", "));
            findings->append({ribbon, entry.section,
                              text.right ? QStringLiteral("rechts") : QStringLiteral("links"),
                              QStringLiteral("spelling"), detail});
        }
    }
}

void AddFitFindings(int ribbon, const RibbonEntry &entry, const RenderContext &context,
                    QList<CheckFinding> *findings) {
    if (!entry.job->HasText())
        return;  // never printed
    for (const FitFinding &fit : CheckFit(context, *entry.job)) {
        QString detail;
        if (fit.kind == FitFinding::Kind::MissingPicture) {
            detail = fit.picture;
        } else if (fit.kind == FitFinding::Kind::MissingLetters) {
            // Every character, not only the first few the window names.
            QStringList characters;
            for (const char32_t ch : fit.characters)
                characters << QString::fromUcs4(&ch, 1);
            detail = fit.face + QStringLiteral(": ") + characters.join(QStringLiteral(", "));
        } else {
            detail = QStringLiteral("%1 mm").arg(fit.millimetres);
        }
        findings->append({ribbon, entry.section, fit.endName(), fit.kindName(), detail});
    }
}

}  // namespace

QList<CheckFinding> RibbonFindings(const std::vector<RibbonEntry> &ribbons,
                                   const RenderContext &context, SpellChecker *checker,
                                   bool rightPrinted) {
    QList<CheckFinding> findings, spellingFindings;
    for (std::size_t i = 0; i < ribbons.size(); ++i) {
        AddFitFindings(int(i) + 1, ribbons[i], context, &findings);
        if (checker)
            AddSpellingFindings(int(i) + 1, ribbons[i], *checker, rightPrinted, &spellingFindings);
    }
    return findings + spellingFindings;
}

QList<CheckFinding> SpellingFindings(const std::vector<RibbonEntry> &ribbons, SpellChecker &checker,
                                     bool rightPrinted) {
    QList<CheckFinding> findings;
    for (std::size_t i = 0; i < ribbons.size(); ++i)
        AddSpellingFindings(int(i) + 1, ribbons[i], checker, rightPrinted, &findings);
    return findings;
}

CheckProgress::CheckProgress(qsizetype total, std::function<qint64()> elapsedMs,
                             std::function<void(const QString &)> report)
    : total_(total), elapsedMs_(std::move(elapsedMs)), report_(std::move(report)) {}

void CheckProgress::done(qsizetype count) {
    const qint64 now = elapsedMs_();
    if (now < QuietMs || (reported_ && now - lastReport_ < IntervalMs))
        return;
    show(count);
    lastReport_ = now;
}

void CheckProgress::finish() {
    // Whoever saw the count run also sees it end.
    if (reported_ && shown_ != total_)
        show(total_);
}

void CheckProgress::show(qsizetype count) {
    report_(QStringLiteral("%1 von %2 Schleifen gepr\u00fcft").arg(count).arg(total_));
    reported_ = true;
    shown_ = count;
}

int RunCheck(const CliArgs &args, QTextStream &out, QTextStream &err) {
    CliSession session(args);
    std::vector<const RibbonEntry *> all;
    for (const RibbonEntry &entry : session.ribbons())
        all.push_back(&entry);
    CheckDrawable(args, all);
    const bool spelling = args.has(QStringLiteral("spelling"));
    SpellChecker checker;
    if (spelling)
        PrepareChecker(session.settings(), checker, err);
    // The compatibility mode ("Methode" 4) prints no right ends.
    const bool rightPrinted = !session.shared().compatibilityMode();
    const RenderContext context = session.context();

    // A long run says how far it has come; stdout carries only the findings.
    QElapsedTimer clock;
    clock.start();
    const std::vector<RibbonEntry> &ribbons = session.ribbons();
    CheckProgress progress(
        qsizetype(ribbons.size()), [&clock] { return clock.elapsed(); },
        [&err](const QString &text) {
            err << QStringLiteral("vellumo-cli: ") << text << '\n';
            err.flush();
        });
    // What does not fit, from the ink printing would put down; then the
    // unknown words.
    QList<CheckFinding> findings, spellingFindings;
    for (std::size_t i = 0; i < ribbons.size(); ++i) {
        AddFitFindings(int(i) + 1, ribbons[i], context, &findings);
        if (spelling)
            AddSpellingFindings(int(i) + 1, ribbons[i], checker, rightPrinted, &spellingFindings);
        progress.done(qsizetype(i) + 1);
    }
    progress.finish();
    findings += spellingFindings;
    for (const CheckFinding &finding : findings)
        out << finding.line() << '\n';
    return findings.isEmpty() ? CliOk : CliFindings;
}
