#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "model/FileError.h"
#include "model/Job.h"
#include "model/SettingsFile.h"
#include "model/StoredFormats.h"
#include "tests/support/TempDataFolder.h"

namespace {

QByteArray cp(const char *latin1) {
    return QByteArray(latin1);
}

class SettingsFileTest : public ::testing::Test {
protected:
    TempDataFolder data;
    QString path = data.filePath(QStringLiteral("RIBOLANT.INI"));

    void write(const QByteArray &bytes) { data.writeFile(QStringLiteral("RIBOLANT.INI"), bytes); }
    QByteArray contents() const { return data.readFile(QStringLiteral("RIBOLANT.INI")); }
};

TEST_F(SettingsFileTest, ForeignLinesSurviveAWriteByteForByte) {
    const QByteArray before =
        cp("; Vellumo settings, edited by hand\r\n"
           "[General]\r\n"
           "Version = NT \r\n"
           "\r\n"
           "[Drucker]\n"                  // a lone LF line end
           "  Name=Laser im B\xfcro\r\n"  // leading blanks, umlaut byte
           "Methode= 3\r\n"
           "Unknown line without equals\r\n"
           "[Fremd]\r\n"
           "x=\"  quoted  \"\r\n"
           "[Colors]\r\n"
           "Color5=$000000FF");  // last line without a line end
    write(before);
    SettingsFile file(path);
    file.writeInteger(QStringLiteral("drucker"), QStringLiteral("METHODE"), 4);

    // The one lone LF goes: a written file never mixes line ends.
    const QByteArray expected = QByteArray(before)
                                    .replace("Methode= 3", "Methode=4")
                                    .replace("[Drucker]\n", "[Drucker]\r\n");
    EXPECT_EQ(contents(), expected);
    EXPECT_EQ(file.readInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 0), 4);
}

TEST_F(SettingsFileTest, NewKeysGoToTheEndOfTheirSectionNewSectionsToTheEndOfTheFile) {
    write(cp("[A]\r\nk1=1\r\n\r\n[B]\r\nk=2\r\n"));
    SettingsFile file(path);
    file.writeString(QStringLiteral("A"), QStringLiteral("k2"), QStringLiteral("zwei"));
    file.writeString(QStringLiteral("C"), QStringLiteral("k"), QStringLiteral("drei"));
    EXPECT_EQ(contents(), cp("[A]\r\nk1=1\r\nk2=zwei\r\n\r\n[B]\r\nk=2\r\n\r\n[C]\r\nk=drei\r\n"));

    // A file whose last line has no line end gets one before the new section.
    write(cp("[A]\r\nk1=1"));
    file.writeString(QStringLiteral("A"), QStringLiteral("k2"), QStringLiteral("x"));
    EXPECT_EQ(contents(), cp("[A]\r\nk1=1\r\nk2=x\r\n"));
}

TEST_F(SettingsFileTest, WrittenFileKeepsOneLineEndStyle) {
    // A file with LF alone stays so, byte for byte where untouched; CR LF
    // files and new files get CR LF; a mixed file is made CR LF throughout.
    const struct {
        const char *before, *after;
    } cases[] = {
        {"[A]\nk=1\n\n[B]\nx=0\n", "[A]\nk=2\nn=neu\n\n[B]\nx=0\n\n[C]\nn=neu\n"},
        {"[A]\nk=1", "[A]\nk=2\nn=neu\n\n[C]\nn=neu\n"},
        {"[A]\r\nk=1\r\n", "[A]\r\nk=2\r\nn=neu\r\n\r\n[C]\r\nn=neu\r\n"},
        {"", "[A]\r\nk=2\r\nn=neu\r\n\r\n[C]\r\nn=neu\r\n"},
        {"[A]\nk=1\r\n", "[A]\r\nk=2\r\nn=neu\r\n\r\n[C]\r\nn=neu\r\n"},
    };
    for (const auto &c : cases) {
        write(cp(c.before));
        SettingsFile file(path);
        SettingsFile::Batch batch(file);
        file.writeInteger(QStringLiteral("A"), QStringLiteral("k"), 2);
        file.writeString(QStringLiteral("A"), QStringLiteral("n"), QStringLiteral("neu"));
        file.writeString(QStringLiteral("C"), QStringLiteral("n"), QStringLiteral("neu"));
        batch.commit();
        EXPECT_EQ(contents(), cp(c.after)) << c.before;
    }
}

