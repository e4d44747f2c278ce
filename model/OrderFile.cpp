#include "model/OrderFile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QStringDecoder>
#include <array>
#include <cmath>

#include "model/Cp1252.h"
#include "model/Csv.h"
#include "model/PhraseFile.h"
#include "model/ProfileFile.h"
#include "model/RibbonFile.h"
#include "model/UnicodeText.h"

// An order file holds a day's orders of one shop system: a few kilobytes,
// seldom more than a few hundred. Sixteen megabytes still leave 1.6 kB for
// each of MaxRibbons ribbons, and keep what reading needs (the text as UTF-16,
// the parsed table or JSON document) well below half a gigabyte for any file.
const qint64 MaxOrderFileSize = 16 * 1024 * 1024;

namespace {

// The fields, in the order of OrderColumns().
enum Field : int {
    Auftrag,
    Liefertermin,
    TextLinks,
    TextRechts,
    Kommission,
    Breite,
    Laenge,
    Rand,
    Schrift,
    Schriftgroesse,
    Farbe,
    Stil,
    Kopfstehend,
    Schatten,
    BildLinks,
    BildRechts,
    Format,
    Menge,
    FieldCount
};

// Order numbers and delivery times are short; the limit keeps the default
// commission label ("<number> · <delivery>") within its 255 letters.
constexpr int kMaxNumberLetters = 100;
constexpr int kMaxCopies = 100;
constexpr int kMaxMillimetres = 32767;
// Nesting a valid order file needs: wrapper, list of orders, order, list of
// ribbons, ribbon, list of lines.
constexpr int kMaxJsonDepth = 8;

const QString kDot = QStringLiteral(" \u00b7 ");

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

int fieldOf(const QString &name) {
    return fieldsByName().value(folded(name), -1);
}

QString fieldName(int field) {
    return QString::fromUtf8(OrderColumns()[std::size_t(field)].field);
}

// One value of the file: a CSV cell or a JSON value, under the name the file
// gives its column or key.
struct Cell {
    QString name;
    QString text;
    QStringList lines;  // a JSON list of lines
    bool isList = false;

