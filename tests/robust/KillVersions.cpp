#include "tests/robust/KillVersions.h"

#include <QRegularExpression>

#include "model/DataSave.h"
#include "model/Job.h"
#include "model/PhraseFile.h"
#include "model/RibbonFile.h"
#include "model/SettingsFile.h"

namespace {

// Filler of a length that moves with the version.
QString Filler(int version, int salt, int capacity) {
    return QString(((version * 7 + salt * 13) % capacity),
                   QLatin1Char('a' + (version + salt) % 26));
}

}  // namespace

StoredFormatList KillFormats(int version) {
    StoredFormatList formats;
    for (int i = 0; i < 3; ++i) {
        auto job = std::make_unique<TJob>();
        job->Name.set(QStringLiteral("v%1 Kranz %2 ").arg(version).arg(i) + Filler(version, i, 30));
        job->Laenge = 500 + (version * 37 + i) % 3000;
        job->Breite = 50 + version % 200;
        job->FontFarbe = std::uint32_t(version) * 2654435761u;
        job->Flip = (version + i) % 2;
        job->BildNameLinks.set(Filler(version, i + 5, 200) + QStringLiteral(".bmp"));
        formats.push_back(std::move(job));
    }
    return formats;
}

QString KillPrinterName(int version) {
    return QStringLiteral("v%1 Drucker ").arg(version) + Filler(version, 9, 80);
}

QStringList KillPhrases(int version) {
    QStringList phrases;
    for (int i = 0; i < 1 + version % 6; ++i)
        phrases << QStringLiteral("v%1 In stiller Trauer\\\\").arg(version) +
                       Filler(version, i, 120);
    PhraseList list;
    list.assign(phrases);
    return list.phrases();
}

std::vector<std::unique_ptr<TJob>> KillRibbons(int version) {
    std::vector<std::unique_ptr<TJob>> ribbons;
    for (int i = 0; i < 2; ++i) {
        auto job = std::make_unique<TJob>();
        job->Kommission.set(QStringLiteral("v%1 Auftrag %2").arg(version).arg(i));
        job->TextLeft.set({QStringLiteral("In Liebe"), Filler(version, i, 60)});
        job->TextRight.set({Filler(version, i + 3, 90)});
        job->Laenge = 800 + version % 1000;
        ribbons.push_back(std::move(job));
    }
    return ribbons;
}

void WriteKillRibbons(const QString &path, int version) {
    const auto ribbons = KillRibbons(version);
    std::vector<const TJob *> jobs;
    for (const auto &job : ribbons)
        jobs.push_back(job.get());
    QString ignored;
    SaveRibbonFile(path, jobs, &ignored);
}

int KillVersionOf(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral("^v(\\d+) "));
    const QRegularExpressionMatch m = pattern.match(text);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

void WriteKillSettings(SettingsFile &file, int version) {
    SettingsFile::Batch batch(file);
    WriteStoredFormats(file, KillFormats(version));
    file.writeString(QStringLiteral("Drucker"), QStringLiteral("Name"), KillPrinterName(version));
    batch.commit();
}

void WriteKillPhrases(const QString &path, int version) {
    SavePhraseFile(path, KillPhrases(version));
}

void SaveKillVersionMerged(SettingsFile &file, const QString &phrasePath, int version) {
    // A window that has read the files as they are and changes everything.
    const StoredFormatList read = ReadStoredFormats(file);
    const StoredFormatList now = KillFormats(version);
    DataEdits edits;
    edits.formatsRead = &read;
    edits.formatsNow = &now;
    for (std::size_t i = 0; i < now.size(); ++i)
        edits.formatOrigin.push_back(int(i));
    edits.printerName = KillPrinterName(version);
    edits.phrasesRead = LoadPhraseFile(phrasePath);
    edits.phrasesNow = KillPhrases(version);
    SaveDataMerged(file, phrasePath, edits);
}

QString KillDayPhrase(int version) {
    return QStringLiteral("v%1 Ruhe sanft\\\\").arg(version) + Filler(version, 3, 150);
}

QString KillDayFormat(int version) {
    return QStringLiteral("v%1 Kranz ").arg(version) + Filler(version, 4, 30);
}
