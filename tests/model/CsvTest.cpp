#include <gtest/gtest.h>

#include "model/Csv.h"

namespace {

// A table as one string: each row as "<line>:" and its fields joined by "|",
// rows joined by " / ".
QString shape(const CsvTable &table) {
    QStringList rows{QStringLiteral("%1:").arg(table.headerLine) +
                     table.header.join(QLatin1Char('|'))};
    for (const CsvRow &row : table.rows)
        rows.append(QStringLiteral("%1:").arg(row.line) + row.fields.join(QLatin1Char('|')));
    return rows.join(QLatin1String(" / "));
}

struct Case {
    const char16_t *text;
    char separator;
    const char16_t *table;
};

TEST(CsvTest, ReadsWhatSpreadsheetsWrite) {
    const Case cases[] = {
        {u"a;b\r\n1;2\r\n", ';', u"1:a|b / 2:1|2"},
        {u"a,b\n\"x,y\",2\n", ',', u"1:a|b / 2:x,y|2"},
        // A line break inside quotes belongs to the field; lines go on counting.
        {u"a;b\n\"eins\r\nzwei\";2\n3;4\n", ';', u"1:a|b / 2:eins\nzwei|2 / 4:3|4"},
        {u"a;b\n\"er sagte \"\"ja\"\"\";x", ';', u"1:a|b / 2:er sagte \"ja\"|x"},
        {u"\uFEFFa;b\n1;2", ';', u"1:a|b / 2:1|2"},
        // Rows of empty fields are left out; short rows are fine, and so are
        // extra fields that are empty.
        {u"a;b;c\n;;\n \n1\n1;2;3;;\n", ';', u"1:a|b|c / 4:1 / 5:1|2|3"},
        // The header decides the separator, quotes in it not counting.
        {u"\"a;b;c\",d,e\n1;2,3\n", ',', u"1:a;b;c|d|e / 2:1;2|3"},
        {u"a\n1,5\n", ';', u"1:a / 2:1,5"},
        {u"\n  \r\nA;B\r1;2", ';', u"3:A|B / 4:1|2"},
        // Blanks around quotes go; a quote inside a plain field stays.
        {u"a, b\n \"x\" , y\nab\"c,2\n", ',', u"1:a| b / 2:x| y / 3:ab\"c|2"},
        {u"sep=,\r\na;b,c\n", ',', u"2:a;b|c"},
        {u"", ';', u"0:"},
    };
    for (const Case &c : cases) {
        const QString text = QString::fromUtf16(c.text);
        const CsvTable table = ReadCsv(text);
        ASSERT_TRUE(table.ok()) << text.toStdString() << ": " << table.error->message.toStdString();
        EXPECT_EQ(table.separator, QLatin1Char(c.separator)) << text.toStdString();
        EXPECT_EQ(shape(table), QString::fromUtf16(c.table)) << text.toStdString();
    }
}

TEST(CsvTest, FaultsNameTheirLine) {
    const struct {
        const char16_t *text;
        int line;
        const char16_t *message;
    } cases[] = {
        {u"a;b\n1;\"offen\n2;3\n", 2, u"Anf\u00fchrungszeichen wird nicht geschlossen"},
        {u"a;b\n1;2\n1;2;3\n", 3, u"Zeile hat mehr Felder als die Kopfzeile (2)"},
        {u"a;b\n\"x\"y;2\n", 2, u"Text nach dem schlie\u00dfenden Anf\u00fchrungszeichen"},
        {u"a;b\n\"x\ny\"z;2\n", 3, u"Text nach dem schlie\u00dfenden Anf\u00fchrungszeichen"},
        {u"\"", 1, u"Anf\u00fchrungszeichen wird nicht geschlossen"},
    };
    for (const auto &c : cases) {
        const CsvTable table = ReadCsv(QString::fromUtf16(c.text));
        ASSERT_FALSE(table.ok()) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(table.error->line, c.line) << QString::fromUtf16(c.text).toStdString();
        EXPECT_EQ(table.error->message, QString::fromUtf16(c.message));
        EXPECT_TRUE(table.header.isEmpty() && table.rows.empty());
    }
}

// Memory stays bounded: a header of a hundred thousand columns or more rows
// than asked for ends the reading with a fault instead of a table.
TEST(CsvTest, LimitsEndTheReading) {
    const CsvLimits limits{3, 2};
    const CsvTable wide = ReadCsv(QString(100000, QLatin1Char(';')) + QLatin1Char('x'), limits);
    ASSERT_FALSE(wide.ok());
    EXPECT_EQ(wide.error->message, QStringLiteral("Mehr als 3 Spalten"));

    const CsvTable tall = ReadCsv(QStringLiteral("a\n1\n\n2\n3\n"), limits);
    ASSERT_FALSE(tall.ok());
    EXPECT_EQ(tall.error->line, 5);
    EXPECT_EQ(tall.error->message, QStringLiteral("Mehr als 2 Zeilen"));
}

}  // namespace