    bool isEmpty() const { return isList ? lines.isEmpty() : text.trimmed().isEmpty(); }
    QString value() const { return text.trimmed(); }
};
using Cells = std::array<std::optional<Cell>, FieldCount>;

const Cell *nonEmpty(const std::optional<Cell> &cell) {
    return cell && !cell->isEmpty() ? &*cell : nullptr;
}

const Cell *given(const Cells &cells, int field) {
    return nonEmpty(cells[std::size_t(field)]);
}

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
    const QString tooLong =
        QStringLiteral("%1: l\u00e4nger als %2 Zeichen")
            .arg(quoted(cell.name), QString::number(ProfileFile::MaxValueLength));
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

// The colours of the text colour dialog: the entries of the system palette it
// offers. The printer colour of a ribbon is chosen by the palette entry
// ("Colors", "Color<n>"), so a colour that is no entry would print in
// whatever colour the table holds under its lowest five bits: such colours
// are refused rather than printed wrong.
struct PaletteColour {
    int entry;
    std::uint32_t rgb;  // 0xRRGGBB, as "#RRGGBB" writes it
    const char *names;  // folded, separated by "|"
};
constexpr PaletteColour kPalette[] = {
    {0, 0x000000, "schwarz|black"},
    {1, 0x800000, "dunkelrot|darkred"},
    {2, 0x008000, "dunkelgruen|darkgreen"},
    {3, 0x808000, "oliv|olive"},
    {4, 0x000080, "dunkelblau|darkblue|navy"},
    {5, 0x800080, "lila|violett|purple"},
    {6, 0x008080, "petrol|teal"},
    {7, 0xC0C0C0, "hellgrau|lightgrey|lightgray"},
    {12, 0x808080, "grau|grey|gray"},
    {13, 0xFF0000, "rot|red"},
    {14, 0x00FF00, "gruen|green"},
    {15, 0xFFFF00, "gelb|yellow"},
    {16, 0x0000FF, "blau|blue"},
    {17, 0xFF00FF, "magenta"},
    {18, 0x00FFFF, "cyan|tuerkis"},
};
constexpr std::uint32_t kPaletteColour = 0x01000000;

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
        for (const PaletteColour &p : kPalette) {
            if (ok && p.rgb == rgb) {
                *out = kPaletteColour + std::uint32_t(p.entry);
                return true;
            }
        }
    } else {
        const QString name = folded(text);
        for (const PaletteColour &p : kPalette) {
            if (QString::fromLatin1(p.names).split(QLatin1Char('|')).contains(name)) {
                *out = kPaletteColour + std::uint32_t(p.entry);
                return true;
            }
        }
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

// What one row (or JSON ribbon) makes: `copies` equal ribbons.
struct RibbonSpec {
    std::unique_ptr<TJob> job;
    int copies = 1;
    bool labelGiven = false;
};

bool buildRibbon(const Cells &cells, const StoredFormatLookup &formats, RibbonSpec *spec,
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
    spec->job = std::move(job);
    spec->copies = copies;
    spec->labelGiven = given(cells, Kommission) != nullptr;
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

QString tooManyRibbons() {
    return QStringLiteral("Mehr als %1 Schleifen; so viele nimmt Vellumo nicht auf")
        .arg(MaxRibbons);
}

// Orders as they are gathered: each ribbon remembers whether the file gave
// its label, as the default needs the order's delivery time, which a later
// row may give.
struct Gathering {
    std::vector<Order> orders;
    std::vector<std::vector<bool>> labelGiven;
    QHash<QString, std::size_t> byNumber;
    int ribbons = 0;

    bool add(std::size_t order, RibbonSpec &spec, QString *error) {
        if (spec.copies > MaxRibbons - ribbons) {
            *error = tooManyRibbons();
            return false;
        }
        ribbons += spec.copies;
        const TJob &first = *spec.job;
        orders[order].ribbons.push_back(std::move(spec.job));
        for (int k = 1; k < spec.copies; ++k) {
            auto copy = std::make_unique<TJob>();
            copy->CopyFrom(first);
            copy->TextLeft = first.TextLeft;
            copy->TextRight = first.TextRight;
            orders[order].ribbons.push_back(std::move(copy));
        }
        labelGiven[order].insert(labelGiven[order].end(), std::size_t(spec.copies),
                                 spec.labelGiven);
        return true;
    }

    // The default labels and the sections, once all rows are read.
    void finish() {
        for (std::size_t o = 0; o < orders.size(); ++o) {
            Order &order = orders[o];
            const QString label =
                order.delivery.isEmpty() ? order.number : order.number + kDot + order.delivery;
            for (std::size_t r = 0; r < order.ribbons.size(); ++r) {
                TJob &job = *order.ribbons[r];
                if (!labelGiven[o][r])
                    job.Kommission.set(label);
                job.Section = order.number;
            }
        }
    }
};

OrderFileResult failure(const QString &fileName, int line, const QString &message) {
    OrderFileResult result;
    result.error = line > 0
                       ? QStringLiteral("%1:%2: %3").arg(fileName, QString::number(line), message)
                       : QStringLiteral("%1: %2").arg(fileName, message);
    return result;
}

QString foundColumns(const QStringList &header) {
    QStringList names;
    for (const QString &name : header) {
        if (name.trimmed().isEmpty())
            continue;
        if (names.size() == 20) {
            names.append(QStringLiteral("\u2026"));
            break;
        }
        names.append(quoted(UnicodeText::firstLetters(name.trimmed(), 40)));
    }
    return names.isEmpty() ? QStringLiteral("keine Spaltennamen") : names.join(QLatin1String(", "));
}

// ---- CSV

OrderFileResult readCsv(const QByteArray &bytes, const QString &fileName,
                        const StoredFormatLookup &formats) {
    // The encoding is the file's as a whole, with each line held to it, as
    // in a ribbon file: a Latin-2 name in a Windows-1252 file is refused
    // rather than printed as "£ucja".
    const ProfileEncoding encoding = RibbonFileEncoding(bytes);
    const QByteArray bom("\xEF\xBB\xBF");
    const bool hasBom = bytes.startsWith(bom);
    int lineNo = 0;
    for (qsizetype start = hasBom ? bom.size() : 0; start < bytes.size();) {
        ++lineNo;
        const qsizetype nl = bytes.indexOf('\n', start);
        qsizetype end = nl < 0 ? bytes.size() : nl;
        if (nl >= 0 && end > start && bytes[end - 1] == '\r')
            --end;
        const QString fault = RibbonFileLineFault(bytes.mid(start, end - start), encoding);
        if (!fault.isEmpty())
            return failure(fileName, lineNo, fault);
        start = nl < 0 ? bytes.size() : nl + 1;
    }
    const QString text = encoding == ProfileEncoding::Utf8
                             ? QString::fromUtf8(bytes.mid(hasBom ? bom.size() : 0))
                             : Cp1252::decode(bytes);

    const CsvTable table = ReadCsv(text, CsvLimits{256, MaxRibbons});
    if (!table.ok())
        return failure(fileName, table.error->line, table.error->message);
    if (table.headerLine == 0)
        return failure(fileName, 0, QStringLiteral("Datei ist leer"));

    std::array<int, FieldCount> column;
    column.fill(-1);
    for (int i = 0; i < int(table.header.size()); ++i) {
        const int f = fieldOf(table.header[i]);
        if (f < 0)
            continue;
        if (column[std::size_t(f)] >= 0)
            return failure(fileName, table.headerLine,
                           QStringLiteral("Spalten %1 und %2 meinen beide %3")
                               .arg(quoted(table.header[column[std::size_t(f)]].trimmed()),
                                    quoted(table.header[i].trimmed()), quoted(fieldName(f))));
        column[std::size_t(f)] = i;
    }
    if (column[Auftrag] < 0)
        return failure(fileName, table.headerLine,
                       QStringLiteral("Spalte %1 fehlt (gefunden: %2)")
                           .arg(quoted(fieldName(Auftrag)), foundColumns(table.header)));
    if (column[TextLinks] < 0 && column[TextRechts] < 0)
        return failure(fileName, table.headerLine,
                       QStringLiteral("Spalte %1 oder %2 fehlt (gefunden: %3)")
                           .arg(quoted(fieldName(TextLinks)), quoted(fieldName(TextRechts)),
                                foundColumns(table.header)));

    Gathering gathering;
    std::vector<int> deliveryLine;
    for (const CsvRow &row : table.rows) {
        Cells cells;
        for (int f = 0; f < FieldCount; ++f) {
            const int c = column[std::size_t(f)];
            if (c >= 0) {
                Cell &cell = cells[std::size_t(f)].emplace();
                cell.name = table.header[c].trimmed();
                cell.text = row.fields.value(c);
            }
        }
        QString error;
        QString number;
        QString delivery;
        if (!orderText(given(cells, Auftrag), &number, &error) ||
            !orderText(given(cells, Liefertermin), &delivery, &error))
            return failure(fileName, row.line, error);
        if (number.isEmpty())
            return failure(fileName, row.line,
                           QStringLiteral("Auftragsnummer fehlt (Spalte %1)")
                               .arg(quoted(cells[Auftrag]->name)));
        std::size_t index = gathering.orders.size();
        const auto found = gathering.byNumber.constFind(number);
        if (found == gathering.byNumber.cend()) {
            gathering.byNumber.insert(number, index);
            gathering.orders.push_back(Order{number, delivery, row.line, {}});
            gathering.labelGiven.emplace_back();
            deliveryLine.push_back(row.line);
        } else {
            index = *found;
            Order &order = gathering.orders[index];
            if (!delivery.isEmpty() && order.delivery.isEmpty()) {
                order.delivery = delivery;
                deliveryLine[index] = row.line;
            } else if (!delivery.isEmpty() && delivery != order.delivery) {
                return failure(fileName, row.line,
                               QStringLiteral("Liefertermin %1 von Auftrag %2 weicht von %3 in "
                                              "Zeile %4 ab")
                                   .arg(quoted(delivery), quoted(number), quoted(order.delivery),
                                        QString::number(deliveryLine[index])));
            }
        }
        RibbonSpec spec;
        if (!buildRibbon(cells, formats, &spec, &error) || !gathering.add(index, spec, &error))
            return failure(fileName, row.line, error);
    }
    if (gathering.orders.empty())
        return failure(fileName, 0,
                       QStringLiteral("Keine Auftr\u00e4ge: unter der Kopfzeile "
                                      "steht keine Zeile"));
    gathering.finish();
    OrderFileResult result;
    result.orders = std::move(gathering.orders);
    return result;
}

// ---- JSON

// Checks nesting and size before a parser sees the text: a deeply nested
// file must not take the parser's stack, nor a huge list its memory. Every
// ribbon is at most one object and so is its order, so a file with more
// objects than twice MaxRibbons (and a wrapper) cannot be read anyway.
QString jsonShapeFault(const QByteArray &bytes, int *line) {
    int depth = 0;
    qint64 objects = 0;
    bool inString = false;
    *line = 1;
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        const char c = bytes[i];
        if (c == '\n')
            ++*line;
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
            continue;
        }
        switch (c) {
            case '"':
                inString = true;
                break;
            case '{':
                if (++objects > 2 * qint64(MaxRibbons) + 1)
                    return tooManyRibbons();
                [[fallthrough]];
            case '[':
                if (++depth > kMaxJsonDepth)
                    return QStringLiteral("JSON ist tiefer als %1 Ebenen geschachtelt")
                        .arg(kMaxJsonDepth);
                break;
            case '}':
            case ']':
                --depth;
                break;
            default:
                break;
        }
    }
    *line = 0;
    return QString();
}

