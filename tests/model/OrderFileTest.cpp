#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/OrderFile.h"
#include "model/RibbonFile.h"

namespace {

const QString kCsv = QStringLiteral("auftrag.csv");
const QString kJson = QStringLiteral("auftrag.json");

OrderFileResult read(const QByteArray &bytes, const QString &name = kCsv,
                     const StoredFormatLookup &formats = nullptr) {
    return ReadOrderFile(bytes, name, formats);
}

// Messages as UTF-8, so that a failing comparison shows them readably.
std::string errorOf(const OrderFileResult &r) {
    return r.error.value_or(QString()).toStdString();
}

std::string utf8(const QString &text) {
    return text.toStdString();
}

QStringList lines(std::initializer_list<const char16_t *> texts) {
    QStringList out;
    for (const char16_t *t : texts)
        out.append(QString::fromUtf16(t));
    return out;
}

// A spreadsheet export: German headers, ";", a line break in a cell, the
// ribbons of one order on rows apart, and columns left at their defaults.
TEST(OrderFileTest, CsvRowsBecomeOrdersWithTheirRibbons) {
    const OrderFileResult r = read(
        "Auftragsnummer;Liefertermin;Text links;Text rechts;Breite;Anzahl;Etikett;Bemerkung\r\n"
        "4711;09.12.2026 10:00;\"In stiller Trauer\r\nFamilie Meier\";Ruhe sanft;;;;intern\r\n"
        "4712;;Letzter Gru\xc3\x9f\\\\Anna;;100;2;A-7;\r\n"
        "4711;;Wir vergessen dich nie;;125;;;\r\n");
    ASSERT_TRUE(r.ok()) << errorOf(r);
    ASSERT_EQ(r.orders.size(), 2u);

    const Order &meier = r.orders[0];
    EXPECT_EQ(meier.number, QStringLiteral("4711"));
    EXPECT_EQ(meier.delivery, QStringLiteral("09.12.2026 10:00"));
    EXPECT_EQ(meier.line, 2);
    ASSERT_EQ(meier.ribbons.size(), 2u);
    const TJob &first = *meier.ribbons[0];
    EXPECT_EQ(first.TextLeft.lines(), lines({u"In stiller Trauer", u"Familie Meier"}));
    EXPECT_EQ(first.TextRight.lines(), lines({u"Ruhe sanft"}));
    EXPECT_EQ(first.Kommission.str(), QStringLiteral("4711 \u00b7 09.12.2026 10:00"));
    EXPECT_EQ(first.Section, QStringLiteral("4711"));
    // What a ribbon file section without the keys gives.
    EXPECT_EQ(first.Breite, 170);
    EXPECT_EQ(first.Laenge, 2000);
    EXPECT_EQ(first.Rand, 30);
    EXPECT_EQ(first.FontName.str(), QStringLiteral("Old Germen"));
    EXPECT_EQ(first.FontGroesse, 60);
    EXPECT_EQ(first.FontFarbe, 0x01000000u);
    EXPECT_EQ(first.Stil, Align);
    EXPECT_FALSE(first.Flip);
    EXPECT_FALSE(first.Shadow);
    EXPECT_EQ(first.BildBreiteLinks, 40);
    EXPECT_EQ(first.BildAbstandRechts, 30);
    EXPECT_EQ(meier.ribbons[1]->Breite, 125);
    EXPECT_EQ(meier.ribbons[1]->Kommission.str(), first.Kommission.str());

    const Order &anna = r.orders[1];
    EXPECT_EQ(anna.delivery, QString());
    ASSERT_EQ(anna.ribbons.size(), 2u);  // "Anzahl" 2
    for (const auto &ribbon : anna.ribbons) {
        EXPECT_EQ(ribbon->TextLeft.lines(), lines({u"Letzter Gru\u00df", u"Anna"}));
        EXPECT_EQ(ribbon->Breite, 100);
        EXPECT_EQ(ribbon->Kommission.str(), QStringLiteral("A-7"));
    }
}

// English headers, and German ones spelt as people type them, with every
// field the mapping knows.
TEST(OrderFileTest, ColumnAliasesAndValueWords) {
    const std::vector<std::pair<std::string, const char *>> headers[] = {
        {{"order", "Order no."},
         {"left", "Left"},
         {"right", "Right text"},
         {"width", "Width"},
         {"length", "Length"},
         {"margin", "Margin"},
         {"font", "Typeface"},
         {"size", "Font size"},
         {"colour", "Colour"},
         {"style", "Alignment"},
         {"flip", "Upside down"},
         {"shadow", "Shadow"},
         {"lpic", "Left picture"},
         {"rpic", "Right picture"},
         {"label", "Label"},
         {"copies", "Quantity"},
         {"delivery", "Delivery date"}},
        {{"order", "AUFTRAGS_NR"},
         {"left", "Linkes Ende"},
         {"right", "rechts"},
         {"width", "breite"},
         {"length", "Laenge"},
         {"margin", "Rand"},
         {"font", "Schriftart"},
         {"size", "Schriftgroesse"},
         {"colour", "Schrift-Farbe"},
         {"style", "Ausrichtung"},
         {"flip", "Kopfstehend"},
         {"shadow", "Schatten"},
         {"lpic", "Bild links"},
         {"rpic", "Rechtes Bild"},
         {"label", "Kommission"},
         {"copies", "Menge"},
         {"delivery", "Termin"}},
    };
    const std::map<std::string, const char *> values = {
        {"order", "B-1"},       {"left", "L"},          {"right", "R"},    {"width", "150 mm"},
        {"length", "1800"},     {"margin", "0"},        {"font", "Arial"}, {"size", "45"},
        {"colour", "#FF0000"},  {"style", "zentriert"}, {"flip", "ja"},    {"shadow", "1"},
        {"lpic", "kreuz.bmp"},  {"rpic", "rose.bmp"},   {"label", "K"},    {"copies", "3"},
        {"delivery", "morgen"},
    };
    for (const auto &names : headers) {
        QByteArrayList head, row;
        for (const auto &[key, name] : names) {
            head.append(name);
            row.append(values.at(key));
        }
        const OrderFileResult r = read(head.join(';') + '\n' + row.join(';') + '\n');
        ASSERT_TRUE(r.ok()) << errorOf(r);
        ASSERT_EQ(r.orders.size(), 1u);
        const Order &order = r.orders[0];
        EXPECT_EQ(order.number, QStringLiteral("B-1"));
        EXPECT_EQ(order.delivery, QStringLiteral("morgen"));
        ASSERT_EQ(order.ribbons.size(), 3u);
        const TJob &job = *order.ribbons[2];
        EXPECT_EQ(job.TextLeft.lines(), lines({u"L"}));
        EXPECT_EQ(job.TextRight.lines(), lines({u"R"}));
        EXPECT_EQ(job.Breite, 150);
        EXPECT_EQ(job.Laenge, 1800);
        EXPECT_EQ(job.Rand, 0);
        EXPECT_EQ(job.FontName.str(), QStringLiteral("Arial"));
        EXPECT_EQ(job.FontGroesse, 45);
        EXPECT_EQ(job.FontFarbe, 0x01000000u + 13);  // the palette's red, as the dialog sets it
        EXPECT_EQ(job.Stil, Center);
        EXPECT_TRUE(job.Flip);
        EXPECT_TRUE(job.Shadow);
        EXPECT_EQ(job.BildNameLinks.str(), QStringLiteral("kreuz.bmp"));
        EXPECT_EQ(job.BildNameRechts.str(), QStringLiteral("rose.bmp"));
        EXPECT_EQ(job.Kommission.str(), QStringLiteral("K"));
    }

    const struct {
        const char *colour;
        std::uint32_t value;
    } colours[] = {{"schwarz", 0x01000000},
                   {"Grün", 0x0100000E},
                   {"#0000ff", 0x01000010},
                   {"$00FF8000", 0x00FF8000},
                   {"#808080", 0x0100000C},
                   {"Dunkelrot", 0x01000001},
                   {"t\xc3\xbcrkis", 0x01000012},
                   {"#c0c0c0", 0x01000007}};
    for (const auto &c : colours) {
        const OrderFileResult r = read(QByteArray("Auftrag;Links;Farbe\n1;x;") + c.colour);
        ASSERT_TRUE(r.ok()) << errorOf(r);
        EXPECT_EQ(r.orders[0].ribbons[0]->FontFarbe, c.value) << c.colour;
    }
    const struct {
        const char *style;
        std::int32_t value;
    } styles[] = {{"0", Align},
                  {"B\xc3\xbcndig", Align},
                  {"center", Center},
                  {"Quer b\xc3\xbcndig", UpSide},
                  {"2", UpSide}};
    for (const auto &s : styles) {
        const OrderFileResult r = read(QByteArray("Auftrag;Links;Stil\n1;x;") + s.style);
        ASSERT_TRUE(r.ok()) << errorOf(r);
        EXPECT_EQ(r.orders[0].ribbons[0]->Stil, s.value) << s.style;
    }
}

TEST(OrderFileTest, StoredFormatIsTheStartAndColumnsOverrideIt) {
    TJob format;
    format.Name.set(QStringLiteral("Trauer 150"));
    format.Breite = 150;
    format.Laenge = 1500;
    format.FontName.set(QStringLiteral("Arial"));
    format.Stil = UpSide;
    format.Flip = true;
    const StoredFormatLookup lookup = [&](const QString &name) -> const TJob * {
        return name == QStringLiteral("Trauer 150") ? &format : nullptr;
    };
    const QByteArray csv = "Auftrag;Links;Vorlage;Breite\n1;x;Trauer 150;175\n2;y;;\n";
    const OrderFileResult r = read(csv, kCsv, lookup);
    ASSERT_TRUE(r.ok()) << errorOf(r);
    const TJob &job = *r.orders[0].ribbons[0];
    EXPECT_EQ(job.Name.str(), QStringLiteral("Trauer 150"));
    EXPECT_EQ(job.Laenge, 1500);
    EXPECT_EQ(job.FontName.str(), QStringLiteral("Arial"));
    EXPECT_EQ(job.Stil, UpSide);
    EXPECT_TRUE(job.Flip);
    EXPECT_EQ(job.Breite, 175);
    EXPECT_EQ(job.TextLeft.lines(), lines({u"x"}));
    EXPECT_EQ(r.orders[1].ribbons[0]->Laenge, 2000);

    EXPECT_EQ(errorOf(read("Auftrag;Links;Format\n1;x;Hochzeit\n", kCsv, lookup)),
              utf8(QStringLiteral("auftrag.csv:2: Format \u201eHochzeit\u201c gibt es nicht")));
    // Without stored formats at hand only an empty column may stand.
    EXPECT_TRUE(read("Auftrag;Links;Format\n1;x;\n").ok());
    EXPECT_EQ(errorOf(read("Auftrag;Links;Format\n1;x;Trauer 150\n")),
              utf8(QStringLiteral("auftrag.csv:2: \u201eFormat\u201c: gespeicherte Formate sind "
                                  "hier nicht zur Hand (\u201eTrauer 150\u201c)")));
}

// Every fault refuses the whole file, naming the line and the column.
TEST(OrderFileTest, CsvFaultsRefuseTheFile) {
    const struct {
        QByteArray csv;
        const char16_t *error;
    } cases[] = {
        {"Name;Text\nx;y\n",
         u"auftrag.csv:1: Spalte \u201eAuftrag\u201c fehlt (gefunden: \u201eName\u201c, "
         u"\u201eText\u201c)"},
        {"Auftrag;Breite\n1;2\n",
         u"auftrag.csv:1: Spalte \u201eText links\u201c oder \u201eText rechts\u201c fehlt "
         u"(gefunden: \u201eAuftrag\u201c, \u201eBreite\u201c)"},
        {"Auftrag;Links;Text links\n",
         u"auftrag.csv:1: Spalten \u201eLinks\u201c und \u201eText links\u201c meinen beide "
         u"\u201eText links\u201c"},
        {"Auftrag;Links\n1;x\n;y\n",
         u"auftrag.csv:3: Auftragsnummer fehlt (Spalte \u201eAuftrag\u201c)"},
        {"Auftrag;Termin;Links\n1;Mo %1;x\n2;Di;y\n1;Di;z\n",
         u"auftrag.csv:4: Liefertermin \u201eDi\u201c von Auftrag \u201e1\u201c weicht von "
         u"\u201eMo %1\u201c in Zeile 2 ab"},
        {"Auftrag;Links;Rechts\n1;;\n",
         u"auftrag.csv:2: Schleife ohne Text: \u201eText links\u201c und \u201eText "
         u"rechts\u201c sind leer"},
        {"Auftrag;Links\n",
         u"auftrag.csv: Keine Auftr\u00e4ge: unter der Kopfzeile steht keine Zeile"},
        {"Auftrag;Links;Breite\n1;x;0\n",
         u"auftrag.csv:2: \u201eBreite\u201c: 0 mm liegt nicht zwischen 1 und 32767 mm"},
        {"Auftrag;Links;L\xe4nge\n1;x;12,5\n",
         u"auftrag.csv:2: \u201eL\u00e4nge\u201c: \u201e12,5\u201c ist keine ganze Zahl (mm)"},
        {"Auftrag;Links;Gr\xf6\xdf\x65\n1;x;40000\n",
         u"auftrag.csv:2: \u201eGr\u00f6\u00dfe\u201c: 40000 mm liegt nicht zwischen 1 und "
         u"32767 mm"},
        {"Auftrag;Links;Menge\n1;x;101\n",
         u"auftrag.csv:2: \u201eMenge\u201c: 101 liegt nicht zwischen 1 und 100"},
        // Values show on one line.
        {"Auftrag;Links;Stil\n1;x;\"schief\nquer\"\n",
         u"auftrag.csv:2: \u201eStil\u201c: \u201eschief\u21b5quer\u201c ist kein Stil (0 "
         u"B\u00fcndig, 1 Zentriert, 2 Quer b\u00fcndig)"},
        {"Auftrag;Links;Stil\n1;x;schief\n",
         u"auftrag.csv:2: \u201eStil\u201c: \u201eschief\u201c ist kein Stil (0 B\u00fcndig, 1 "
         u"Zentriert, 2 Quer b\u00fcndig)"},
        {"Auftrag;Links;Schatten\n1;x;vielleicht\n",
         u"auftrag.csv:2: \u201eSchatten\u201c: \u201evielleicht\u201c ist weder ja noch nein"},
        {"Auftrag;Links;Schrift\n1;x;" + QByteArray(51, 'F') + "\n",
         u"auftrag.csv:2: \u201eSchrift\u201c: l\u00e4nger als 50 Zeichen"},
        {"Auftrag;Links\n1;" + QByteArray(2048, 'x') + "\n",
         u"auftrag.csv:2: \u201eLinks\u201c: l\u00e4nger als 2047 Zeichen"},
        // A colour the printer table has no entry for is not printed as another.
        {"Auftrag;Links;Color\n1;x;#123456\n", nullptr},
        {"Auftrag;Links;Farbe\n1;x;wei\xdf\n", nullptr},
        // Palette entries the text colour dialog does not offer: white, money green.
        {"Auftrag;Links;Farbe\n1;x;#FFFFFF\n", nullptr},
        {"Auftrag;Links;Farbe\n1;x;#C0DCC0\n", nullptr},
        // A text with a character no ribbon may hold is refused, not dropped.
        {"Auftrag;Links\n1;\"a\xc2\x85\x62\"\n", nullptr},
    };
    for (const auto &c : cases) {
        const OrderFileResult r = read(c.csv);
        ASSERT_FALSE(r.ok()) << c.csv.toStdString();
        EXPECT_TRUE(r.orders.empty());
        if (c.error)
            EXPECT_EQ(errorOf(r), utf8(QString::fromUtf16(c.error)));
        else
            EXPECT_TRUE(r.error->startsWith(QStringLiteral("auftrag.csv:2: ")))
                << r.error->toStdString();
    }
    EXPECT_EQ(
        errorOf(read("Auftrag;Farbe;Links\n1;#123456;x\n")),
        utf8(QStringLiteral("auftrag.csv:2: \u201eFarbe\u201c: \u201e#123456\u201c ist keine "
                            "Farbe der Textfarben (schwarz, rot, gr\u00fcn, blau, gelb, grau, "
                            "... oder ihr \"#RRGGBB\"; gespeichert als \"$XXXXXXXX\")")));
}

// Names beyond Windows-1252 arrive as UTF-8 and are kept composed; a
// Windows-1252 file reads as such, and a Latin-2 one is refused.
TEST(OrderFileTest, EncodingsAndComposedNames) {
    const OrderFileResult utf8 = read(
        "\xef\xbb\xbf"
        "Auftrag;Links;Rechts\n"
        "1;\xc5\x81ucja Da\xcc\xa8\x62rowska;\xc5\x9e\x61hin\n"  // "ą" decomposed
        "2;\xd0\x9e\xd0\xbb\xd1\x8c\xd0\xb3\xd0\xb0;x\n");
    ASSERT_TRUE(utf8.ok()) << errorOf(utf8);
    EXPECT_EQ(utf8.orders[0].ribbons[0]->TextLeft.lines(), lines({u"\u0141ucja D\u0105browska"}));
    EXPECT_EQ(utf8.orders[0].ribbons[0]->TextRight.lines(), lines({u"\u015eahin"}));
    EXPECT_EQ(utf8.orders[1].ribbons[0]->TextLeft.lines(),
              lines({u"\u041e\u043b\u044c\u0433\u0430"}));

    const OrderFileResult cp1252 = read("Auftrag;Links\n1;Gr\xfc\xdf\x65\n");
    ASSERT_TRUE(cp1252.ok());
    EXPECT_EQ(cp1252.orders[0].ribbons[0]->TextLeft.lines(), lines({u"Gr\u00fc\u00dfe"}));

    const OrderFileResult latin2 = read("Auftrag;Links\n1;Gr\xfc\xdf\x65\n2;\xa3ucja\n");
    ASSERT_FALSE(latin2.ok());
    EXPECT_TRUE(latin2.error->startsWith(QStringLiteral("auftrag.csv:3: ")))
        << latin2.error->toStdString();
}

TEST(OrderFileTest, JsonOrders) {
    const QByteArray wrapper = R"({
      "auftraege": [
        {"auftrag": 4711, "liefertermin": "09.12.2026", "breite": "150", "schrift": "Arial",
         "quelle": "webshop",
         "schleifen": [
           {"links": ["In Liebe", "Anna"], "rechts": "Ruhe sanft"},
           {"links": "Zweite\nSchleife", "breite": 170, "menge": 2, "kommission": null}
         ]},
        {"Order number": "4712", "Left text": "x", "Colour": "rot", "Shadow": true}
      ],
      "version": 2
    })";
    const OrderFileResult r = read(wrapper, kJson);
    ASSERT_TRUE(r.ok()) << errorOf(r);
    ASSERT_EQ(r.orders.size(), 2u);
    const Order &first = r.orders[0];
    EXPECT_EQ(first.number, QStringLiteral("4711"));
    EXPECT_EQ(first.line, 0);
    ASSERT_EQ(first.ribbons.size(), 3u);
    EXPECT_EQ(first.ribbons[0]->TextLeft.lines(), lines({u"In Liebe", u"Anna"}));
    EXPECT_EQ(first.ribbons[0]->Breite, 150);
    EXPECT_EQ(first.ribbons[0]->FontName.str(), QStringLiteral("Arial"));
    EXPECT_EQ(first.ribbons[0]->Kommission.str(), QStringLiteral("4711 \u00b7 09.12.2026"));
    EXPECT_EQ(first.ribbons[1]->TextLeft.lines(), lines({u"Zweite", u"Schleife"}));
    EXPECT_EQ(first.ribbons[2]->Breite, 170);
    EXPECT_EQ(r.orders[1].ribbons[0]->FontFarbe, 0x0100000Du);
    EXPECT_TRUE(r.orders[1].ribbons[0]->Shadow);

    // One order object, or a list of them.
    for (const QByteArray &json : {QByteArray(R"({"bestellnummer": "A1", "links": "x"})"),
                                   QByteArray(R"([{"bestellnummer": "A1", "links": "x"}])")}) {
        const OrderFileResult one = read(json, kJson);
        ASSERT_TRUE(one.ok()) << errorOf(one);
        ASSERT_EQ(one.orders.size(), 1u);
        EXPECT_EQ(one.orders[0].ribbons[0]->Kommission.str(), QStringLiteral("A1"));
    }

    const struct {
        QByteArray json;
        const char16_t *error;
    } faults[] = {
        {R"([{"auftrag": "1", "links": "x"}, {"auftrag": "1", "links": "y"}])",
         u"auftrag.json: Auftrag \u201e1\u201c: steht mehrmals in der Datei"},
        {R"({"auftrag": "1", "links": {"a": 1}})",
         u"auftrag.json: Auftrag \u201e1\u201c: \u201elinks\u201c: muss Text oder eine Liste von "
         u"Zeilen sein"},
        {R"({"auftrag": "1", "links": "x", "breite": 17.5})",
         u"auftrag.json: Auftrag \u201e1\u201c: \u201ebreite\u201c: 17.5 ist keine ganze Zahl "
         u"(Text geh\u00f6rt in Anf\u00fchrungszeichen)"},
        {R"({"auftrag": "1", "schleifen": []})",
         u"auftrag.json: Auftrag \u201e1\u201c: \u201eschleifen\u201c muss eine Liste mit "
         u"wenigstens einer Schleife sein"},
        {R"({"auftrag": "1", "schleifen": [{"links": "x"}, {"breite": 0, "links": "y"}]})",
         u"auftrag.json: Auftrag \u201e1\u201c, Schleife 2: \u201ebreite\u201c: 0 mm liegt nicht "
         u"zwischen 1 und 32767 mm"},
        {R"({"links": "x"})",
         u"auftrag.json: Auftrag 1: Auftragsnummer fehlt (\u201eAuftrag\u201c)"},
        {"{\n\"auftrag\": \"1\",\n\"links\": \"x\"\n", nullptr},
        {"[]", u"auftrag.json: Keine Auftr\u00e4ge in der Datei"},
        {QByteArray(100000, '[') + QByteArray(100000, ']'),
         u"auftrag.json:1: JSON ist tiefer als 8 Ebenen geschachtelt"},
        {"{\"auftrag\": \"Gr\xfc\xdf\x65\", \"links\": \"x\"}",
         u"auftrag.json: JSON-Datei ist nicht UTF-8-kodiert"},
    };
    for (const auto &f : faults) {
        const OrderFileResult bad = read(f.json, kJson);
        ASSERT_FALSE(bad.ok()) << f.json.left(100).toStdString();
        EXPECT_TRUE(bad.orders.empty());
        if (f.error)
            EXPECT_EQ(errorOf(bad), utf8(QString::fromUtf16(f.error)));
        else
            EXPECT_TRUE(
                bad.error->startsWith(QStringLiteral("auftrag.json:4: Kein g\u00fcltiges JSON")))
                << bad.error->toStdString();
    }
}

