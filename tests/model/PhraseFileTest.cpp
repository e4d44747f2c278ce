#include <gtest/gtest.h>

#include <QFile>

#include "model/FileError.h"
#include "model/PhraseFile.h"
#include "tests/support/TempDataFolder.h"

namespace {

TEST(PhraseFileTest, LineBreaksBecomeTwoBackslashesAndBack) {
    EXPECT_EQ(EncodePhrase(QStringLiteral("A\r\nB")), QStringLiteral("A\\\\B"));
    EXPECT_EQ(EncodePhrase(QStringLiteral("A\nB\nC")), QStringLiteral("A\\\\B\\\\C"));
    EXPECT_EQ(DecodePhrase(QStringLiteral("A\\\\B")), QStringLiteral("A\nB"));
    // Left to right without overlap: three backslashes are a break and one backslash.
    EXPECT_EQ(DecodePhrase(QStringLiteral("A\\\\\\B")), QStringLiteral("A\n\\B"));
    EXPECT_EQ(DecodePhrase(QStringLiteral("\\\\\\\\")), QStringLiteral("\n\n"));
    // Two backslashes the user typed become a line break after the round trip.
    EXPECT_EQ(DecodePhrase(EncodePhrase(QStringLiteral("C:\\\\x"))), QStringLiteral("C:\nx"));
}

TEST(PhraseFileTest, ParsingLineEndsNulAndFinalBreak) {
    EXPECT_EQ(ParsePhrases("b\r\nA\r\nc\r\n"),
              (QStringList{QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("c")}));
    EXPECT_EQ(ParsePhrases("a\rb\nc"),
              (QStringList{QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c")}));
    EXPECT_EQ(ParsePhrases("a\r\n\r\nb\r\n"),
              (QStringList{QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_EQ(ParsePhrases("\r\n"), QStringList{QString()});
    EXPECT_EQ(ParsePhrases("\n\r"), (QStringList{QString(), QString()}));  // LF then a lone CR
    EXPECT_TRUE(ParsePhrases("").isEmpty());
    // A NUL byte is left out, the text around it kept.
    EXPECT_EQ(
        ParsePhrases(QByteArray("eins\r\nzw\0ei\r\n\0drei\r\n", 20)),
        (QStringList{QStringLiteral("eins"), QStringLiteral("zwei"), QStringLiteral("drei")}));
    EXPECT_EQ(ParsePhrases("Gr\xfc\xdf"
                           "e\r\n"),
              QStringList{QStringLiteral("Grüße")});
}

TEST(PhraseFileTest, ListIsSortedWithoutRegardToCaseAndWrittenInThatOrder) {
    TempDataFolder data;
    const QString path = data.filePath(QStringLiteral("RIBOLANT.TXT"));
    data.writeFile(QStringLiteral("RIBOLANT.TXT"), "b\r\nA\r\nc\r\n");

    PhraseList list;
    list.assign(LoadPhraseFile(path));
    EXPECT_EQ(list.phrases(),
              (QStringList{QStringLiteral("A"), QStringLiteral("b"), QStringLiteral("c")}));
    SavePhraseFile(path, list.phrases());
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.TXT")), QByteArray("A\r\nb\r\nc\r\n"));

    SavePhraseFile(path, {});
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.TXT")), QByteArray());
    EXPECT_TRUE(LoadPhraseFile(data.filePath(QStringLiteral("fehlt.txt"))).isEmpty());
}

TEST(PhraseFileTest, StoringAMemoText) {
    PhraseList list;
    EXPECT_EQ(list.storeMemoText(QStringLiteral("In Liebe\nDeine Familie")), 0);
    EXPECT_EQ(list.phrases(), QStringList{QStringLiteral("In Liebe\\\\Deine Familie")});
    EXPECT_EQ(list.storeMemoText(QStringLiteral("IN LIEBE\nDEINE FAMILIE")), -1);
    EXPECT_EQ(list.storeMemoText(QString()), 0);  // an empty phrase sorts first
    EXPECT_EQ(list.storeMemoText(QString()), -1);
    EXPECT_EQ(list.storeMemoText(QString(256, QLatin1Char('x'))), 2);
    EXPECT_EQ(list.phrases().at(2).size(), 255);
    EXPECT_EQ(list.storeMemoText(QStringLiteral("\u0141za\n\u271D")), 3);
    EXPECT_EQ(list.storeMemoText(QStringLiteral("\u0142ZA\n\u271D")),
              -1);  // case-blind in any script
    EXPECT_EQ(list.size(), 4);
}

// Phrases with letters beyond Windows-1252 come back exactly; the Windows
// version lists their approximations, and what it removes stays removed.
TEST(PhraseFileTest, PhrasesOfEveryFamilyKeepTheirLetters) {
    TempDataFolder data;
    const QString path = data.filePath(QStringLiteral("RIBOLANT.TXT"));
    const QStringList phrases{QStringLiteral("In Liebe"), QStringLiteral("\u0141ucja\\\\\u271D"),
                              QStringLiteral("\u041E\u043B\u044C\u0433\u0430"),
                              QStringLiteral("Olga"),
                              // a U+FEFF at its start is a character, no byte order mark
                              QStringLiteral("\uFEFFRuhe")};
    SavePhraseFile(path, phrases);
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.TXT")),
              QByteArray("In Liebe\r\nLucja\\\\\x86\r\nOlga\r\nOlga\r\nRuhe\r\n"));
    EXPECT_EQ(LoadPhraseFile(path), phrases);

    // The Windows version deleted the first "Olga" (the approximation) and
    // added a phrase; the next save merges onto that.
    data.writeFile(QStringLiteral("RIBOLANT.TXT"), "In Liebe\r\nLucja\\\\\x86\r\nOlga\r\nNeu\r\n");
    const QStringList disk = LoadPhraseFile(path);
    EXPECT_EQ(disk,
              (QStringList{phrases[0], phrases[1], QStringLiteral("\u041E\u043B\u044C\u0433\u0430"),
                           QStringLiteral("Neu")}));
    const QStringList merged = MergePhrases(
        disk, phrases,
        QStringList{phrases[0], phrases[1], phrases[2], phrases[3], QStringLiteral("\u015Eahin")});
    SavePhraseFile(path, merged);
    EXPECT_EQ(LoadPhraseFile(path), merged);
    EXPECT_TRUE(merged.contains(QStringLiteral("\u015Eahin")));

    // Without such phrases no companion file is left to mislead a later read.
    SavePhraseFile(path, {QStringLiteral("Lucja\\\\\u2020")});
    EXPECT_FALSE(QFile::exists(PhraseCompanionPath(path)));
    EXPECT_EQ(LoadPhraseFile(path), QStringList{QStringLiteral("Lucja\\\\\u2020")});
}

TEST(PhraseFileTest, UnwritableFileGivesTheMessageAndKeepsTheOldFile) {
    TempDataFolder data;
    const QString path = data.filePath(QStringLiteral("RIBOLANT.TXT"));
    data.writeFile(QStringLiteral("RIBOLANT.TXT"), "alt\r\n");
    QFile::setPermissions(path, QFile::ReadOwner);
    try {
        SavePhraseFile(path, {QStringLiteral("neu")});
        FAIL() << "a read-only phrase file was written";
    } catch (const FileWriteError &e) {
        EXPECT_TRUE(e.message().startsWith(
            QStringLiteral("Datei \"%1\" kann nicht erstellt werden. ").arg(path)));
        EXPECT_GT(e.message().size(),
                  QStringLiteral("Datei \"%1\" kann nicht erstellt werden. ").arg(path).size());
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.TXT")), QByteArray("alt\r\n"));

    EXPECT_THROW(SavePhraseFile(path, {QStringLiteral("a\nb")}), FileWriteError);
    EXPECT_EQ(data.readFile(QStringLiteral("RIBOLANT.TXT")), QByteArray("alt\r\n"));
}

}  // namespace