bool jsonCell(const QString &key, const QJsonValue &value, int field, std::optional<Cell> *out,
              QString *error) {
    Cell cell;
    cell.name = key;
    switch (value.type()) {
        case QJsonValue::Null:
        case QJsonValue::Undefined:
            return true;
        case QJsonValue::String:
            cell.text = value.toString();
            break;
        case QJsonValue::Double: {
            const double d = value.toDouble();
            if (d != std::floor(d) || std::fabs(d) > 9007199254740992.0) {
                *error = QStringLiteral(
                             "%1: %2 ist keine ganze Zahl (Text geh\u00f6rt in "
                             "Anf\u00fchrungszeichen)")
                             .arg(quoted(key), QString::number(d));
                return false;
            }
            cell.text = QString::number(qint64(d));
            break;
        }
        case QJsonValue::Bool:
            if (field != Kopfstehend && field != Schatten) {
                *error = QStringLiteral("%1: muss Text oder Zahl sein").arg(quoted(key));
                return false;
            }
            cell.text = value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
            break;
        case QJsonValue::Array:
            if (field == TextLinks || field == TextRechts) {
                cell.isList = true;
                // Each line break takes two characters in a ribbon file.
                if (value.toArray().size() > ProfileFile::MaxValueLength) {
                    *error = QStringLiteral("%1: l\u00e4nger als %2 Zeichen")
                                 .arg(quoted(key), QString::number(ProfileFile::MaxValueLength));
                    return false;
                }
                for (const QJsonValue line : value.toArray()) {
                    if (!line.isString()) {
                        *error = QStringLiteral(
                                     "%1: die Liste darf nur Zeilen als Text "
                                     "enthalten")
                                     .arg(quoted(key));
                        return false;
                    }
                    cell.lines.append(line.toString());
                }
                break;
            }
            [[fallthrough]];
        case QJsonValue::Object:
            *error = field == TextLinks || field == TextRechts
                         ? QStringLiteral("%1: muss Text oder eine Liste von Zeilen sein")
                               .arg(quoted(key))
                         : QStringLiteral("%1: muss Text oder Zahl sein").arg(quoted(key));
            return false;
    }
    *out = std::move(cell);
    return true;
}

