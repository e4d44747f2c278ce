#include "model/StoredFormats.h"

#include "model/Job.h"
#include "model/SettingsFile.h"

namespace {

const QString kFormat = QStringLiteral("Format");
const QString kAnzahl = QStringLiteral("Anzahl");

// Far more formats than anyone keeps; a hand-edited count of two billion must
// not make the program build two billion default formats.
constexpr std::int32_t kMaxFormats = 10000;

}  // namespace

StoredFormatList ReadStoredFormats(SettingsFile &file) {
    StoredFormatList formats;
    const std::int32_t count = std::min(file.readInteger(kFormat, kAnzahl, 0), kMaxFormats);
    for (std::int32_t i = 0; i < count; ++i) {
        auto job = std::make_unique<TJob>();
        job->LoadFromSection(file, kFormat + QString::number(i));
        formats.push_back(std::move(job));
    }
    return formats;
}

void WriteStoredFormats(SettingsFile &file, const StoredFormatList &formats) {
    SettingsFile::Batch batch(file);
    file.writeInteger(kFormat, kAnzahl, std::int32_t(formats.size()));
    for (std::size_t i = 0; i < formats.size(); ++i)
        formats[i]->SaveToSection(file, kFormat + QString::number(i));
    batch.commit();
}
