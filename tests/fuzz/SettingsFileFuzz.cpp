// RIBOLANT.INI as a user may leave it: read every key the program reads, write
// one key, and write and read back the stored formats. Writing must never lose
// a line it did not write, and what was written must read back.
#include <QStringList>
#include <utility>
#include <vector>

#include "model/DataFolder.h"
#include "model/FileError.h"
#include "model/Job.h"
#include "model/ProfileFile.h"
#include "model/SettingsFile.h"
#include "model/StoredFormats.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

using Probe = std::pair<QString, QString>;

const QStringList kJobKeys = {
    QStringLiteral("Name"),
    QStringLiteral("L\u00e4nge"),
    QStringLiteral("Breite"),
    QStringLiteral("Rand"),
    QStringLiteral("FontName"),
    QStringLiteral("FontGr\u00f6\u00dfe"),
    QStringLiteral("FontFarbe"),
    QStringLiteral("Stil"),
    QStringLiteral("Flip"),
    QStringLiteral("Shadow"),
    QStringLiteral("BildNameLinks"),
    QStringLiteral("BildBreiteLinks"),
    QStringLiteral("BildAbstandLinks"),
    QStringLiteral("BildNameRechts"),
    QStringLiteral("BildBreiteRechts"),
    QStringLiteral("BildAbstandRechts"),
};

// Every key the program writes, and a few it only reads.
const std::vector<Probe> &Probes() {
    static const std::vector<Probe> probes = [] {
        std::vector<Probe> p = {
            {QStringLiteral("Format"), QStringLiteral("Anzahl")},
            {QStringLiteral("Drucker"), QStringLiteral("Name")},
            {QStringLiteral("Drucker"), QStringLiteral("Methode")},
            {QStringLiteral("General"), QStringLiteral("Version")},
            {QStringLiteral("Colors"), QStringLiteral("Color1")},
        };
        for (int i = 0; i < 3; ++i) {
            for (const QString &key : kJobKeys)
                p.emplace_back(QStringLiteral("Format%1").arg(i), key);
        }
        return p;
    }();
    return probes;
}

// Values as the program writes them: numbers, colours, names with umlauts.
const QStringList kValues = {
    QStringLiteral("1"),
    QStringLiteral("0"),
    QStringLiteral("$01000000"),
    QStringLiteral("-5"),
    QStringLiteral("2147483647"),
    QString(),
    QStringLiteral("Neuer Auftrag"),
    QStringLiteral("Gr\u00fc\u00dfe in Gold \u20ac"),
    QStringLiteral("Kranzschleife f\u00fcr die Trauerfeier der Familie am Nordfriedhof"),
};

bool SameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// Lines without their line end (CR LF, LF, or a CR alone at the end), so that
// a last line which gains one still matches.
std::vector<QByteArray> Lines(const QByteArray &bytes) {
    std::vector<QByteArray> lines;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype nl = bytes.indexOf('\n', start);
        const bool ended = nl >= 0;
        if (!ended)
            nl = bytes.size();
        QByteArray line = bytes.mid(start, nl - start);
        // A CR before the LF belongs to the line end; CRs at the very end are
        // a line end cut short, as the reader takes them.
        if (ended && line.endsWith('\r'))
            line.chop(1);
        while (!ended && line.endsWith('\r'))
            line.chop(1);
        lines.push_back(line);
        start = nl + 1;
    }
    return lines;
}

// One key written: the old file and the new one share every line but at most
// one replaced line (the key's own) and at most three added ones (a blank line,
// the section and the key).
void CheckOnlyTheKeyChanged(const QByteArray &before, const QByteArray &after,
                            const Probe &written) {
    // Writing a key also drops its exact-text companion "<key>.Unicode"; such
    // lines are left out of the comparison on both sides.
    const QByteArray companion = (written.second + QStringLiteral(".Unicode")).toLatin1().toLower();
    const auto isCompanion = [&companion](const QByteArray &line) {
        const QByteArray t = TrimProfileBlanks(line);
        const qsizetype eq = t.indexOf('=');
        return eq > 0 && TrimProfileBlanks(t.left(eq)).toLower() == companion;
    };
    std::vector<QByteArray> a = Lines(before), b = Lines(after);
    std::erase_if(a, isCompanion);
    std::erase_if(b, isCompanion);
    std::size_t prefix = 0;
    while (prefix < a.size() && prefix < b.size() && a[prefix] == b[prefix])
        ++prefix;
    std::size_t suffix = 0;
    while (suffix < a.size() - prefix && suffix < b.size() - prefix &&
           a[a.size() - 1 - suffix] == b[b.size() - 1 - suffix])
        ++suffix;
    const std::size_t lost = a.size() - prefix - suffix;
    const std::size_t added = b.size() - prefix - suffix;
    FUZZ_CHECK(lost <= 1);
    FUZZ_CHECK(added <= 3);
    if (lost == 1) {
        // The line that went was the key's own line.
        ProfileFile alone(QByteArray("[") + written.first.toLatin1() + "]\r\n" + a[prefix]);
        QString ignored;
        FUZZ_CHECK(alone.value(written.first, written.second, &ignored));
    }
}

std::vector<std::pair<bool, QString>> ReadProbes(const ProfileFile &profile) {
    std::vector<std::pair<bool, QString>> values;
    for (const Probe &probe : Probes()) {
        QString v;
        const bool found = profile.value(probe.first, probe.second, &v);
        values.emplace_back(found, v);
    }
    return values;
}