bool isKey(const QString &key, std::initializer_list<QLatin1String> names) {
    const QString name = folded(key);
    for (const QLatin1String &n : names) {
        if (name == n)
            return true;
    }
    return false;
}

bool isRibbonsKey(const QString &key) {
    return isKey(key, {QLatin1String("schleifen"), QLatin1String("ribbons")});
}

// The values of one object, by field; other keys are left alone.
bool jsonCells(const QJsonObject &object, Cells *cells, QString *error) {
    std::array<QString, FieldCount> keys;
    for (auto it = object.begin(); it != object.end(); ++it) {
        const int f = fieldOf(it.key());
        if (f < 0)
            continue;
        if (!keys[std::size_t(f)].isEmpty()) {
            *error = QStringLiteral("%1 und %2 meinen beide %3")
                         .arg(quoted(keys[std::size_t(f)]), quoted(it.key()), quoted(fieldName(f)));
            return false;
        }
        keys[std::size_t(f)] = it.key();
        if (!jsonCell(it.key(), it.value(), f, &(*cells)[std::size_t(f)], error))
            return false;
    }
    return true;
}

OrderFileResult readJson(const QByteArray &file, const QString &fileName,
                         const StoredFormatLookup &formats) {
    const QByteArray bom("\xEF\xBB\xBF");
    const QByteArray bytes = file.startsWith(bom) ? file.mid(bom.size()) : file;
    {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        [[maybe_unused]] const QString text = decoder.decode(bytes);
        if (decoder.hasError())
            return failure(fileName, 0, QStringLiteral("JSON-Datei ist nicht UTF-8-kodiert"));
    }
    int line = 0;
    const QString shape = jsonShapeFault(bytes, &line);
    if (!shape.isEmpty())
        return failure(fileName, line, shape);
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        const int at = int(bytes.left(parseError.offset).count('\n')) + 1;
        return failure(fileName, at,
                       QStringLiteral("Kein g\u00fcltiges JSON: %1").arg(parseError.errorString()));
    }

    QJsonArray list;
    if (document.isArray()) {
        list = document.array();
    } else {
        const QJsonObject top = document.object();
        bool wrapper = false;
        for (auto it = top.begin(); it != top.end(); ++it) {
            if (!isKey(it.key(), {QLatin1String("auftraege"), QLatin1String("orders")}))
                continue;
            if (!it.value().isArray())
                return failure(fileName, 0,
                               QStringLiteral("%1 muss eine Liste von Auftr\u00e4gen sein")
                                   .arg(quoted(it.key())));
            list = it.value().toArray();
            wrapper = true;
            break;
        }
        if (!wrapper)
            list.append(top);
    }

    Gathering gathering;
    for (qsizetype k = 0; k < list.size(); ++k) {
        QString place = QStringLiteral("Auftrag %1").arg(k + 1);
        auto fault = [&](const QString &message) {
            return failure(fileName, 0, place + QStringLiteral(": ") + message);
        };
        if (!list.at(k).isObject())
            return fault(QStringLiteral("ist kein JSON-Objekt"));
        const QJsonObject object = list.at(k).toObject();
        QString error;
        QString number;
        // The number first, so that a fault in another key can name it.
        for (auto it = object.begin(); it != object.end(); ++it) {
            std::optional<Cell> cell;
            if (fieldOf(it.key()) == Auftrag &&
                jsonCell(it.key(), it.value(), Auftrag, &cell, &error) &&
                orderText(nonEmpty(cell), &number, &error) && !number.isEmpty())
                place = QStringLiteral("Auftrag %1").arg(quoted(number));
        }
        Cells orderCells;
        QString delivery;
        if (!jsonCells(object, &orderCells, &error) ||
            !orderText(given(orderCells, Auftrag), &number, &error) ||
            !orderText(given(orderCells, Liefertermin), &delivery, &error))
            return fault(error);
        if (number.isEmpty())
            return fault(
                QStringLiteral("Auftragsnummer fehlt (%1)").arg(quoted(fieldName(Auftrag))));
        if (gathering.byNumber.contains(number))
            return fault(QStringLiteral("steht mehrmals in der Datei"));
        const std::size_t index = gathering.orders.size();
        gathering.byNumber.insert(number, index);
        gathering.orders.push_back(Order{number, delivery, 0, {}});
        gathering.labelGiven.emplace_back();

        std::optional<QJsonValue> ribbons;
        QString ribbonsKey;
        for (auto it = object.begin(); it != object.end(); ++it) {
            if (isRibbonsKey(it.key())) {
                ribbons = it.value();
                ribbonsKey = it.key();
            }
        }
        if (!ribbons) {
            RibbonSpec spec;
            if (!buildRibbon(orderCells, formats, &spec, &error) ||
                !gathering.add(index, spec, &error))
                return fault(error);
            continue;
        }
        if (!ribbons->isArray() || ribbons->toArray().isEmpty())
            return fault(QStringLiteral("%1 muss eine Liste mit wenigstens einer Schleife sein")
                             .arg(quoted(ribbonsKey)));
        const QJsonArray array = ribbons->toArray();
        for (qsizetype r = 0; r < array.size(); ++r) {
            const QString ribbonPlace = place + QStringLiteral(", Schleife %1").arg(r + 1);
            auto ribbonFault = [&](const QString &message) {
                return failure(fileName, 0, ribbonPlace + QStringLiteral(": ") + message);
            };
            if (!array.at(r).isObject())
                return ribbonFault(QStringLiteral("ist kein JSON-Objekt"));
            Cells cells = orderCells;
            Cells own;
            if (!jsonCells(array.at(r).toObject(), &own, &error))
                return ribbonFault(error);
            for (int f = 0; f < FieldCount; ++f) {
                if (own[std::size_t(f)])
                    cells[std::size_t(f)] = own[std::size_t(f)];
            }
            QString ownNumber;
            QString ownDelivery;
            if (!orderText(given(own, Auftrag), &ownNumber, &error) ||
                !orderText(given(own, Liefertermin), &ownDelivery, &error))
                return ribbonFault(error);
            if ((!ownNumber.isEmpty() && ownNumber != number) ||
                (!ownDelivery.isEmpty() && ownDelivery != delivery))
                return ribbonFault(
                    QStringLiteral("Auftragsnummer und Liefertermin gelten f\u00fcr "
                                   "den ganzen Auftrag"));
            RibbonSpec spec;
            if (!buildRibbon(cells, formats, &spec, &error) || !gathering.add(index, spec, &error))
                return ribbonFault(error);
        }
    }
    if (gathering.orders.empty())
        return failure(fileName, 0, QStringLiteral("Keine Auftr\u00e4ge in der Datei"));
    gathering.finish();
    OrderFileResult result;
    result.orders = std::move(gathering.orders);
    return result;
}

