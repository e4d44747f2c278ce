#include "model/StoredFormats.h"

#include <QHash>
#include <algorithm>
#include <deque>

#include "model/Job.h"
#include "model/SettingsFile.h"

namespace {

const QString kFormat = QStringLiteral("Format");
const QString kAnzahl = QStringLiteral("Anzahl");

// Far more formats than anyone keeps; a hand-edited count of two billion must
// not make the program build two billion default formats.
constexpr std::int32_t kMaxFormats = 10000;

// The number of a section "Format<n>" as the writer names it, or -1.
std::int32_t formatSectionNumber(const QString &name) {
    if (!name.startsWith(kFormat, Qt::CaseInsensitive) || name.size() == kFormat.size())
        return -1;
    const QStringView digits = QStringView(name).mid(kFormat.size());
    if (digits.size() > 1 && digits.front() == QLatin1Char('0'))
        return -1;
    bool ok = false;
    const int n = digits.toInt(&ok);
    for (QChar c : digits) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return -1;
    }
    return ok ? n : -1;
}

QString folded(const QString &name) {
    return name.toCaseFolded();
}

std::unique_ptr<TJob> copyOf(const TJob &format) {
    auto job = std::make_unique<TJob>();
    job->CopyFrom(format);
    return job;
}

}  // namespace

StoredFormatList ReadStoredFormats(SettingsFile &file) {
    StoredFormatList formats;
    const std::int32_t count = file.readInteger(kFormat, kAnzahl, 0);
    auto load = [&formats, &file](std::int32_t i) {
        auto job = std::make_unique<TJob>();
        job->LoadFromSection(file, kFormat + QString::number(i));
        formats.push_back(std::move(job));
    };
    if (count <= kMaxFormats) {
        for (std::int32_t i = 0; i < count; ++i)
            load(i);
        return formats;
    }
    std::vector<std::int32_t> present;
    for (const QString &name : file.sectionNames()) {
        const std::int32_t n = formatSectionNumber(name);
        if (n >= 0 && n < count)
            present.push_back(n);
    }
    std::sort(present.begin(), present.end());
    present.erase(std::unique(present.begin(), present.end()), present.end());
    for (const std::int32_t n : present)
        load(n);
    return formats;
}

void WriteStoredFormats(SettingsFile &file, const StoredFormatList &formats) {
    SettingsFile::Batch batch(file);
    file.writeInteger(kFormat, kAnzahl, std::int32_t(formats.size()));
    for (std::size_t i = 0; i < formats.size(); ++i)
        formats[i]->SaveToSection(file, kFormat + QString::number(i));
    // A deleted format leaves nothing behind that a wrong count could bring back.
    QStringList stale;
    for (const QString &name : file.sectionNames()) {
        if (formatSectionNumber(name) >= std::int32_t(formats.size()))
            stale.append(name);
    }
    file.removeSections(stale);
    batch.commit();
}

bool SameStoredFormat(const TJob &a, const TJob &b) {
    return a.Name == b.Name && a.Laenge == b.Laenge && a.Breite == b.Breite && a.Rand == b.Rand &&
           a.FontName == b.FontName && a.FontGroesse == b.FontGroesse &&
           a.FontFarbe == b.FontFarbe && a.Stil == b.Stil && a.Flip == b.Flip &&
           a.Shadow == b.Shadow && a.BildNameLinks == b.BildNameLinks &&
           a.BildBreiteLinks == b.BildBreiteLinks && a.BildAbstandLinks == b.BildAbstandLinks &&
           a.BildNameRechts == b.BildNameRechts && a.BildBreiteRechts == b.BildBreiteRechts &&
           a.BildAbstandRechts == b.BildAbstandRechts;
}

StoredFormatList MergeStoredFormats(const StoredFormatList &disk, const StoredFormatList &read,
                                    const StoredFormatList &now, const std::vector<int> &origin) {
    // The disk's formats by name, in order, not yet matched.
    QHash<QString, std::deque<std::size_t>> unmatched;
    for (std::size_t d = 0; d < disk.size(); ++d)
        unmatched[folded(disk[d]->Name)].push_back(d);
    auto take = [&unmatched](const QString &name) -> long {
        auto it = unmatched.find(folded(name));
        if (it == unmatched.end() || it->empty())
            return -1;
        const std::size_t d = it->front();
        it->pop_front();
        return long(d);
    };

    std::vector<long> diskOf(read.size(), -1);
    for (std::size_t r = 0; r < read.size(); ++r)
        diskOf[r] = take(read[r]->Name);

    std::vector<const TJob *> replacement(disk.size(), nullptr);
    std::vector<bool> removed(disk.size(), false);
    std::vector<bool> kept(read.size(), false);
    std::vector<const TJob *> appended;
    for (std::size_t i = 0; i < now.size(); ++i) {
        const int r = i < origin.size() ? origin[i] : -1;
        const TJob *mine = now[i].get();
        long d = -1;
        if (r >= 0 && std::size_t(r) < read.size()) {
            kept[std::size_t(r)] = true;
            if (SameStoredFormat(*mine, *read[std::size_t(r)]))
                continue;  // untouched here: the disk's version stands
            d = diskOf[std::size_t(r)];
        } else {
            d = take(mine->Name);  // stored here under a name the disk may know by now
        }
        if (d >= 0)
            replacement[std::size_t(d)] = mine;
        else
            appended.push_back(mine);  // a change outlives a deletion elsewhere
    }
    for (std::size_t r = 0; r < read.size(); ++r) {
        if (!kept[r] && diskOf[r] >= 0)
            removed[std::size_t(diskOf[r])] = true;
    }

    StoredFormatList merged;
    for (std::size_t d = 0; d < disk.size(); ++d) {
        if (removed[d])
            continue;
        merged.push_back(copyOf(replacement[d] ? *replacement[d] : *disk[d]));
    }
    for (const TJob *mine : appended)
        merged.push_back(copyOf(*mine));
    return merged;
}
