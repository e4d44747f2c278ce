#include <benchmark/benchmark.h>

#include <QStringList>
#include <memory>

#include "spell/SpellChecker.h"
#include "spell/SpellDictionary.h"

namespace {

// Both memos of a ribbon with ten lines between them, a few words unknown.
const QStringList kLeft = {
    QStringLiteral("In stiller Trauer nehmen wir Abschied"),
    QStringLiteral("von unserer lieben Schwieger-Mutter"),
    QStringLiteral("Oma und Uroma Käthe Wojciechowski"),
    QStringLiteral("Wir werden dich nie vergessen"),
    QStringLiteral("Deine Kinder, Enkel und Urenkel"),
};
const QStringList kRight = {
    QStringLiteral("Ein letzter Gruss in Dankbarkeit"),
    QStringLiteral("von deinen Nachbarn aus der Lindenstraße"),
    QStringLiteral("und dem DRK-Ortsverein Kirchdorf e.V."),
    QStringLiteral("Ruhe sanft, wie geht's dir dort oben?"),
    QStringLiteral("In Liebe und Träuer, Dr. Meier 1950 – 2024"),
};

std::shared_ptr<SpellDictionary> German() {
    static const std::shared_ptr<SpellDictionary> dictionary = [] {
        const auto files = ChosenDictionary(QString(), InstalledDictionaries());
        return std::shared_ptr<SpellDictionary>(files ? SpellDictionary::open(*files) : nullptr);
    }();
    return dictionary;
}

int CheckRibbon(SpellChecker &checker) {
    int unknown = 0;
    for (const QStringList *memo : {&kLeft, &kRight}) {
        for (const QString &line : *memo)
            unknown += int(checker.unknownWords(line).size());
    }
    return unknown;
}

// Every word asked of Hunspell afresh: a ribbon loaded into the memos for the
// first time.
void CheckRibbonOfTenLines(benchmark::State &state) {
    if (!German()) {
        state.SkipWithError("no German dictionary installed");
        return;
    }
    int unknown = 0;
    for (auto _ : state) {
        SpellChecker checker;
        checker.setDictionary(German());
        unknown = CheckRibbon(checker);
        benchmark::DoNotOptimize(unknown);
    }
    state.counters["unknown"] = unknown;
}
BENCHMARK(CheckRibbonOfTenLines)->Unit(benchmark::kMicrosecond);

// The words seen before: what typing in a memo costs.
void CheckRibbonOfTenLinesAgain(benchmark::State &state) {
    if (!German()) {
        state.SkipWithError("no German dictionary installed");
        return;
    }
    SpellChecker checker;
    checker.setDictionary(German());
    CheckRibbon(checker);
    for (auto _ : state)
        benchmark::DoNotOptimize(CheckRibbon(checker));
}
BENCHMARK(CheckRibbonOfTenLinesAgain)->Unit(benchmark::kMicrosecond);

// What the program waits for off the GUI thread at start.
void LoadGermanDictionary(benchmark::State &state) {
    const auto files = ChosenDictionary(QString(), InstalledDictionaries());
    if (!files) {
        state.SkipWithError("no German dictionary installed");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(SpellDictionary::open(*files).get());
}
BENCHMARK(LoadGermanDictionary)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

BENCHMARK_MAIN();
