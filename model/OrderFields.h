#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>

#include "model/Job.h"
#include "model/OrderFile.h"

// How the values of an order file become ribbons: the fields that columns
// and keys name (OrderColumns), and the reading and checking of each value.
// The CSV and the JSON reader hand their values in alike.
namespace OrderFields {

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

// A column's or key's field, or -1 for a name the mapping does not know.
int fieldOf(const QString &name);
// The canonical name, as in messages.
QString fieldName(int field);
// A name as compared (see OrderColumn).
QString folded(const QString &name);
// A name or value in German quotes, as a message shows it.
QString quoted(const QString &text);

// The cell when it holds a value: an empty or blank one counts as missing.
const Cell *nonEmpty(const std::optional<Cell> &cell);
const Cell *given(const Cells &cells, int field);

// What one row (or JSON ribbon) makes: `copies` equal ribbons.
struct BuiltRibbon {
    std::unique_ptr<TJob> job;
    int copies = 1;
    bool labelGiven = false;
};

// The ribbon the values make: the defaults of a ribbon file section, or the
// stored format that "Format" names, then each value given. False with the
// first fault (naming the column or key and the value).
bool buildRibbon(const Cells &cells, const StoredFormatLookup &formats, BuiltRibbon *built,
                 QString *error);

// An order number or delivery time: one line, trimmed, composed, at most 100
// letters; empty for a missing cell.
bool orderText(const Cell *cell, QString *out, QString *error);

// The fault of a text longer than a ribbon file's value may be.
QString textTooLong(const QString &name);

}  // namespace OrderFields
