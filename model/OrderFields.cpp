#include "model/OrderFields.h"

#include <QHash>

#include "model/Palette.h"
#include "model/PhraseFile.h"
#include "model/ProfileFile.h"
#include "model/UnicodeText.h"

namespace OrderFields {

namespace {

// Order numbers and delivery times are short; the limit keeps the default
// commission label ("<number> · <delivery>") within its 255 letters.
constexpr int kMaxNumberLetters = 100;
constexpr int kMaxCopies = 100;
constexpr int kMaxMillimetres = 32767;

}  // namespace

// A name or value as a message shows it: on one line (the message may go
// into a file of "key=value" lines), and not endless.
QString quoted(const QString &text) {
    QString shown = UnicodeText::firstLetters(text, 80);
    if (shown.size() < text.size())
        shown += QChar(u'\u2026');
    for (QChar &c : shown) {
        if (c == QLatin1Char('\n'))
            c = QChar(u'\u21b5');
        else if (c.category() == QChar::Other_Control || c == QChar::LineSeparator ||
                 c == QChar::ParagraphSeparator)
            c = QChar::ReplacementCharacter;
    }
    return QStringLiteral("\u201e%1\u201c").arg(shown);
}

// Names as compared: without case, blanks, "-", "_" and ".", with "ä" and
// "ae" (and so on) alike.
QString folded(const QString &name) {
    QString out;
    const QString lower = UnicodeText::composed(name).toLower();
    out.reserve(lower.size());
    for (const QChar c : lower) {
        switch (c.unicode()) {
            case u' ':
            case u'\t':
            case u'\u00a0':
            case u'-':
            case u'_':
            case u'.':
                break;
            case u'\u00e4':
                out += QLatin1String("ae");
                break;
            case u'\u00f6':
                out += QLatin1String("oe");
                break;
            case u'\u00fc':
                out += QLatin1String("ue");
                break;
            case u'\u00df':
                out += QLatin1String("ss");
                break;
            default:
                out += c;
        }
    }
    return out;
}

namespace {

const QHash<QString, int> &fieldsByName() {
    static const QHash<QString, int> fields = [] {
        QHash<QString, int> byName;
        const std::vector<OrderColumn> &columns = OrderColumns();
        for (int f = 0; f < int(columns.size()); ++f) {
            for (const QString &alias : columns[std::size_t(f)].aliases)
                byName.insert(folded(alias), f);
        }
        return byName;
    }();
    return fields;
}

}  // namespace

int fieldOf(const QString &name) {
    return fieldsByName().value(folded(name), -1);
}

QString fieldName(int field) {
    return QString::fromUtf8(OrderColumns()[std::size_t(field)].field);
}

const Cell *nonEmpty(const std::optional<Cell> &cell) {
    return cell && !cell->isEmpty() ? &*cell : nullptr;
}

const Cell *given(const Cells &cells, int field) {
    return nonEmpty(cells[std::size_t(field)]);
}

QString textTooLong(const QString &name) {
    return QStringLiteral("%1: l\u00e4nger als %2 Zeichen")
        .arg(quoted(name), QString::number(ProfileFile::MaxValueLength));
}

namespace {

QString codePoint(const QString &text, qsizetype at) {
    const char32_t c = at + 1 < text.size() && text.at(at).isHighSurrogate()
                           ? QChar::surrogateToUcs4(text.at(at), text.at(at + 1))
                           : text.at(at).unicode();
    return QStringLiteral("U+%1").arg(
        QString::number(quint32(c), 16).toUpper().rightJustified(4, QLatin1Char('0')));
}

// The fault of a text no field may hold, or an empty string.
QString refusal(const Cell &cell, const QString &text) {
    const qsizetype at = UnicodeText::firstRefused(text);
    if (at < 0)
        return QString();
    return QStringLiteral("%1: Zeichen %2 ist in diesem Text nicht erlaubt")
        .arg(quoted(cell.name), codePoint(text, at));
}

// A single-line text into a field of fixed capacity: too long is a fault,
// never a text cut short.
template <int N>
bool setShort(ShortText<N> &field, const Cell &cell, QString *error) {
    const QString text = UnicodeText::composed(cell.value());
    *error = refusal(cell, text);
    if (!error->isEmpty())
        return false;
    if (UnicodeText::letterCount(text) > N) {
        *error = QStringLiteral("%1: l\u00e4nger als %2 Zeichen")
                     .arg(quoted(cell.name), QString::number(N));
        return false;
    }
    field.set(text);
    return true;
}

// A text's lines: line breaks, and two backslashes as in a phrase.
QStringList linesOf(const QString &text) {
    QString t = text;
    t.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    return DecodePhrase(t).split(QLatin1Char('\n'));
}

bool setLines(TextLines &field, const Cell &cell, QString *error) {
    const QString tooLong = textTooLong(cell.name);
    // Far too long before any work: splitting megabytes of line breaks into
    // lines would take memory for nothing. (Composing and "\r\n" shorten a
    // text, but never to an eighth.)
    qsizetype size = cell.text.size();
    for (const QString &line : cell.lines)
        size += line.size() + 1;
    if (size > 8 * ProfileFile::MaxValueLength) {
        *error = tooLong;
        return false;
    }
    QStringList lines;
    if (cell.isList) {
        for (const QString &line : cell.lines)
            lines += linesOf(line);
    } else if (!cell.isEmpty()) {
        lines = linesOf(cell.text);
    }
    bool blank = true;
    for (const QString &line : std::as_const(lines)) {
        *error = refusal(cell, line);
        if (!error->isEmpty())
            return false;
        blank = blank && line.trimmed().isEmpty();
    }
    // Blank lines alone are no text: printed, they leave the end empty.
    if (blank)
        lines.clear();
    field.set(lines);
    // The list keeps its ribbons in a ribbon file against a crash: a text
    // that file cannot hold would keep the list from being saved.
    if (EncodePhrase(field.lines().join(QLatin1Char('\n'))).size() > ProfileFile::MaxValueLength) {
        *error = tooLong;
        return false;
    }
    return true;
}

bool wholeNumber(const Cell &cell, int min, int max, const QString &unit, std::int32_t *out,
                 QString *error) {
    QString text = cell.value();
    if (!unit.isEmpty() && text.endsWith(unit, Qt::CaseInsensitive))
        text = text.chopped(unit.size()).trimmed();
    bool ok = false;
    const qint64 n = text.size() <= 12 ? text.toLongLong(&ok) : 0;
    const QString unitText = unit.isEmpty() ? QString() : QLatin1Char(' ') + unit;
    if (!ok) {
        *error = QStringLiteral("%1: %2 ist keine ganze Zahl%3")
                     .arg(quoted(cell.name), quoted(cell.value()),
                          unit.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(unit));
        return false;
    }
    if (n < min || n > max) {
        *error = QStringLiteral("%1: %2%3 liegt nicht zwischen %4 und %5%3")
                     .arg(quoted(cell.name), QString::number(n), unitText, QString::number(min),
                          QString::number(max));
        return false;
    }
    *out = std::int32_t(n);
    return true;
}

// The colours of the text colour dialog (Palette::TextColours). The printer
// colour of a ribbon is chosen by the palette entry ("Colors", "Color<n>"), so
// a colour that is no entry would print in whatever colour the table holds
// under its lowest five bits: such colours are refused rather than printed wrong.
template <typename Matches>
bool textColour(Matches matches, std::uint32_t *out) {
    for (const int entry : Palette::TextColours) {
        if (matches(Palette::Entries[std::size_t(entry)])) {
            *out = Palette::Relative + std::uint32_t(entry);
            return true;
        }
    }
    return false;
}

bool colour(const Cell &cell, std::uint32_t *out, QString *error) {
    const QString text = cell.value();
    if (text.startsWith(QLatin1Char('$'))) {
        std::int32_t value = 0;
        if (ParseProfileInteger(text, &value)) {
            *out = std::uint32_t(value);
            return true;
        }
    } else if (text.startsWith(QLatin1Char('#')) && text.size() == 7) {
        bool ok = false;
        const uint rgb = text.mid(1).toUInt(&ok, 16);
        if (ok && textColour([rgb](const Palette::Entry &e) { return e.rgb == rgb; }, out))
            return true;
    } else {
        const QString name = folded(text);
        const auto named = [&name](const Palette::Entry &e) {
            return QString::fromLatin1(e.names).split(QLatin1Char('|')).contains(name);
        };
        if (textColour(named, out))
            return true;
    }
    *error = QStringLiteral(
                 "%1: %2 ist keine Farbe der Textfarben (schwarz, rot, gr\u00fcn, blau, gelb, "
                 "grau, ... oder ihr \"#RRGGBB\"; gespeichert als \"$XXXXXXXX\")")
                 .arg(quoted(cell.name), quoted(text));
    return false;
}

bool style(const Cell &cell, std::int32_t *out, QString *error) {
    static const QHash<QString, std::int32_t> styles = {
        {QStringLiteral("0"), Align},       {QStringLiteral("buendig"), Align},
        {QStringLiteral("align"), Align},   {QStringLiteral("aligned"), Align},
        {QStringLiteral("1"), Center},      {QStringLiteral("zentriert"), Center},
        {QStringLiteral("mittig"), Center}, {QStringLiteral("center"), Center},
        {QStringLiteral("centre"), Center}, {QStringLiteral("centered"), Center},
        {QStringLiteral("2"), UpSide},      {QStringLiteral("querbuendig"), UpSide},
        {QStringLiteral("quer"), UpSide},   {QStringLiteral("upside"), UpSide},
        {QStringLiteral("across"), UpSide},
    };
    const auto it = styles.constFind(folded(cell.value()));
    if (it == styles.cend()) {
        *error =
            QStringLiteral("%1: %2 ist kein Stil (0 B\u00fcndig, 1 Zentriert, 2 Quer b\u00fcndig)")
                .arg(quoted(cell.name), quoted(cell.value()));
        return false;
    }
    *out = *it;
    return true;
}

bool yesNo(const Cell &cell, bool *out, QString *error) {
    static const QHash<QString, bool> words = {
        {QStringLiteral("1"), true},       {QStringLiteral("ja"), true},
        {QStringLiteral("j"), true},       {QStringLiteral("x"), true},
        {QStringLiteral("wahr"), true},    {QStringLiteral("yes"), true},
        {QStringLiteral("true"), true},    {QStringLiteral("0"), false},
        {QStringLiteral("nein"), false},   {QStringLiteral("n"), false},
        {QStringLiteral("falsch"), false}, {QStringLiteral("no"), false},
        {QStringLiteral("false"), false},
    };
    const auto it = words.constFind(folded(cell.value()));
    if (it == words.cend()) {
        *error = QStringLiteral("%1: %2 ist weder ja noch nein")
                     .arg(quoted(cell.name), quoted(cell.value()));
        return false;
    }
    *out = *it;
    return true;
}

}  // namespace

bool buildRibbon(const Cells &cells, const StoredFormatLookup &formats, BuiltRibbon *built,
                 QString *error) {
    auto job = std::make_unique<TJob>();
    // What a ribbon file section without any key gives.
    job->LoadFromSection(ProfileFile(), QStringLiteral("Schleife"));
    if (const Cell *cell = given(cells, Format)) {
        const TJob *format = formats ? formats(cell->value()) : nullptr;
        if (!format) {
            *error = formats ? QStringLiteral("Format %1 gibt es nicht").arg(quoted(cell->value()))
                             : QStringLiteral(
                                   "%1: gespeicherte Formate sind hier nicht zur "
                                   "Hand (%2)")
                                   .arg(quoted(cell->name), quoted(cell->value()));
            return false;
        }
        job->CopyFrom(*format);
    }
    // Each given value in turn; the first fault ends the ribbon.
    auto lines = [&](int field, TextLines &target) {
        const Cell *cell = given(cells, field);
        return !cell || setLines(target, *cell, error);
    };
    auto text = [&](int field, auto &target) {
        const Cell *cell = given(cells, field);
        return !cell || setShort(target, *cell, error);
    };
    auto number = [&](int field, int min, int max, const QString &unit, std::int32_t *target) {
        const Cell *cell = given(cells, field);
        return !cell || wholeNumber(*cell, min, max, unit, target, error);
    };
    auto choice = [&](int field, auto parse, auto *target) {
        const Cell *cell = given(cells, field);
        return !cell || parse(*cell, target, error);
    };
    const QString mm = QStringLiteral("mm");
    std::int32_t copies = 1;
    const bool ok =
        lines(TextLinks, job->TextLeft) && lines(TextRechts, job->TextRight) &&
        text(Kommission, job->Kommission) && number(Breite, 1, kMaxMillimetres, mm, &job->Breite) &&
        number(Laenge, 1, kMaxMillimetres, mm, &job->Laenge) &&
        number(Rand, 0, kMaxMillimetres, mm, &job->Rand) && text(Schrift, job->FontName) &&
        number(Schriftgroesse, 1, kMaxMillimetres, mm, &job->FontGroesse) &&
        choice(Farbe, colour, &job->FontFarbe) && choice(Stil, style, &job->Stil) &&
        choice(Kopfstehend, yesNo, &job->Flip) && choice(Schatten, yesNo, &job->Shadow) &&
        text(BildLinks, job->BildNameLinks) && text(BildRechts, job->BildNameRechts) &&
        number(Menge, 1, kMaxCopies, QString(), &copies);
    if (!ok)
        return false;
    if (!job->HasText()) {
        *error = QStringLiteral("Schleife ohne Text: %1 und %2 sind leer")
                     .arg(quoted(fieldName(TextLinks)), quoted(fieldName(TextRechts)));
        return false;
    }
    built->job = std::move(job);
    built->copies = copies;
    built->labelGiven = given(cells, Kommission) != nullptr;
    return true;
}

// An order number or delivery time: one line, trimmed, composed.
bool orderText(const Cell *cell, QString *out, QString *error) {
    if (!cell) {
        out->clear();
        return true;
    }
    const QString text = UnicodeText::composed(cell->value());
    *error = refusal(*cell, text);
    if (!error->isEmpty())
        return false;
    if (UnicodeText::letterCount(text) > kMaxNumberLetters) {
        *error = QStringLiteral("%1: l\u00e4nger als %2 Zeichen")
                     .arg(quoted(cell->name), QString::number(kMaxNumberLetters));
        return false;
    }
    *out = text;
    return true;
}

}  // namespace OrderFields

