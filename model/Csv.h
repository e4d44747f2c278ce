#pragma once

#include <QChar>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <optional>
#include <vector>

// Comma-separated values as spreadsheets and shop systems export them
// (RFC 4180), read from text already decoded:
//
// - The first row that is not blank is the header. Its separator decides the
//   file's: ";" or ",", whichever the header holds more of outside quotes
//   (";" on a tie or when it holds neither, as German spreadsheets write it),
//   unless a line "sep=;" or "sep=," before it names the separator.
// - A field in double quotes may hold separators, line breaks and doubled
//   quotes ("" for one "). Blanks around the quotes are no part of the field;
//   anything else after the closing quote is a fault. A quote inside a field
//   that does not start with one is taken as it stands, as spreadsheets do.
// - Rows end at CR LF, LF or a lone CR; a line break inside quotes becomes
//   "\n" in the field. A byte order mark before the header is read past.
// - Rows of empty fields only (spreadsheets leave them below a table, as
// "; ; ;") are left out. A row may have fewer fields than the header; one
//   with more is a fault unless the extra fields are all empty.
//
// Faults carry the line they are found on, counted from 1. Reading takes
// time in proportion to the text, and memory too: at most maxColumns fields
// in a row and maxRows rows are kept, beyond them reading stops with a fault.
struct CsvRow {
    int line = 0;        // where the row starts
    QStringList fields;  // at most as many as the header has
};

struct CsvError {
    int line = 0;
    QString message;  // German
};

struct CsvLimits {
    int maxColumns = 256;
    int maxRows = 100000;
};

struct CsvTable {
    QChar separator = QLatin1Char(';');
    int headerLine = 0;  // 0: the text has no row that is not blank
    QStringList header;
    std::vector<CsvRow> rows;
    std::optional<CsvError> error;  // the first fault; header and rows are then empty

    bool ok() const { return !error.has_value(); }
};

CsvTable ReadCsv(QStringView text, const CsvLimits &limits = {});
