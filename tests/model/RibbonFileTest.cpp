#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <tuple>

#include "model/RibbonFile.h"

namespace {

const QString kName = QStringLiteral("auftrag.ini");

RibbonFileResult read(const QByteArray &bytes) {
    return ReadRibbonFile(bytes, kName);
}

TEST(RibbonFileTest, RibbonsComeInFileOrderWithTheirTextsAndSections) {
    const RibbonFileResult r = read(
        "; Tagesauftr\xe4ge\r\n"
        "[Meier]\r\n"
        "L\xe4nge=1500\r\n"
        "FontGr\xf6\xdf"
        "e=45\r\n"
        "TextLinks=In stiller Trauer\\\\Familie Meier\r\n"
        "TextRechts=Ruhe sanft\r\n"
        "Kommission=M-17\r\n"
        "\r\n"
        "[Adler]\n"  // a lone LF ends a line too
        "Stil=1\n"
        "textlinks=\"Letzter Gru\xdf\"\n");
    ASSERT_TRUE(r.ok()) << r.error->text().toStdString();
    ASSERT_EQ(r.ribbons.size(), 2u);

    const RibbonEntry &meier = r.ribbons[0];
    EXPECT_EQ(meier.section, QStringLiteral("Meier"));
    EXPECT_EQ(meier.line, 2);
    EXPECT_EQ(meier.job->Laenge, 1500);
    EXPECT_EQ(meier.job->FontGroesse, 45);
    EXPECT_EQ(meier.job->TextLeft.lines(),
              (QStringList{QStringLiteral("In stiller Trauer"), QStringLiteral("Familie Meier")}));
    EXPECT_EQ(meier.job->TextRight.lines(), QStringList{QStringLiteral("Ruhe sanft")});
    EXPECT_EQ(meier.job->Kommission.str(), QStringLiteral("M-17"));

    const RibbonEntry &adler = r.ribbons[1];
    EXPECT_EQ(adler.section, QStringLiteral("Adler"));
    EXPECT_EQ(adler.line, 9);
    EXPECT_EQ(adler.job->Stil, Center);
    EXPECT_EQ(adler.job->TextLeft.lines(), QStringList{QStringLiteral("Letzter Gru\u00df")});
    EXPECT_TRUE(adler.job->TextRight.isEmpty());
}

// Missing and empty keys take the defaults of reading a stored format, not
// those of a new ribbon.
TEST(RibbonFileTest, MissingKeysTakeTheReadingDefaults) {
    const RibbonFileResult r = read("[Leer]\r\nL\xe4nge=\r\nTextLinks=\r\n");
    ASSERT_TRUE(r.ok());
    const TJob &job = *r.ribbons[0].job;
    EXPECT_EQ(job.Laenge, 2000);
    EXPECT_EQ(job.Breite, 170);
    EXPECT_EQ(job.Rand, 30);
    EXPECT_EQ(job.FontName.str(), QStringLiteral("Old Germen"));
    EXPECT_EQ(job.FontGroesse, 60);
    EXPECT_EQ(job.FontFarbe, 0x01000000u);
    EXPECT_EQ(job.Stil, Align);
    EXPECT_FALSE(job.Flip);
    EXPECT_FALSE(job.Shadow);
    EXPECT_TRUE(job.Name.isEmpty());
    EXPECT_TRUE(job.TextLeft.isEmpty());
    EXPECT_TRUE(job.TextRight.isEmpty());
    EXPECT_TRUE(job.Kommission.isEmpty());
}

TEST(RibbonFileTest, TextsFollowThePhraseEncodingAndTheFieldCapacities) {
    const QByteArray longName(80, 'N');
    const RibbonFileResult r = read("[A]\r\nTextLinks=eins\\\\\\zwei\\\\\r\nName=" + longName +
                                    "\r\nFontFarbe=$0000FF\r\n");
    ASSERT_TRUE(r.ok());
    const TJob &job = *r.ribbons[0].job;
    // Three backslashes: a line break and one backslash; a trailing pair ends
    // the text with an empty line.
    EXPECT_EQ(job.TextLeft.lines(),
              (QStringList{QStringLiteral("eins"), QStringLiteral("\\zwei"), QString()}));
    EXPECT_EQ(job.Name.str().size(), 50);
    EXPECT_EQ(job.FontFarbe, 0x000000FFu);
}

struct BadCase {
    const char *what;
    QByteArray bytes;
    int line;
    const char *message;
};

TEST(RibbonFileTest, BadFilesNameTheLineAndTheFault) {
    const BadCase cases[] = {
        {"style", "[A]\r\nTextLinks=x\r\nStil=5\r\n", 3,
         "Unbekannter Stil 5 (0 B\u00fcndig, 1 Zentriert, 2 Quer b\u00fcndig)"},
        {"negative style", "[A]\r\nStil=-1\r\n", 2,
         "Unbekannter Stil -1 (0 B\u00fcndig, 1 Zentriert, 2 Quer b\u00fcndig)"},
        {"number", "[A]\r\nBreite=170mm\r\n", 2, "\"Breite\" ist keine Zahl: \"170mm\""},
        // The encoding is the file's: one line of the other is a fault.
        {"utf-8 line in windows-1252", "[A]\r\nName=Gr\xfc\xdf\r\nTextLinks=Gru\xc3\x9f\r\n", 3,
         "Zeile ist UTF-8-kodiert, die Datei sonst nicht; die Datei muss UTF-8- oder "
         "Windows-1252-Text sein"},
        {"windows-1252 after utf-8 mark", "\xef\xbb\xbf[A]\r\nTextLinks=Gr\xfc\xdf\r\n", 2,
         "Zeile ist nicht UTF-8-kodiert, die Datei sonst schon; die Datei muss UTF-8- oder "
         "Windows-1252-Text sein"},
        {"latin-2",
         "[A]\r\nTextLinks=\xa3ucja D\xb1"
         "browska\r\n",
         2,
         "Zeile ist vermutlich Latin-2-kodiert; die Datei muss UTF-8- oder Windows-1252-Text "
         "sein"},
        {"utf-16", "\xff\xfe[\0A\0]\0", 0,
         "Datei ist UTF-16-kodiert; die Datei muss UTF-8- oder Windows-1252-Text sein"},
        {"c1 control in utf-8", "[A]\r\nTextLinks=a\xc2\x85\r\n", 2,
         "Steuerzeichen U+0085; die Datei muss UTF-8- oder Windows-1252-Text sein"},
        {"nul", QByteArray("[A]\r\nTextLinks=a\0b\r\n", 19), 2,
         "NUL-Byte; die Datei muss UTF-8- oder Windows-1252-Text sein"},
        {"control", "[A]\r\nTextLinks=a\x1b\r\n", 2,
         "Steuerzeichen 0x1B; die Datei muss UTF-8- oder Windows-1252-Text sein"},
        {"delete in windows-1252", "[A]\r\nTextLinks=\x80\x7f\r\n", 2,
         "Steuerzeichen 0x7F; die Datei muss UTF-8- oder Windows-1252-Text sein"},
        {"undefined byte", "[A]\r\n\r\nName=\x81\r\n", 3,
         "Byte 0x81 ist in Windows-1252 nicht belegt"},
        {"lone cr", "[A]\rTextLinks=x\r\n", 1, "CR ohne LF; Zeilen enden mit CR LF"},
        {"unknown key", "[A]\r\nLaenge=1000\r\n", 2, "Unbekannter Schl\u00fcssel \"Laenge\""},
        {"key twice", "[A]\r\nRand=1\r\nrand=2\r\n", 3,
         "Schl\u00fcssel \"rand\" gibt es in diesem Abschnitt schon in Zeile 2"},
        {"section twice", "[A]\r\n[b]\r\n[a]\r\n", 3, "Abschnitt \"a\" gibt es schon in Zeile 1"},
        {"key before section", "Rand=1\r\n[A]\r\n", 1,
         "Schl\u00fcssel \"Rand\" steht vor dem ersten Abschnitt"},
        {"stray line", "[A]\r\nRuhe sanft\r\n", 2,
         "Zeile ist weder Abschnittskopf noch Schl\u00fcssel=Wert"},
        {"open header", "[A\r\n", 1, "Abschnittskopf ohne \"]\""},
        {"empty header", "[ ]\r\n", 1, "Abschnitt ohne Namen"},
        {"long value", "[A]\r\nTextLinks=" + QByteArray(2048, 'x') + "\r\n", 2,
         "Wert l\u00e4nger als 2047 Zeichen"},
        {"no section", "; nur ein Kommentar\r\n", 0,
         "Keine Schleife: die Datei hat keinen Abschnitt"},
        {"empty file", "", 0, "Keine Schleife: die Datei hat keinen Abschnitt"},
    };
    for (const BadCase &c : cases) {
        const RibbonFileResult r = read(c.bytes);
        ASSERT_FALSE(r.ok()) << c.what;
        EXPECT_TRUE(r.ribbons.empty()) << c.what;
        EXPECT_EQ(r.error->fileName, kName) << c.what;
        EXPECT_EQ(r.error->line, c.line) << c.what;
        EXPECT_EQ(r.error->message, QString::fromUtf8(c.message)) << c.what;
    }
}

// A damaged session file still gives the ribbons that can be read; a file
// opened as an order is refused at its first fault.
TEST(RibbonFileTest, DamagedFileKeepsItsReadableRibbons) {
    const QByteArray bytes =
        "[Schleife1]\r\nTextLinks=Eins\r\n\r\n"
        "[Schleife2]\r\nTextLinks=Zw" +
        QByteArray(2, '\0') +
        "ei\r\n\r\n"
        "[Schleife3\r\nTextLinks=Drei\r\n\r\n"  // its keys are no one else's
        "[Schleife4]\r\nTextLinks=Vier\r\n";
    const RibbonFileResult strict = read(bytes);
    ASSERT_FALSE(strict.ok());
    EXPECT_TRUE(strict.ribbons.empty());
    EXPECT_EQ(strict.error->line, 5);

    const RibbonFileResult kept = ReadRibbonFile(bytes, kName, RibbonReading::KeepReadable);
    ASSERT_FALSE(kept.ok());
    EXPECT_EQ(kept.error->line, 5);
    EXPECT_EQ(kept.error->message,
              QStringLiteral("NUL-Byte; die Datei muss UTF-8- oder Windows-1252-Text sein"));
    EXPECT_EQ(kept.unreadable, 2);
    ASSERT_EQ(kept.ribbons.size(), 2u);
    EXPECT_EQ(kept.ribbons[0].job->TextLeft.lines(), QStringList{QStringLiteral("Eins")});
    EXPECT_EQ(kept.ribbons[1].section, QStringLiteral("Schleife4"));
    EXPECT_EQ(kept.ribbons[1].job->TextLeft.lines(), QStringList{QStringLiteral("Vier")});
}

TEST(RibbonFileTest, ErrorTextNamesFileAndLine) {
    EXPECT_EQ((RibbonFileError{kName, 7, QStringLiteral("kaputt")}).text(),
              QStringLiteral("auftrag.ini:7: kaputt"));
    EXPECT_EQ((RibbonFileError{kName, 0, QStringLiteral("leer")}).text(),
              QStringLiteral("auftrag.ini: leer"));
}

TEST(RibbonFileTest, LoadingFromDiskReportsUnreadableFiles) {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("fehlt.ini"));
    const RibbonFileResult r = LoadRibbonFile(missing);
    ASSERT_FALSE(r.ok());
    EXPECT_EQ(r.error->fileName, missing);
    EXPECT_EQ(r.error->line, 0);
    EXPECT_TRUE(r.error->message.startsWith(QStringLiteral("Datei kann nicht gelesen werden")));

