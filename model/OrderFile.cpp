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
#include "model/OrderFields.h"
#include "model/ProfileFile.h"
#include "model/RibbonFile.h"
#include "model/UnicodeText.h"

// An order file holds a day's orders of one shop system: a few kilobytes,
// seldom more than a few hundred. Sixteen megabytes still leave 1.6 kB for
// each of MaxRibbons ribbons, and keep what reading needs (the text as UTF-16,
// the parsed table or JSON document) well below half a gigabyte for any file.
const qint64 MaxOrderFileSize = 16 * 1024 * 1024;

namespace {

using namespace OrderFields;

// Nesting a valid order file needs: wrapper, list of orders, order, list of
// ribbons, ribbon, list of lines.
constexpr int kMaxJsonDepth = 8;

const QString kDot = QStringLiteral(" \u00b7 ");

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

    bool add(std::size_t order, BuiltRibbon &built, QString *error) {
        if (built.copies > MaxRibbons - ribbons) {
            *error = tooManyRibbons();
            return false;
        }
        ribbons += built.copies;
        const TJob &first = *built.job;
        orders[order].ribbons.push_back(std::move(built.job));
        for (int k = 1; k < built.copies; ++k) {
            auto copy = std::make_unique<TJob>();
            copy->CopyFrom(first);
            copy->TextLeft = first.TextLeft;
            copy->TextRight = first.TextRight;
            orders[order].ribbons.push_back(std::move(copy));
        }
        labelGiven[order].insert(labelGiven[order].end(), std::size_t(built.copies),
                                 built.labelGiven);
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
                             ? UnicodeText::FromUtf8(bytes.mid(hasBom ? bom.size() : 0))
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
        BuiltRibbon built;
        if (!buildRibbon(cells, formats, &built, &error) || !gathering.add(index, built, &error))
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
                    *error = textTooLong(key);
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
            BuiltRibbon built;
            if (!buildRibbon(orderCells, formats, &built, &error) ||
                !gathering.add(index, built, &error))
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
            BuiltRibbon built;
            if (!buildRibbon(cells, formats, &built, &error) ||
                !gathering.add(index, built, &error))
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