// ---- ribbon file

OrderFileResult readRibbonFile(const QByteArray &bytes, const QString &fileName) {
    RibbonFileResult read = ReadRibbonFile(bytes, fileName, RibbonReading::Strict);
    if (!read.ok()) {
        OrderFileResult result;
        result.error = read.error->text();
        return result;
    }
    OrderFileResult result;
    for (RibbonEntry &entry : read.ribbons) {
        if (!entry.job->HasText())
            return failure(fileName, entry.line,
                           QStringLiteral("Schleife ohne Text: %1 und %2 sind leer")
                               .arg(quoted(QStringLiteral("TextLinks")),
                                    quoted(QStringLiteral("TextRechts"))));
        if (entry.job->Kommission.isEmpty())
            entry.job->Kommission.set(entry.section);
        Order order{entry.section, QString(), entry.line, {}};
        order.ribbons.push_back(std::move(entry.job));
        result.orders.push_back(std::move(order));
    }
    return result;
}

}  // namespace

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

OrderFormat OrderFormatOf(const QString &fileName, const QByteArray &bytes) {
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    if (suffix == QLatin1String("csv"))
        return OrderFormat::Csv;
    if (suffix == QLatin1String("json"))
        return OrderFormat::Json;
    if (suffix == QLatin1String("ini") || suffix == QLatin1String("txt"))
        return OrderFormat::RibbonFile;
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    auto skipBlanks = [&] {
        while (i < bytes.size() && QByteArrayView(" \t\r\n").contains(bytes[i]))
            ++i;
    };
    skipBlanks();
    if (i >= bytes.size())
        return OrderFormat::Csv;
    if (bytes[i] == '{')
        return OrderFormat::Json;
    if (bytes[i] == ';')
        return OrderFormat::RibbonFile;
    if (bytes[i] == '[') {
        // "[" opens a JSON list of objects, lists or texts, or a section header.
        ++i;
        skipBlanks();
        return i >= bytes.size() || QByteArrayView("{[]\"").contains(bytes[i])
                   ? OrderFormat::Json
                   : OrderFormat::RibbonFile;
    }
    return OrderFormat::Csv;
}

