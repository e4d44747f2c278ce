// Ribbon files for vellumo-cli as an order system may produce them: the strict
// reader either gives ribbons in file order, each read like a stored format,
// or one fault with a line of the file; never both, never a crash.
#include "model/Job.h"
#include "model/ProfileFile.h"
#include "model/RibbonFile.h"
#include "model/UnicodeText.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void CheckSameLayout(const TJob &a, const TJob &b) {
    FUZZ_CHECK(a.Name == b.Name && a.FontName == b.FontName);
    FUZZ_CHECK(a.Laenge == b.Laenge && a.Breite == b.Breite && a.Rand == b.Rand);
    FUZZ_CHECK(a.FontGroesse == b.FontGroesse && a.FontFarbe == b.FontFarbe && a.Stil == b.Stil);
    FUZZ_CHECK(a.Flip == b.Flip && a.Shadow == b.Shadow);
    FUZZ_CHECK(a.BildNameLinks == b.BildNameLinks && a.BildNameRechts == b.BildNameRechts);
    FUZZ_CHECK(a.BildBreiteLinks == b.BildBreiteLinks && a.BildAbstandLinks == b.BildAbstandLinks);
    FUZZ_CHECK(a.BildBreiteRechts == b.BildBreiteRechts &&
               a.BildAbstandRechts == b.BildAbstandRechts);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString fileName = QStringLiteral("auftrag.ini");
    const RibbonFileResult result = ReadRibbonFile(bytes, fileName);
    const int lines = int(bytes.count('\n')) + (bytes.endsWith('\n') ? 0 : 1);

    if (!result.ok()) {
        FUZZ_CHECK(result.ribbons.empty());
        FUZZ_CHECK(result.error->line >= 0 && result.error->line <= lines);
        FUZZ_CHECK(!result.error->message.isEmpty());
        FUZZ_CHECK(result.error->text().startsWith(fileName));
        return 0;
    }

    FUZZ_CHECK(!result.ribbons.empty());
    // The whole file read as a settings file holds the same sections: each
    // ribbon is what a stored format of that section would be.
    const ProfileFile profile(bytes, RibbonFileEncoding(bytes));
    int previousLine = 0;
    for (const RibbonEntry &entry : result.ribbons) {
        FUZZ_CHECK(entry.job != nullptr);
        FUZZ_CHECK(entry.line > previousLine && entry.line <= lines);
        previousLine = entry.line;
        const TJob &job = *entry.job;
        FUZZ_CHECK(job.Stil == Align || job.Stil == Center || job.Stil == UpSide);
        TJob stored;
        stored.LoadFromSection(profile, entry.section);
        CheckSameLayout(job, stored);
        // A text given in the file is never dropped on the way into the ribbon.
        QString value;
        if (profile.value(entry.section, QStringLiteral("TextLinks"), &value) && !value.isEmpty())
            FUZZ_CHECK(!job.TextLeft.isEmpty());
        if (profile.value(entry.section, QStringLiteral("TextRechts"), &value) && !value.isEmpty())
            FUZZ_CHECK(!job.TextRight.isEmpty());
        if (profile.value(entry.section, QStringLiteral("Kommission"), &value))
            FUZZ_CHECK(job.Kommission.str() ==
                       UnicodeText::firstLetters(UnicodeText::composed(value), 255));
    }
    return 0;
}