// A text survives writing and reading unchanged unless reading would take
// something off its ends: blanks, or a pair of quotes around it.
bool ReadsBackAsWritten(const QString &text) {
    if (text.isEmpty())
        return true;
    auto blank = [](QChar c) { return c == QLatin1Char(' ') || c == QLatin1Char('\t'); };
    if (blank(text.front()) || blank(text.back()))
        return false;
    const QChar q = text.front();
    return !(text.size() >= 2 && (q == QLatin1Char('"') || q == QLatin1Char('\'')) &&
             text.back() == q);
}

void CheckSameJob(const TJob &a, const TJob &b) {
    FUZZ_CHECK(a.Laenge == b.Laenge && a.Breite == b.Breite && a.Rand == b.Rand);
    FUZZ_CHECK(a.FontGroesse == b.FontGroesse && a.FontFarbe == b.FontFarbe && a.Stil == b.Stil);
    FUZZ_CHECK(a.Flip == b.Flip && a.Shadow == b.Shadow);
    FUZZ_CHECK(a.BildBreiteLinks == b.BildBreiteLinks && a.BildAbstandLinks == b.BildAbstandLinks);
    FUZZ_CHECK(a.BildBreiteRechts == b.BildBreiteRechts &&
               a.BildAbstandRechts == b.BildAbstandRechts);
    for (const auto &[x, y] :
         {std::pair(a.Name.str(), b.Name.str()), std::pair(a.FontName.str(), b.FontName.str()),
          std::pair(a.BildNameLinks.str(), b.BildNameLinks.str()),
          std::pair(a.BildNameRechts.str(), b.BildNameRechts.str())}) {
        if (ReadsBackAsWritten(x))
            FUZZ_CHECK(x == y);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
    FuzzDataFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput input(data, size);
    const Probe written = Probes()[input.byte() % Probes().size()];
    const QString value = kValues[input.byte() % kValues.size()];
    const QByteArray file = input.restBytes();

    // Parsing keeps every byte.
    const ProfileFile profile(file);
    FUZZ_CHECK(profile.toBytes() == file);
    const auto probesBefore = ReadProbes(profile);
    for (const auto &[found, text] : probesBefore) {
        FUZZ_CHECK(text.size() <= ProfileFile::MaxValueLength);
        std::int32_t number;
        ParseProfileInteger(text, &number);
    }

    // One key written in memory.
    ProfileFile changed = profile;
    FUZZ_CHECK(changed.setValue(written.first, written.second, value));
    const QByteArray after = changed.toBytes();
    CheckOnlyTheKeyChanged(file, after, written);
    // A written file ends its lines one way: CR LF or LF, never both.
    const qsizetype lineEnds = after.count('\n'), crLfs = after.count("\r\n");
    FUZZ_CHECK(crLfs == 0 || crLfs == lineEnds);
    const ProfileFile reread(after);
    QString readBack;
    FUZZ_CHECK(reread.value(written.first, written.second, &readBack) && readBack == value);
    const auto probesAfter = ReadProbes(reread);
    for (std::size_t i = 0; i < Probes().size(); ++i) {
        const Probe &p = Probes()[i];
        if (!(SameName(p.first, written.first) && SameName(p.second, written.second)))
            FUZZ_CHECK(probesBefore[i] == probesAfter[i]);
    }

    // The same key written through the settings file on disk gives the same bytes.
    const QString path = SettingsFilePath();
    WriteRawFile(path, file);
    SettingsFile settings(path);
    try {
        settings.writeString(written.first, written.second, value);
    } catch (const FileWriteError &) {
        FUZZ_CHECK(!"a writable settings file takes every value the program writes");
    }
    FUZZ_CHECK(ReadRawFile(path) == after);

    // Stored formats read from the hand-edited file are written back and read
    // again unchanged; format sections past the count go, other sections stay
    // as they are.
    WriteRawFile(path, file);
    if (settings.readInteger(QStringLiteral("Format"), QStringLiteral("Anzahl"), 0) > 64)
        return 0;  // many formats are the extremes tests' business, not a fuzzer's
    const StoredFormatList formats = ReadStoredFormats(settings);
    const QString beyond = QStringLiteral("Format%1").arg(formats.size());
    const ProfileFile old(file);
    try {
        WriteStoredFormats(settings, formats);
    } catch (const FileWriteError &) {
        FUZZ_CHECK(!"stored formats read from the file can be written back");
    }
    const StoredFormatList again = ReadStoredFormats(settings);
    FUZZ_CHECK(again.size() == formats.size());
    for (std::size_t i = 0; i < formats.size(); ++i)
        CheckSameJob(*formats[i], *again[i]);
    const ProfileFile now(ReadRawFile(path));
    for (const Probe &p : {Probe{QStringLiteral("Drucker"), QStringLiteral("Name")},
                           Probe{QStringLiteral("Colors"), QStringLiteral("Color1")}}) {
        QString x, y;
        const bool hadIt = old.value(p.first, p.second, &x);
        FUZZ_CHECK(hadIt == now.value(p.first, p.second, &y) && x == y);
    }
    FUZZ_CHECK(!now.hasSection(beyond));
    return 0;
}