OrderFileResult ReadOrderFile(const QByteArray &bytes, const QString &fileName,
                              const StoredFormatLookup &formats) {
    if (bytes.size() > MaxOrderFileSize)
        return failure(fileName, 0,
                       QStringLiteral("Datei ist gr\u00f6\u00dfer als %1 MB")
                           .arg(MaxOrderFileSize / (1024 * 1024)));
    const QString utf16 =
        QStringLiteral("Datei ist UTF-16-kodiert; bitte als UTF-8 oder Windows-1252 speichern");
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        return failure(fileName, 0, utf16);
    if (bytes.contains('\0')) {
        // UTF-16 without a byte order mark: every other byte of Latin text is NUL.
        const bool wide = bytes.size() >= 2 && (bytes[0] == '\0') != (bytes[1] == '\0');
        return failure(fileName, 0, wide ? utf16 : QStringLiteral("Datei ist keine Textdatei"));
    }
    switch (OrderFormatOf(fileName, bytes)) {
        case OrderFormat::Csv:
            return readCsv(bytes, fileName, formats);
        case OrderFormat::Json:
            return readJson(bytes, fileName, formats);
        case OrderFormat::RibbonFile:
            return readRibbonFile(bytes, fileName);
    }
    return failure(fileName, 0, QStringLiteral("Unbekanntes Format"));
}

OrderFileResult LoadOrderFile(const QString &path, const StoredFormatLookup &formats) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (!QFileInfo::exists(path))
            return failure(path, 0, QStringLiteral("Datei ist verschwunden"));
        return failure(
            path, 0, QStringLiteral("Datei kann nicht gelesen werden: %1").arg(file.errorString()));
    }
    const QString tooLarge = QStringLiteral("Datei ist gr\u00f6\u00dfer als %1 MB")
                                 .arg(MaxOrderFileSize / (1024 * 1024));
    if (file.size() > MaxOrderFileSize)
        return failure(path, 0, tooLarge);
    const QByteArray bytes = file.read(MaxOrderFileSize + 1);
    if (file.error() != QFileDevice::NoError)
        return failure(
            path, 0, QStringLiteral("Datei kann nicht gelesen werden: %1").arg(file.errorString()));
    if (bytes.size() > MaxOrderFileSize)
        return failure(path, 0, tooLarge);
    return ReadOrderFile(bytes, path, formats);
}
