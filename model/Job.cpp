#include "model/Job.h"

#include "model/Cp1252.h"
#include "model/SettingsFile.h"

namespace {

// Line breaks and NUL would break the line structure of the files a text is
// stored in; the rest must be a Windows-1252 character.
bool storable(const QString &text) {
    for (QChar c : text) {
        if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || c.isNull() || !Cp1252::canEncode(c))
            return false;
    }
    return true;
}

}  // namespace

template <int N>
bool ShortText<N>::set(const QString &text) {
    const QString cut = text.left(N);
    if (!storable(cut))
        return false;
    text_ = cut;
    return true;
}

template class ShortText<50>;
template class ShortText<255>;

bool TextLines::set(const QStringList &lines) {
    for (const QString &line : lines) {
        if (!storable(line))
            return false;
    }
    lines_ = lines;
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
template <int N>
void loadText(ShortText<N> &field, const SettingsFile &file, const QString &section,
              const QString &key, const QString &defaultValue) {
    if (!field.set(file.readString(section, key, defaultValue)))
        field.set(defaultValue);
}

}  // namespace

void TJob::SaveToSection(SettingsFile &file, const QString &section) const {
    SettingsFile::Batch batch(file);
    file.writeString(section, kName, Name);
    file.writeInteger(section, kLaenge, Laenge);
    file.writeInteger(section, kBreite, Breite);
    file.writeInteger(section, kRand, Rand);
    file.writeString(section, kFontName, FontName);
    file.writeInteger(section, kFontGroesse, FontGroesse);
    file.writeColour(section, kFontFarbe, FontFarbe);
    file.writeInteger(section, kStil, Stil);
    file.writeBool(section, kFlip, Flip);
    file.writeBool(section, kShadow, Shadow);
    file.writeString(section, kBildNameLinks, BildNameLinks);
    file.writeInteger(section, kBildBreiteLinks, BildBreiteLinks);
    file.writeInteger(section, kBildAbstandLinks, BildAbstandLinks);
    file.writeString(section, kBildNameRechts, BildNameRechts);
    file.writeInteger(section, kBildBreiteRechts, BildBreiteRechts);
    file.writeInteger(section, kBildAbstandRechts, BildAbstandRechts);
    batch.commit();
}

void TJob::LoadFromSection(SettingsFile &file, const QString &section) {
    loadText(Name, file, section, kName, QString());
    Laenge = file.readInteger(section, kLaenge, 2000);
    Breite = file.readInteger(section, kBreite, 170);
    Rand = file.readInteger(section, kRand, 30);
    loadText(FontName, file, section, kFontName, QStringLiteral("Old Germen"));
    FontGroesse = file.readInteger(section, kFontGroesse, 60);
    FontFarbe = std::uint32_t(file.readInteger(section, kFontFarbe, 0x01000000));
    Stil = file.readInteger(section, kStil, 0);
    Flip = file.readBool(section, kFlip, false);
    Shadow = file.readBool(section, kShadow, false);
    loadText(BildNameLinks, file, section, kBildNameLinks, QString());
    BildBreiteLinks = file.readInteger(section, kBildBreiteLinks, 40);
    BildAbstandLinks = file.readInteger(section, kBildAbstandLinks, 30);
    loadText(BildNameRechts, file, section, kBildNameRechts, QString());
    BildBreiteRechts = file.readInteger(section, kBildBreiteRechts, 40);
    BildAbstandRechts = file.readInteger(section, kBildAbstandRechts, 30);
}