const std::vector<OrderColumn> &OrderColumns() {
    static const std::vector<OrderColumn> columns = {
        {"Auftrag",
         {QStringLiteral("auftrag"), QStringLiteral("auftragsnummer"),
          QStringLiteral("auftrags-nr"), QStringLiteral("bestellung"),
          QStringLiteral("bestellnummer"), QStringLiteral("bestell-nr"), QStringLiteral("order"),
          QStringLiteral("order number"), QStringLiteral("order no")}},
        {"Liefertermin",
         {QStringLiteral("liefertermin"), QStringLiteral("lieferung"),
          QStringLiteral("lieferdatum"), QStringLiteral("termin"), QStringLiteral("delivery"),
          QStringLiteral("delivery date"), QStringLiteral("delivery time")}},
        {"Text links",
         {QStringLiteral("text links"), QStringLiteral("links"), QStringLiteral("linkes ende"),
          QStringLiteral("left text"), QStringLiteral("text left"), QStringLiteral("left")}},
        {"Text rechts",
         {QStringLiteral("text rechts"), QStringLiteral("rechts"), QStringLiteral("rechtes ende"),
          QStringLiteral("right text"), QStringLiteral("text right"), QStringLiteral("right")}},
        {"Kommission",
         {QStringLiteral("kommission"), QStringLiteral("etikett"), QStringLiteral("label"),
          QStringLiteral("commission")}},
        {"Breite", {QStringLiteral("breite"), QStringLiteral("width")}},
        {"L\u00e4nge",
         {QStringLiteral("l\u00e4nge"), QStringLiteral("laenge"), QStringLiteral("length")}},
        {"Rand", {QStringLiteral("rand"), QStringLiteral("margin")}},
        {"Schrift",
         {QStringLiteral("schrift"), QStringLiteral("schriftart"), QStringLiteral("font"),
          QStringLiteral("face"), QStringLiteral("typeface")}},
        {"Schriftgr\u00f6\u00dfe",
         {QStringLiteral("schriftgr\u00f6\u00dfe"), QStringLiteral("schrifth\u00f6he"),
          QStringLiteral("gr\u00f6\u00dfe"), QStringLiteral("font size"), QStringLiteral("size")}},
        {"Farbe",
         {QStringLiteral("farbe"), QStringLiteral("schriftfarbe"), QStringLiteral("color"),
          QStringLiteral("colour")}},
        {"Stil",
         {QStringLiteral("stil"), QStringLiteral("ausrichtung"), QStringLiteral("style"),
          QStringLiteral("alignment")}},
        {"Kopfstehend",
         {QStringLiteral("kopfstehend"), QStringLiteral("flip"), QStringLiteral("upside down")}},
        {"Schatten", {QStringLiteral("schatten"), QStringLiteral("shadow")}},
        {"Bild links",
         {QStringLiteral("bild links"), QStringLiteral("linkes bild"),
          QStringLiteral("left picture"), QStringLiteral("picture left")}},
        {"Bild rechts",
         {QStringLiteral("bild rechts"), QStringLiteral("rechtes bild"),
          QStringLiteral("right picture"), QStringLiteral("picture right")}},
        {"Format",
         {QStringLiteral("format"), QStringLiteral("vorlage"), QStringLiteral("template")}},
        {"Menge",
         {QStringLiteral("menge"), QStringLiteral("anzahl"), QStringLiteral("quantity"),
          QStringLiteral("copies")}},
    };
    return columns;
}
