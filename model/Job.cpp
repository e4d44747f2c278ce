#include "model/Job.h"

#include "model/ProfileFile.h"
#include "model/SettingsFile.h"
#include "model/UnicodeText.h"

template <int N>
bool ShortText<N>::set(const QString &text) {
    const QString cut = UnicodeText::firstLetters(UnicodeText::composed(text), N);
    if (!UnicodeText::acceptable(cut))
        return false;
    text_ = cut;
    return true;
}

template class ShortText<50>;
template class ShortText<255>;

bool TextLines::set(const QStringList &lines) {
    QStringList composed;
    composed.reserve(lines.size());
    for (const QString &line : lines) {
        if (!UnicodeText::acceptable(line))
            return false;
        composed.append(UnicodeText::composed(line));
    }
    lines_ = std::move(composed);
    return true;
}

TJob::TJob() = default;

void TJob::CopyTo(TPersistent &dest) const {
    auto &d = dynamic_cast<TJob &>(dest);
    if (&d == this)
        return;
    d.Name = Name;
    d.Kommission = Kommission;
    d.Flip = Flip;
    d.Shadow = Shadow;
    d.FontName = FontName;
    d.FontGroesse = FontGroesse;
    d.FontFarbe = FontFarbe;
    d.Stil = Stil;
    d.Laenge = Laenge;
    d.Breite = Breite;
    d.Rand = Rand;
    d.BildNameLinks = BildNameLinks;
    d.BildNameRechts = BildNameRechts;
    d.BildBreiteLinks = BildBreiteLinks;
    d.BildBreiteRechts = BildBreiteRechts;
    d.BildAbstandLinks = BildAbstandLinks;
    d.BildAbstandRechts = BildAbstandRechts;
}

namespace {

const QString kName = QStringLiteral("Name");
const QString kLaenge = QStringLiteral("L\u00e4nge");
const QString kBreite = QStringLiteral("Breite");
const QString kRand = QStringLiteral("Rand");
const QString kFontName = QStringLiteral("FontName");
const QString kFontGroesse = QStringLiteral("FontGr\u00f6\u00dfe");
const QString kFontFarbe = QStringLiteral("FontFarbe");
const QString kStil = QStringLiteral("Stil");
const QString kFlip = QStringLiteral("Flip");
const QString kShadow = QStringLiteral("Shadow");
const QString kBildNameLinks = QStringLiteral("BildNameLinks");
const QString kBildBreiteLinks = QStringLiteral("BildBreiteLinks");
const QString kBildAbstandLinks = QStringLiteral("BildAbstandLinks");
const QString kBildNameRechts = QStringLiteral("BildNameRechts");
const QString kBildBreiteRechts = QStringLiteral("BildBreiteRechts");
const QString kBildAbstandRechts = QStringLiteral("BildAbstandRechts");

// A value read from the file that the field cannot take (a line break cannot
// occur; a NUL can) leaves the reading default in place.
template <int N, class Reader>
void loadText(ShortText<N> &field, const Reader &file, const QString &section, const QString &key,
              const QString &defaultValue) {
    if (!field.set(file.readString(section, key, defaultValue)))
        field.set(defaultValue);
}

// Reads of a profile held in memory, with the settings file's rules for
// missing keys and numbers.
struct ProfileReader {
    const ProfileFile &profile;

    QString readString(const QString &section, const QString &key,
                       const QString &defaultValue) const {
        QString v;
        return profile.value(section, key, &v) ? v : defaultValue;
    }
    std::int32_t readInteger(const QString &section, const QString &key,
                             std::int32_t defaultValue) const {
        std::int32_t v;
        QString text;
        return profile.value(section, key, &text) && ParseProfileInteger(text, &v) ? v
                                                                                   : defaultValue;
    }
    bool readBool(const QString &section, const QString &key, bool defaultValue) const {
        return readInteger(section, key, defaultValue ? 1 : 0) != 0;
    }
};

template <class Reader>
void LoadJob(TJob &job, const Reader &file, const QString &section) {
    loadText(job.Name, file, section, kName, QString());
    job.Laenge = file.readInteger(section, kLaenge, 2000);
    job.Breite = file.readInteger(section, kBreite, 170);
    job.Rand = file.readInteger(section, kRand, 30);
    loadText(job.FontName, file, section, kFontName, QStringLiteral("Old Germen"));
    job.FontGroesse = file.readInteger(section, kFontGroesse, 60);
    job.FontFarbe = std::uint32_t(file.readInteger(section, kFontFarbe, 0x01000000));
    job.Stil = file.readInteger(section, kStil, 0);
    job.Flip = file.readBool(section, kFlip, false);
    job.Shadow = file.readBool(section, kShadow, false);
    loadText(job.BildNameLinks, file, section, kBildNameLinks, QString());
    job.BildBreiteLinks = file.readInteger(section, kBildBreiteLinks, 40);
    job.BildAbstandLinks = file.readInteger(section, kBildAbstandLinks, 30);
    loadText(job.BildNameRechts, file, section, kBildNameRechts, QString());
    job.BildBreiteRechts = file.readInteger(section, kBildBreiteRechts, 40);
    job.BildAbstandRechts = file.readInteger(section, kBildAbstandRechts, 30);
}

}  // namespace

void TJob::SaveToSection(SettingsFile &file, const QString &section) const {
    SettingsFile::Batch batch(file);
    file.writeString(section, kName, Name, Name.Capacity);
    file.writeInteger(section, kLaenge, Laenge);
    file.writeInteger(section, kBreite, Breite);
    file.writeInteger(section, kRand, Rand);
    file.writeString(section, kFontName, FontName, FontName.Capacity);
    file.writeInteger(section, kFontGroesse, FontGroesse);
    file.writeColour(section, kFontFarbe, FontFarbe);
    file.writeInteger(section, kStil, Stil);
    file.writeBool(section, kFlip, Flip);
    file.writeBool(section, kShadow, Shadow);
    file.writeString(section, kBildNameLinks, BildNameLinks, BildNameLinks.Capacity);
    file.writeInteger(section, kBildBreiteLinks, BildBreiteLinks);
    file.writeInteger(section, kBildAbstandLinks, BildAbstandLinks);
    file.writeString(section, kBildNameRechts, BildNameRechts, BildNameRechts.Capacity);
    file.writeInteger(section, kBildBreiteRechts, BildBreiteRechts);
    file.writeInteger(section, kBildAbstandRechts, BildAbstandRechts);
    batch.commit();
}

void TJob::LoadFromSection(SettingsFile &file, const QString &section) {
    LoadJob(*this, file, section);
}

void TJob::LoadFromSection(const ProfileFile &profile, const QString &section) {
    LoadJob(*this, ProfileReader{profile}, section);
}