TEST_F(SettingsFileTest, ByteOrderMarkBeforeTheFirstSectionIsReadPastAndKept) {
    const QByteArray bom("\xEF\xBB\xBF");
    write(bom + cp("[Format]\r\nAnzahl=1\r\n[Format0]\r\nName=Gold\r\n"));
    SettingsFile file(path);
    StoredFormatList formats = ReadStoredFormats(file);
    ASSERT_EQ(formats.size(), 1u);
    EXPECT_EQ(formats[0]->Name.str(), QStringLiteral("Gold"));
    formats.push_back(std::make_unique<TJob>());
    formats.back()->Name.set(QStringLiteral("Silber"));
    WriteStoredFormats(file, formats);
    EXPECT_TRUE(contents().startsWith(bom + cp("[Format]\r\nAnzahl=2\r\n")));
    EXPECT_EQ(contents().count("[Format]"), 1);
    EXPECT_EQ(ReadStoredFormats(file).size(), 2u);
}

TEST_F(SettingsFileTest, ReadingRules) {
    write(
        cp("[drucker]\r\n"
           "  NAME  =   PDF Drucker   \r\n"
           "Single='einfach'\r\n"
           "Mixed=\"gemischt'\r\n"
           "Empty=\r\n"
           "Name=zweiter Eintrag wird nicht gelesen\r\n"
           "[Drucker]\r\n"
           "Doppelt=1\r\n"));
    SettingsFile file(path);
    EXPECT_EQ(file.readString(QStringLiteral("Drucker"), QStringLiteral("name")),
              QStringLiteral("PDF Drucker"));
    EXPECT_EQ(file.readString(QStringLiteral("Drucker"), QStringLiteral("Single")),
              QStringLiteral("einfach"));
    EXPECT_EQ(file.readString(QStringLiteral("Drucker"), QStringLiteral("Mixed")),
              QStringLiteral("\"gemischt'"));
    EXPECT_EQ(
        file.readString(QStringLiteral("Drucker"), QStringLiteral("Empty"), QStringLiteral("d")),
        QString());
    EXPECT_EQ(
        file.readString(QStringLiteral("Drucker"), QStringLiteral("Fehlt"), QStringLiteral("d")),
        QStringLiteral("d"));
    EXPECT_EQ(
        file.readString(QStringLiteral("Nirgends"), QStringLiteral("Name"), QStringLiteral("d")),
        QStringLiteral("d"));

    // Values are read as at most 2047 characters.
    write(cp("[S]\r\nLong=") + QByteArray(3000, 'v') + cp("\r\n"));
    EXPECT_EQ(file.readString(QStringLiteral("S"), QStringLiteral("Long")).size(), 2047);
}

TEST_F(SettingsFileTest, HandWrittenIntegers) {
    struct Case {
        const char *value;
        std::int32_t expected;
    } cases[] = {
        {"16777216", 0x01000000},
        {"$01000000", 0x01000000},
        {"0x01000000", 0x01000000},
        {"0X1f", 31},
        {"$ff", 255},
        {"red", -7},
        {"", -7},
        {"yes", -7},
        {"2", 2},
        {"-1", -1},
        {"+12", 12},
        {"2147483647", 2147483647},
        {"2147483648", -7},
        {"-2147483648", INT32_MIN},
        {"99999999999", -7},
        {"$FFFFFFFF", -1},
        {"$80000000", INT32_MIN},
        {"$000000001", 1},
        {"$100000000", -7},
        {"'  42'", 42},
        {"12abc", -7},
        {"0x", -7},
        {"$", -7},
        {"-", -7},
        {"\" -5\"", -5},
        {"1 2", -7},
    };
    QByteArray ini = "[T]\r\n";
    for (int i = 0; i < int(std::size(cases)); ++i)
        ini += "k" + QByteArray::number(i) + "=" + cases[i].value + "\r\n";
    write(ini);
    SettingsFile file(path);
    for (int i = 0; i < int(std::size(cases)); ++i) {
        EXPECT_EQ(file.readInteger(QStringLiteral("T"), QStringLiteral("k%1").arg(i), -7),
                  cases[i].expected)
            << "value " << cases[i].value;
    }
}