// A ribbon file's sections are orders of one ribbon each, numbered by the
// section; saving the list they make keeps the numbers.
TEST(OrderFileTest, RibbonFileSectionsAreOrdersAndKeepTheirNumbers) {
    const OrderFileResult ok = read(
        "; Auftr\xe4ge\r\n[4711]\r\nTextLinks=Ruhe sanft\r\nBreite=150\r\n"
        "[4712]\r\nTextRechts=x\r\nKommission=K\r\n",
        QStringLiteral("orders"));  // no extension: the ";" line says ribbon file
    ASSERT_TRUE(ok.ok()) << errorOf(ok);
    ASSERT_EQ(ok.orders.size(), 2u);
    EXPECT_EQ(ok.orders[0].number, QStringLiteral("4711"));
    EXPECT_EQ(ok.orders[0].line, 2);
    EXPECT_EQ(ok.orders[0].ribbons[0]->Breite, 150);
    EXPECT_EQ(ok.orders[0].ribbons[0]->Kommission.str(), QStringLiteral("4711"));
    EXPECT_EQ(ok.orders[1].ribbons[0]->Kommission.str(), QStringLiteral("K"));

    // Order numbers a section header cannot hold, and the ribbons of one
    // order, do not stop the list from being saved.
    const OrderFileResult csv = read("Auftrag;Links\n4711;a\nA]1;b\n4711;c\n");
    ASSERT_TRUE(csv.ok()) << errorOf(csv);
    std::vector<const TJob *> jobs;
    for (const Order &order : csv.orders) {
        for (const auto &ribbon : order.ribbons)
            jobs.push_back(ribbon.get());
    }
    QByteArray saved;
    QString error;
    ASSERT_TRUE(RibbonFileBytes(jobs, &saved, &error)) << error.toStdString();
    EXPECT_TRUE(saved.startsWith("[4711]\r\n"));
    const RibbonFileResult back = ReadRibbonFile(saved, QStringLiteral("liste.ini"));
    ASSERT_TRUE(back.ok());
    ASSERT_EQ(back.ribbons.size(), 3u);
    EXPECT_EQ(back.ribbons[2].job->TextLeft.lines(), lines({u"b"}));
}

