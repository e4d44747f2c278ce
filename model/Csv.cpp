#include "model/Csv.h"

namespace {

constexpr char16_t kQuote = u'"';
constexpr char16_t kBom = u'\uFEFF';

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isBreak(QChar c) {
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

class Reader {
public:
    Reader(QStringView text, const CsvLimits &limits) : text_(text), limits_(limits) {
        if (!text_.isEmpty() && text_.front() == QChar(kBom))
            pos_ = 1;
    }

    CsvTable read() {
        CsvTable table;
        skipBlankLines();
        if (atEnd())
            return table;
        table.separator = separatorOfHeader();
        // Spreadsheets may name their separator in a line of its own ("sep=;").
        if (text_.mid(pos_, 4).compare(QLatin1String("sep="), Qt::CaseInsensitive) == 0 &&
            (at(pos_ + 4) == QLatin1Char(';') || at(pos_ + 4) == QLatin1Char(',')) &&
            (pos_ + 5 == text_.size() || isBreak(at(pos_ + 5)))) {
            table.separator = at(pos_ + 4);
            pos_ += 5;
            if (!atEnd())
                skipBreak();
            skipBlankLines();
            if (atEnd())
                return table;
        }
        separator_ = table.separator;
        table.headerLine = line_;
        header_ = true;
        if (!readRow(&table.header, limits_.maxColumns, &table.error)) {
            if (table.error->message.isEmpty())
                table.error->message =
                    QStringLiteral("Mehr als %1 Spalten").arg(limits_.maxColumns);
            table.header.clear();
            return table;
        }
        header_ = false;
        while (!atEnd()) {
            CsvRow row;
            row.line = line_;
            if (!readRow(&row.fields, int(table.header.size()), &table.error))
                break;
            bool empty = true;
            for (const QString &field : std::as_const(row.fields))
                empty = empty && field.trimmed().isEmpty();
            if (empty)
                continue;
            if (int(table.rows.size()) == limits_.maxRows) {
                table.error =
                    CsvError{row.line, QStringLiteral("Mehr als %1 Zeilen").arg(limits_.maxRows)};
                break;
            }
            table.rows.push_back(std::move(row));
        }
        if (table.error) {
            table.header.clear();
            table.rows.clear();
        }
        return table;
    }

private:
    bool atEnd() const { return pos_ >= text_.size(); }
    QChar at(qsizetype i) const { return i < text_.size() ? text_[i] : QChar(); }

    // Past CR LF, LF or a lone CR at pos_.
    void skipBreak() {
        if (at(pos_) == QLatin1Char('\r') && at(pos_ + 1) == QLatin1Char('\n'))
            ++pos_;
        ++pos_;
        ++line_;
    }

    void skipBlankLines() {
        for (qsizetype p = pos_; p < text_.size(); ++p) {
            if (isBlank(text_[p]))
                continue;
            if (!isBreak(text_[p]))
                return;
            pos_ = p;
            skipBreak();
            p = pos_ - 1;
        }
        pos_ = text_.size();
    }

    QChar separatorOfHeader() const {
        int semicolons = 0;
        int commas = 0;
        bool quoted = false;
        for (qsizetype p = pos_; p < text_.size(); ++p) {
            const QChar c = text_[p];
            if (c == QChar(kQuote))
                quoted = !quoted;
            else if (quoted)
                continue;
            else if (isBreak(c))
                break;
            else if (c == QLatin1Char(';'))
                ++semicolons;
            else if (c == QLatin1Char(','))
                ++commas;
        }
        return commas > semicolons ? QLatin1Char(',') : QLatin1Char(';');
    }

    // Reads one row up to and past its line break. Fields beyond maxFields
    // are not kept; one of them that is not empty is a fault (with an empty
    // message when the row is the header, which has no header to exceed).
    bool readRow(QStringList *fields, int maxFields, std::optional<CsvError> *error) {
        const int rowLine = line_;
        int count = 0;
        for (;;) {
            QString field;
            if (!readField(&field, error))
                return false;
            ++count;
            if (count <= maxFields) {
                fields->append(std::move(field));
            } else if (!field.isEmpty()) {
                *error = CsvError{rowLine, header_ ? QString()
                                                   : QStringLiteral("Zeile hat mehr Felder als "
                                                                    "die Kopfzeile (%1)")
                                                         .arg(maxFields)};
                return false;
            }
            if (atEnd())
                return true;
            if (isBreak(text_[pos_])) {
                skipBreak();
                return true;
            }
            ++pos_;  // the separator
        }
    }

    // Reads one field and leaves pos_ at the separator, the line break or the end.
    bool readField(QString *field, std::optional<CsvError> *error) {
        qsizetype p = pos_;
        while (p < text_.size() && isBlank(text_[p]))
            ++p;
        if (p >= text_.size() || text_[p] != QChar(kQuote)) {
            const qsizetype start = pos_;
            while (pos_ < text_.size() && text_[pos_] != separator_ && !isBreak(text_[pos_]))
                ++pos_;
            *field = text_.mid(start, pos_ - start).toString();
            return true;
        }
        const int openLine = line_;
        pos_ = p + 1;
        for (;;) {
            qsizetype run = pos_;
            while (run < text_.size() && text_[run] != QChar(kQuote) && !isBreak(text_[run]))
                ++run;
            field->append(text_.mid(pos_, run - pos_));
            pos_ = run;
            if (atEnd()) {
                *error = CsvError{openLine,
                                  QStringLiteral("Anf\u00fchrungszeichen wird nicht geschlossen")};
                return false;
            }
            if (isBreak(text_[pos_])) {
                skipBreak();
                field->append(QLatin1Char('\n'));
                continue;
            }
            if (at(pos_ + 1) == QChar(kQuote)) {
                field->append(QChar(kQuote));
                pos_ += 2;
                continue;
            }
            ++pos_;
            break;
        }
        while (pos_ < text_.size() && isBlank(text_[pos_]))
            ++pos_;
        if (!atEnd() && text_[pos_] != separator_ && !isBreak(text_[pos_])) {
            *error = CsvError{line_, QStringLiteral("Text nach dem schlie\u00dfenden "
                                                    "Anf\u00fchrungszeichen")};
            return false;
        }
        return true;
    }

    QStringView text_;
    CsvLimits limits_;
    QChar separator_ = QLatin1Char(';');
    bool header_ = false;
    qsizetype pos_ = 0;
    int line_ = 1;
};

}  // namespace

CsvTable ReadCsv(QStringView text, const CsvLimits &limits) {
    return Reader(text, limits).read();
}