TEST_F(SettingsFileTest, BooleansAndColours) {
    write(cp("[F]\r\nFlip=yes\r\nA=2\r\nB=-1\r\nC=0\r\n"));
    SettingsFile file(path);
    EXPECT_FALSE(file.readBool(QStringLiteral("F"), QStringLiteral("Flip"), false));
    EXPECT_TRUE(file.readBool(QStringLiteral("F"), QStringLiteral("Flip"), true));
    EXPECT_TRUE(file.readBool(QStringLiteral("F"), QStringLiteral("A"), false));
    EXPECT_TRUE(file.readBool(QStringLiteral("F"), QStringLiteral("B"), false));
    EXPECT_FALSE(file.readBool(QStringLiteral("F"), QStringLiteral("C"), true));

    file.writeBool(QStringLiteral("F"), QStringLiteral("A"), true);
    file.writeBool(QStringLiteral("F"), QStringLiteral("B"), false);
    file.writeColour(QStringLiteral("F"), QStringLiteral("Farbe"), 0x01000000);
    file.writeColour(QStringLiteral("F"), QStringLiteral("Rot"), 0x000000ff);
    EXPECT_EQ(contents(),
              cp("[F]\r\nFlip=yes\r\nA=1\r\nB=0\r\nC=0\r\nFarbe=$01000000\r\nRot=$000000FF\r\n"));
}

TEST_F(SettingsFileTest, JobRoundTripIsByteExactWithUmlautKeys) {
    TJob job;
    job.Name.set(QStringLiteral("Trauerkranz groß"));
    job.TextLeft.set({QStringLiteral("wird nicht gespeichert")});
    job.Kommission.set(QStringLiteral("auch nicht"));
    SettingsFile file(path);
    job.SaveToSection(file, QStringLiteral("Format0"));

    const QByteArray expected =
        cp("[Format0]\r\n"
           "Name=Trauerkranz gro\xdf\r\n"
           "L\xe4nge=1000\r\n"
           "Breite=170\r\n"
           "Rand=30\r\n"
           "FontName=Marigold\r\n"
           "FontGr\xf6\xdf"
           "e=60\r\n"
           "FontFarbe=$01000000\r\n"
           "Stil=0\r\n"
           "Flip=1\r\n"
           "Shadow=1\r\n"
           "BildNameLinks=\r\n"
           "BildBreiteLinks=40\r\n"
           "BildAbstandLinks=30\r\n"
           "BildNameRechts=\r\n"
           "BildBreiteRechts=40\r\n"
           "BildAbstandRechts=30\r\n");
    EXPECT_EQ(contents(), expected);
    EXPECT_TRUE(contents().contains(QByteArray::fromHex("4CE46E6765")));
    EXPECT_TRUE(contents().contains(QByteArray::fromHex("466F6E744772F6DF65")));

    TJob loaded;
    loaded.LoadFromSection(file, QStringLiteral("format0"));
    EXPECT_EQ(loaded.Name.str(), QStringLiteral("Trauerkranz groß"));
    EXPECT_TRUE(loaded.TextLeft.isEmpty());
    EXPECT_TRUE(loaded.Kommission.isEmpty());
    EXPECT_TRUE(loaded.Flip);

    // Writing the loaded job again changes not a byte.
    loaded.SaveToSection(file, QStringLiteral("Format0"));
    EXPECT_EQ(contents(), expected);
}

TEST_F(SettingsFileTest, LoadingDefaultsDifferFromConstruction) {
    write(cp("[Format0]\r\nName=") + QByteArray(60, 'N') +
          cp("\r\nFontFarbe=rot\r\nStil=7\r\nL\xe4nge=-5\r\n"));
    SettingsFile file(path);
    TJob job;
    job.LoadFromSection(file, QStringLiteral("Format0"));
    EXPECT_EQ(job.Name.str(), QString(50, QLatin1Char('N')));
    EXPECT_EQ(job.Laenge, -5);  // taken as it stands
    EXPECT_EQ(job.Stil, 7);
    EXPECT_EQ(job.FontName.str(), QStringLiteral("Old Germen"));
    EXPECT_EQ(job.FontFarbe, 0x01000000u);
    EXPECT_FALSE(job.Flip);
    EXPECT_FALSE(job.Shadow);
    EXPECT_EQ(job.Breite, 170);

    TJob missing;
    missing.LoadFromSection(file, QStringLiteral("Format9"));
    EXPECT_EQ(missing.Laenge, 2000);
    EXPECT_TRUE(missing.Name.isEmpty());

    // The cut name is the one written back.
    job.SaveToSection(file, QStringLiteral("Format0"));
    EXPECT_TRUE(contents().startsWith(cp("[Format0]\r\nName=") + QByteArray(50, 'N') + cp("\r\n")));
}

