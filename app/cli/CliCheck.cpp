#include "app/cli/CliCheck.h"

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

namespace {

// The dictionary the settings choose. Asked for explicitly, the check runs
// even where the window's checking is switched off, with German (Germany).
void PrepareChecker(const SettingsFile &settings, SpellChecker &checker) {
    const QList<DictionaryFiles> installed = GermanDictionaries();
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
    checker.setUserWords(LoadUserWords(UserDictionaryPath()));
    checker.setPhrases(LoadPhraseFile(PhraseFilePath()));
}

}  // namespace

QString CheckFinding::line() const {
    return QStringLiteral("ribbon=%1 section=%2 end=%3 kind=%4 detail=%5")
        .arg(ribbon)
        .arg(TraceQuoted(section), end, kind, TraceQuoted(detail));
}

QList<CheckFinding> SpellingFindings(const std::vector<RibbonEntry> &ribbons, SpellChecker &checker,
                                     bool rightPrinted) {
    QList<CheckFinding> findings;
    for (std::size_t i = 0; i < ribbons.size(); ++i) {
        const RibbonEntry &entry = ribbons[i];
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
                findings.append({int(i) + 1, entry.section,
                                 text.right ? QStringLiteral("rechts") : QStringLiteral("links"),
                                 QStringLiteral("spelling"), detail});
            }
        }
    }
    return findings;
}

QList<CheckFinding> FitFindingsOf(const std::vector<RibbonEntry> &ribbons,
                                  const RenderContext &context) {
    QList<CheckFinding> findings;
    for (std::size_t i = 0; i < ribbons.size(); ++i) {
        const RibbonEntry &entry = ribbons[i];
        if (!entry.job->HasText())
            continue;  // never printed
        for (const FitFinding &fit : CheckFit(context, *entry.job)) {
            const QString detail = fit.kind == FitFinding::Kind::MissingPicture
                                       ? fit.picture
                                       : QStringLiteral("%1 mm").arg(fit.millimetres);
            findings.append({int(i) + 1, entry.section, fit.endName(), fit.kindName(), detail});
        }
    }
    return findings;
}

int RunCheck(const CliArgs &args, QTextStream &out, QTextStream &) {
    CliSession session(args);
    std::vector<const RibbonEntry *> all;
    for (const RibbonEntry &entry : session.ribbons())
        all.push_back(&entry);
    CheckDrawable(args, all);
    // What does not fit, from the ink printing would put down.
    QList<CheckFinding> findings = FitFindingsOf(session.ribbons(), session.context());
    if (args.has(QStringLiteral("spelling"))) {
        SpellChecker checker;
        PrepareChecker(session.settings(), checker);
        // The compatibility mode ("Methode" 4) prints no right ends.
        const bool rightPrinted = !session.shared().compatibilityMode();
        findings += SpellingFindings(session.ribbons(), checker, rightPrinted);
    }
    for (const CheckFinding &finding : findings)
        out << finding.line() << '\n';
    return findings.isEmpty() ? CliOk : CliFindings;
}