    const RibbonFileResult folder = LoadRibbonFile(dir.path());
    EXPECT_FALSE(folder.ok());

    const QString path = dir.filePath(QStringLiteral("gut.ini"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("[A]\r\nTextLinks=x\r\n");
    file.close();
    const RibbonFileResult good = LoadRibbonFile(path);
    ASSERT_TRUE(good.ok());
    EXPECT_EQ(good.ribbons.size(), 1u);
}

}  // namespace

namespace {

TEST(RibbonFileTest, WrittenRibbonsReadBackAsTheyWere) {
    // Texts with blanks and quotes at their ends, several lines, umlauts.
    std::vector<std::unique_ptr<TJob>> jobs;
    for (const auto &[left, right, kommission] :
         {std::tuple{QStringList{"  In stiller Trauer", "Deine Familie  "},
                     QStringList{"\"Ruhe sanft\""}, QStringLiteral(" Meier, Grab 12 ")},
          // A line pasted with a zero-width no-break space in front keeps it.
          std::tuple{QStringList{"\uFEFFaus der Mail"},
                     QStringList{"Letzter Gru\u00DF", "", "'Oma'"}, QString()},
          // Names of every family, written as UTF-8.
          std::tuple{QStringList{"\u0141ucja D\u0105browska", "\u015E\u00FCkr\u00FC Y\u0131lmaz"},
                     QStringList{"\u041E\u043B\u044C\u0433\u0430 \u0428\u043C\u0438\u0434\u0442",
                                 "\u0393\u03B9\u03CE\u03C1\u03B3\u03BF\u03C2 \u271D"},
                     QStringLiteral("Dvo\u0159\u00E1k \U0001D504")}}) {
        auto job = std::make_unique<TJob>();
        job->TextLeft.set(left);
        job->TextRight.set(right);
        job->Kommission.set(kommission);
        job->Name.set(QStringLiteral("'Kranz' gro\u00DF"));
        job->Laenge = 1750;
        job->FontFarbe = 0x01000007;
        job->Stil = UpSide;
        job->Flip = false;
        job->BildNameRechts.set(QStringLiteral(" Rose.bmp"));
        jobs.push_back(std::move(job));
    }
    std::vector<const TJob *> list;
    for (const auto &job : jobs)
        list.push_back(job.get());
    QByteArray bytes;
    ASSERT_TRUE(RibbonFileBytes(list, &bytes));
    const RibbonFileResult back = read(bytes);
    ASSERT_TRUE(back.ok()) << back.error->text().toStdString();
    ASSERT_EQ(back.ribbons.size(), 3u);
    EXPECT_TRUE(bytes.contains("TextLinks=\xC5\x81ucja"));
    EXPECT_FALSE(bytes.startsWith("\xEF\xBB\xBF"));
    // An order system's UTF-8 with a byte order mark reads the same.
    const RibbonFileResult marked = read("\xEF\xBB\xBF" + bytes);
    ASSERT_TRUE(marked.ok()) << marked.error->text().toStdString();
    EXPECT_EQ(marked.ribbons[2].job->TextRight.lines(), jobs[2]->TextRight.lines());
    for (std::size_t i = 0; i < 3; ++i) {
        const TJob &a = *jobs[i], &b = *back.ribbons[i].job;
        EXPECT_EQ(b.TextLeft.lines(), a.TextLeft.lines());
        EXPECT_EQ(b.TextRight.lines(), a.TextRight.lines());
        EXPECT_EQ(b.Kommission.str(), a.Kommission.str());
        EXPECT_EQ(b.Name.str(), a.Name.str());
        EXPECT_EQ(b.BildNameRechts.str(), a.BildNameRechts.str());
        EXPECT_EQ(b.Laenge, 1750);
        EXPECT_EQ(b.FontFarbe, 0x01000007u);
        EXPECT_EQ(b.Stil, UpSide);
        EXPECT_FALSE(b.Flip);
    }

    // A text the reader would refuse (longer than a value may be) is not written.
    jobs[0]->TextLeft.set({QString(3000, QLatin1Char('x'))});
    QString error;
    EXPECT_FALSE(RibbonFileBytes(list, &bytes, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("2047"))) << error.toStdString();
}

TEST(RibbonFileTest, SavedRibbonsKeepTheSectionNamesTheyWereReadUnder) {
    // Kept where it can be written and is not taken; else "Schleife<place>".
    const std::vector<std::pair<QString, QString>> cases{
        {QStringLiteral("Fehlt"), QStringLiteral("Fehlt")},
        {QString(), QStringLiteral("Schleife2-2")},              // a later ribbon has "Schleife2"
        {QStringLiteral("FEHLT"), QStringLiteral("Schleife3")},  // taken, any case
        {QStringLiteral("Schleife2"), QStringLiteral("Schleife2")},
        {QString(), QStringLiteral("Schleife5")},
        {QStringLiteral("a]b"), QStringLiteral("Schleife6")},
        {QStringLiteral(" Rand "), QStringLiteral("Schleife7")},
        {QStringLiteral("Auftrag 4711/2"), QStringLiteral("Auftrag 4711/2")},
    };
    std::vector<std::unique_ptr<TJob>> jobs;
    std::vector<const TJob *> list;
    for (const auto &c : cases) {
        jobs.push_back(std::make_unique<TJob>());
        jobs.back()->Section = c.first;
        jobs.back()->TextLeft.set({QStringLiteral("Ruhe sanft")});
        list.push_back(jobs.back().get());
    }
    QByteArray bytes;
    ASSERT_TRUE(RibbonFileBytes(list, &bytes));
    const RibbonFileResult back = read(bytes);
    ASSERT_TRUE(back.ok()) << back.error->text().toStdString();
    ASSERT_EQ(back.ribbons.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        EXPECT_EQ(back.ribbons[i].section, cases[i].second) << i;
        EXPECT_EQ(back.ribbons[i].job->Section, cases[i].second) << i;
    }
    // A copy is another ribbon: it does not take the order's name.
    TJob copy;
    copy.CopyFrom(*jobs[0]);
    EXPECT_TRUE(copy.Section.isEmpty());
}

}  // namespace