TEST_F(SettingsFileTest, DeletedStoredFormatLeavesNoStaleSection) {
    SettingsFile file(path);
    StoredFormatList formats;
    for (const char *name : {"Klein", "Gross"}) {
        auto job = std::make_unique<TJob>();
        job->Name.set(QString::fromLatin1(name));
        formats.push_back(std::move(job));
    }
    WriteStoredFormats(file, formats);
    EXPECT_EQ(file.readInteger(QStringLiteral("Format"), QStringLiteral("Anzahl"), 0), 2);

    formats.erase(formats.begin());  // "Klein" deleted in the dialog
    WriteStoredFormats(file, formats);
    EXPECT_EQ(file.readInteger(QStringLiteral("Format"), QStringLiteral("Anzahl"), 0), 1);
    EXPECT_EQ(file.readString(QStringLiteral("Format0"), QStringLiteral("Name")),
              QStringLiteral("Gross"));
    EXPECT_EQ(file.sectionNames(), (QStringList{"Format", "Format0"}));

    const StoredFormatList read = ReadStoredFormats(file);
    ASSERT_EQ(read.size(), 1u);
    EXPECT_EQ(read[0]->Name.str(), QStringLiteral("Gross"));
}

TEST_F(SettingsFileTest, FormatCountBeyondTheSectionsGivesDefaultFormats) {
    write(cp("[Format]\r\nAnzahl=3\r\n[Format1]\r\nName=Mitte\r\n"));
    SettingsFile file(path);
    const StoredFormatList read = ReadStoredFormats(file);
    ASSERT_EQ(read.size(), 3u);
    EXPECT_TRUE(read[0]->Name.isEmpty());
    EXPECT_EQ(read[0]->Laenge, 2000);
    EXPECT_EQ(read[1]->Name.str(), QStringLiteral("Mitte"));
    EXPECT_TRUE(read[2]->Name.isEmpty());

    write(cp("[Format]\r\nAnzahl=-4\r\n"));
    EXPECT_TRUE(ReadStoredFormats(file).empty());
    write(cp("[Format]\r\nAnzahl=2147483647\r\n"));
    EXPECT_LE(ReadStoredFormats(file).size(),
              10000u);  // a hand-edited count must not exhaust memory
}

TEST_F(SettingsFileTest, MissingFileGivesDefaults) {
    SettingsFile file(path);
    EXPECT_EQ(file.readInteger(QStringLiteral("Drucker"), QStringLiteral("Methode"), 0), 0);
    EXPECT_EQ(file.readString(QStringLiteral("Drucker"), QStringLiteral("Name")), QString());
    EXPECT_TRUE(ReadStoredFormats(file).empty());
    EXPECT_FALSE(QFileInfo::exists(path));
}

TEST_F(SettingsFileTest, ReadsSeeHandEditsAtOnce) {
    write(cp("[Colors]\r\nColor5=1\r\n"));
    SettingsFile file(path);
    EXPECT_EQ(file.readInteger(QStringLiteral("Colors"), QStringLiteral("Color5"), 0), 1);
    write(cp("[Colors]\r\nColor5=22\r\n"));  // same size, another value
    EXPECT_EQ(file.readInteger(QStringLiteral("Colors"), QStringLiteral("Color5"), 0), 22);
}

TEST_F(SettingsFileTest, RefusedWritesReportThePathAndKeepTheOldFile) {
    const QByteArray before = cp("[Format]\r\nAnzahl=1\r\n");
    write(before);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    SettingsFile file(path);
    try {
        file.writeInteger(QStringLiteral("Format"), QStringLiteral("Anzahl"), 2);
        FAIL() << "a read-only file was written";
    } catch (const FileWriteError &e) {
        EXPECT_EQ(e.message(), QStringLiteral("In %1 kann nicht geschrieben werden").arg(path));
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(contents(), before);

    SettingsFile nowhere(data.root() + QStringLiteral("/fehlt/RIBOLANT.INI"));
    try {
        nowhere.writeString(QStringLiteral("Drucker"), QStringLiteral("Name"), QStringLiteral("x"));
        FAIL() << "a write into a missing folder succeeded";
    } catch (const FileWriteError &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("/fehlt/RIBOLANT.INI")));
    }
}