TEST(OrderFileTest, FormatByExtensionThenByContent) {
    const struct {
        const char *name;
        QByteArray bytes;
        OrderFormat format;
    } cases[] = {
        {"a.CSV", "{", OrderFormat::Csv},
        {"a.json", "Auftrag", OrderFormat::Json},
        {"a.ini", "", OrderFormat::RibbonFile},
        {"a.txt", "", OrderFormat::RibbonFile},
        {"a", "\xef\xbb\xbf \r\n{\"a\":1}", OrderFormat::Json},
        {"a", "[\n  {", OrderFormat::Json},
        {"a", "[]", OrderFormat::Json},
        {"a", "[4711]\r\n", OrderFormat::RibbonFile},
        {"a", "; Kommentar", OrderFormat::RibbonFile},
        {"a.dat", "Auftrag;Links", OrderFormat::Csv},
    };
    for (const auto &c : cases)
        EXPECT_EQ(OrderFormatOf(QString::fromLatin1(c.name), c.bytes), c.format) << c.name;
}

// Files no order system should send are refused quickly and clearly.
TEST(OrderFileTest, BadFilesAreRefusedAsAWhole) {
    QByteArray utf16("\xff\xfe");
    for (const char c : QByteArray("Auftrag;Links\r\n1;x\r\n"))
        utf16 += QByteArray(1, c) + '\0';
    const std::string wide = utf8(QStringLiteral(
        "auftrag.csv: Datei ist UTF-16-kodiert; bitte als UTF-8 oder Windows-1252 speichern"));
    EXPECT_EQ(errorOf(read(utf16)), wide);
    EXPECT_EQ(errorOf(read(utf16.mid(2))), wide);
    EXPECT_EQ(errorOf(read(QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16))),
              std::string("auftrag.csv: Datei ist keine Textdatei"));

    // More ribbons than the list takes: by rows, and by quantities.
    QByteArray rows = "Auftrag;Links\n";
    for (int i = 0; i <= MaxRibbons; ++i)
        rows += QByteArray::number(i % 7) + ";x\n";
    EXPECT_EQ(errorOf(read(rows)), utf8(QStringLiteral("auftrag.csv:%1: Mehr als %2 Zeilen")
                                            .arg(MaxRibbons + 2)
                                            .arg(MaxRibbons)));
    QByteArray copies = "Auftrag;Links;Menge\n";
    for (int i = 0; i < 101; ++i)
        copies += QByteArray::number(i) + ";x;100\n";
    EXPECT_EQ(errorOf(read(copies)),
              utf8(QStringLiteral("auftrag.csv:102: Mehr als %1 Schleifen; so viele nimmt "
                                  "Vellumo nicht auf")
                       .arg(MaxRibbons)));

    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString big = dir.filePath(QStringLiteral("gross.csv"));
    {
        QFile file(big);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Auftrag;Links\n1;x\n");
        ASSERT_TRUE(file.resize(MaxOrderFileSize + 1));  // sparse: nothing is written
    }
    EXPECT_EQ(errorOf(LoadOrderFile(big)),
              utf8(big + QStringLiteral(": Datei ist gr\u00f6\u00dfer als 16 MB")));
    const QString gone = dir.filePath(QStringLiteral("weg.csv"));
    EXPECT_EQ(errorOf(LoadOrderFile(gone)),
              utf8(gone + QStringLiteral(": Datei ist verschwunden")));
    const QString fine = dir.filePath(QStringLiteral("gut.csv"));
    {
        QFile file(fine);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("Auftrag;Links\n1;x\n");
    }
    EXPECT_TRUE(LoadOrderFile(fine).ok());
}

// The examples the README shows read as they say.
TEST(OrderFileTest, DocumentedExamplesRead) {
    const QDir docs(QDir::cleanPath(QStringLiteral(VELLUMO_TEST_DATA "/../../docs")));
    const struct {
        const char *name;
        std::size_t orders;
    } examples[] = {
        {"auftrag-beispiel.csv", 5}, {"auftrag-beispiel.json", 2}, {"auftrag-beispiel.ini", 2}};
    for (const auto &e : examples) {
        const OrderFileResult r = LoadOrderFile(docs.filePath(QString::fromLatin1(e.name)));
        ASSERT_TRUE(r.ok()) << errorOf(r);
        EXPECT_EQ(r.orders.size(), e.orders) << e.name;
    }
}

}  // namespace