// A stored format named for any family: the program reads back exactly what
// it stored, a plain Windows-1252 reader sees a readable approximation, and a
// value the Windows version changes later wins over the exact text.
TEST_F(SettingsFileTest, NamesOfEveryFamilyKeepTheirLettersAndReachTheWindowsVersion) {
    struct Name {
        QString exact;
        QByteArray windows;  // the key's value as Windows-1252 bytes
    };
    const Name names[] = {
        {QStringLiteral("\u0141ucja D\u0105browska"), "Lucja Dabrowska"},
        {QStringLiteral("\u015E\u00FCkr\u00FC Y\u0131lmaz"), "Sukru Yilmaz"},
        {QStringLiteral("\u041E\u043B\u044C\u0433\u0430 \u0428\u043C\u0438\u0434\u0442"),
         "Olga Shmidt"},
        {QStringLiteral("\u0393\u03B9\u03CE\u03C1\u03B3\u03BF\u03C2 M\u00FCller"),
         "Giorgos M\xfcller"},  // the words that fit stay as they are
        {QStringLiteral("\u271D Dvo\u0159\u00E1k"), "\x86 Dvorak"},
        {QStringLiteral("Gro\u00DF \u201EOma\u201C"),
         "Gro\xdf \x84Oma\x93"},  // byte for byte as ever
        // A U+FEFF that begins a value is a character, no byte order mark.
        {QStringLiteral("\uFEFFMaria"), "Maria"},
    };
    write("[Format]\r\nAnzahl=0\r\n");
    {
        SettingsFile file(path);
        SettingsFile::Batch batch(file);
        for (int i = 0; i < int(std::size(names)); ++i) {
            TJob job;
            ASSERT_TRUE(job.Name.set(names[i].exact));
            job.SaveToSection(file, QStringLiteral("Format%1").arg(i));
        }
        batch.commit();
    }
    const QByteArray bytes = contents();
    for (int i = 0; i < int(std::size(names)); ++i) {
        // What a reader that knows nothing of the companion keys sees.
        const qsizetype at = bytes.indexOf("[Format" + QByteArray::number(i) + "]\r\nName=");
        ASSERT_GE(at, 0);
        const qsizetype value = bytes.indexOf('=', at) + 1;
        EXPECT_EQ(bytes.mid(value, bytes.indexOf('\r', value) - value), names[i].windows)
            << names[i].exact.toStdString();
        SettingsFile file(path);
        TJob back;
        back.LoadFromSection(file, QStringLiteral("Format%1").arg(i));
        EXPECT_EQ(back.Name.str(), names[i].exact);
    }
    EXPECT_FALSE(bytes.contains("Gro\xdf \x84Oma\x93\r\nName.Unicode"));

    // The Windows version renames the first format and writes the others
    // back as it read them: its name wins, the others keep their letters.
    QByteArray edited = bytes;
    edited.replace("Name=Lucja Dabrowska", "Name=Lucja Nowak");
    write(edited);
    SettingsFile file(path);
    EXPECT_EQ(file.readString(QStringLiteral("Format0"), QStringLiteral("Name")),
              QStringLiteral("Lucja Nowak"));
    EXPECT_EQ(file.readString(QStringLiteral("Format2"), QStringLiteral("Name")), names[2].exact);
    // Written back as the Windows version cuts it, a long name keeps its
    // exact text too.
    TJob longName;
    ASSERT_TRUE(longName.Name.set(QString(50, QChar(0x0429))));  // Щ: four letters each
    longName.SaveToSection(file, QStringLiteral("Format9"));
    TJob back;
    back.LoadFromSection(file, QStringLiteral("Format9"));
    EXPECT_EQ(back.Name.str(), longName.Name.str());
    EXPECT_EQ(file.readString(QStringLiteral("Format9"), QStringLiteral("Name")).size(), 50);
    // A name that fits the code page again leaves no stale exact text behind.
    ASSERT_TRUE(longName.Name.set(QStringLiteral("Shch")));
    longName.SaveToSection(file, QStringLiteral("Format9"));
    EXPECT_FALSE(contents().mid(contents().indexOf("[Format9]")).contains("Name.Unicode"));
}

TEST_F(SettingsFileTest, WritesLeaveNoTemporaryFilesBehind) {
    SettingsFile file(path);
    for (int i = 0; i < 5; ++i)
        file.writeInteger(QStringLiteral("S"), QStringLiteral("k"), i);
    const QStringList entries = QDir(data.appFolder()).entryList(QDir::Files | QDir::Hidden);
    EXPECT_EQ(entries, QStringList{QStringLiteral("RIBOLANT.INI")});
}

}  // namespace
