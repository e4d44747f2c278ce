#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "model/PhraseFile.h"
#include "spell/SpellChecker.h"
#include "spell/SpellDictionary.h"
#include "spell/UserDictionary.h"
#include "tests/support/TempDataFolder.h"

static void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

namespace {

QStringList Words(const QString &text) {
    QStringList words;
    for (const SpellWord &word : SplitWords(text))
        words.append(text.mid(word.span.start, word.span.length) +
                     (word.beforeDot ? QStringLiteral("|.") : QString()));
    return words;
}

TEST(WordSplitTest, GermanWords) {
    const struct {
        const char *text;
        QStringList words;
    } cases[] = {
        {"Letzte Grüße für Oma Käthe", {"Letzte", "Grüße", "für", "Oma", "Käthe"}},
        {"Schwieger-Mutter, E-Mail und DRK-Ortsverein",
         {"Schwieger-Mutter", "E-Mail", "und", "DRK-Ortsverein"}},
        // Joiners count only between letters: a dash, a trailing hyphen and
        // German quotation marks separate.
        {"Groß- und Klein – „Mutti“ ‚Omi‘", {"Groß", "und", "Klein", "Mutti", "Omi"}},
        {"Wie geht’s? Hab' dich lieb, Hans'", {"Wie", "geht’s", "Hab", "dich", "lieb", "Hans"}},
        // Numbers, single letters and words in capitals are skipped.
        {"RUHE IN FRIEDEN 1950 – 2024 A und O 3. 80-jährig 2a", {"und", "80-jährig"}},
        {"Dr. Meier geb. Schulz", {"Dr|.", "Meier", "geb|.", "Schulz"}},
        {"Łódź\tCafé\\\\Straße", {"Łódź", "Café", "Straße"}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(Words(QString::fromUtf8(c.text)), c.words) << c.text;
}

std::unique_ptr<SpellDictionary> GermanDictionary() {
    const auto chosen = ChosenDictionary(QString(), InstalledDictionaries());
    return chosen ? SpellDictionary::open(*chosen) : nullptr;
}

TEST(SpellCheckerTest, UnknownWordsOfRibbonTexts) {
    SpellChecker checker;
    checker.setDictionary(GermanDictionary());
    ASSERT_TRUE(checker.checking()) << "hunspell-de-de is not installed";
    const struct {
        const char *text;
        QStringList unknown;
    } cases[] = {
        {"In stiller Träuer", {"Träuer"}},
        {"Ein letzter Gruss", {"Gruss"}},
        {"Letzte Grüße, deine Schwieger-Mutter", {}},
        {"Wie geht's, Dr. Müller? DRK-Ortsverein", {}},
        {"RUHE SANFT", {}},
        {"Familie Wojciechowski", {"Wojciechowski"}},
        // Names in letters German does not use are not the German list's to judge.
        {"Łucja Dąbrowska, Şükrü Yılmaz, Ольга Шмидт, Γιώργος", {}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(checker.unknownWordList(QString::fromUtf8(c.text)), c.unknown) << c.text;

    // The shop's own words: phrases, the user's dictionary (also at the start
    // of a sentence), words ignored for this run.
    checker.setPhrases({QStringLiteral("In Liebe\\\\Familie Wojciechowski")});
    checker.setUserWords({QStringLiteral("träuer")});
    checker.ignore(QStringLiteral("Gruss"));
    EXPECT_TRUE(checker.unknownWordList(QStringLiteral("Familie Wojciechowski")).isEmpty());
    EXPECT_TRUE(checker.unknownWordList(QStringLiteral("Träuer träuer Gruss")).isEmpty());
    EXPECT_EQ(checker.unknownWordList(QStringLiteral("Gruß Trauerr")),
              QStringList{QStringLiteral("Trauerr")});

    const QStringList suggestions = checker.suggestions(QStringLiteral("Trauerr"), 6);
    EXPECT_TRUE(suggestions.contains(QStringLiteral("Trauer")))
        << suggestions.join(',').toStdString();
    EXPECT_LE(suggestions.size(), 6);

    checker.setDictionary(nullptr);  // checking off: nothing is unknown
    EXPECT_TRUE(checker.unknownWords(QStringLiteral("Xqzwv")).isEmpty());
}

// A dictionary in ISO 8859-1: the words must reach Hunspell in its encoding,
// and a letter it cannot hold must neither crash nor mark the word.
TEST(SpellCheckerTest, DictionaryInItsOwnEncoding) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const auto write = [&](const QString &name, const QByteArray &bytes) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    write(QStringLiteral("de_DE.aff"),
          "SET ISO8859-1\nTRY esianrtolcdugmphbyfvkwz\xe4\xf6\xfc\xdf\n");
    write(QStringLiteral("de_DE.dic"),
          "3\nGr\xfc\xdf"
          "e\nStra\xdf"
          "e\nTrauer\n");
    const QList<DictionaryFiles> installed = InstalledDictionaries({dir.path()});
    ASSERT_EQ(installed.size(), 1);
    SpellChecker checker;
    checker.setDictionary(SpellDictionary::open(installed.first()));
    ASSERT_TRUE(checker.checking());
    // Names in letters the dictionary cannot hold are not its to judge.
    EXPECT_EQ(checker.unknownWordList(
                  QStringLiteral("Grüße Straße Trauer Łódź Œuvre Grüsse Dąbrowska Ольга")),
              QStringList{QStringLiteral("Grüsse")});
    EXPECT_TRUE(checker.suggestions(QStringLiteral("Grüsse"), 6).contains(QStringLiteral("Grüße")));
    EXPECT_TRUE(checker.suggestions(QStringLiteral("Łódź"), 6).isEmpty());
}

TEST(SpellSettingTest, ChosenDictionary) {
    const QList<DictionaryFiles> installed = {
        {QStringLiteral("de_DE"), {}, {}, {}},
        {QStringLiteral("de_CH"), {}, {}, {}},
    };
    const auto code = [&](const char *setting, const QList<DictionaryFiles> &list) {
        const auto chosen = ChosenDictionary(QString::fromUtf8(setting), list);
        return chosen ? chosen->code : QStringLiteral("-");
    };
    EXPECT_EQ(code("", installed), QStringLiteral("de_DE"));
    EXPECT_EQ(code("de_ch", installed), QStringLiteral("de_CH"));
    EXPECT_EQ(code("de_AT", installed), QStringLiteral("de_DE"));  // not installed
    EXPECT_EQ(code("Aus", installed), QStringLiteral("-"));
    EXPECT_EQ(code("de_AT", installed.mid(1)), QStringLiteral("de_CH"));
    EXPECT_EQ(code("", {}), QStringLiteral("-"));
}

// Every dictionary of the folders is offered, named in German: German first,
// then by name; the country only where a language comes more than once; a
// code whose files are links to another's, or a file without its .aff, is
// not offered.
TEST(SpellSettingTest, InstalledDictionariesAreNamedInGerman) {
    QTemporaryDir first, second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    const auto make = [](const QTemporaryDir &dir, const QString &code) {
        for (const char *ext : {".aff", ".dic"}) {
            QFile file(dir.filePath(code + QLatin1String(ext)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(ext == QByteArrayView(".aff") ? "SET UTF-8\n" : "1\nWort\n");
        }
    };
    for (const char *code : {"ru_RU", "de_CH", "pl_PL", "en_US", "de_DE", "tr_TR", "xx_YY"})
        make(first, QString::fromLatin1(code));
    make(second, QStringLiteral("en_GB"));
    make(second, QStringLiteral("pl_PL"));
    for (const char *ext : {".aff", ".dic"})
        ASSERT_TRUE(QFile::link(first.filePath(QStringLiteral("de_DE") + QLatin1String(ext)),
                                first.filePath(QStringLiteral("de_LU") + QLatin1String(ext))));
    QFile hyphenation(first.filePath(QStringLiteral("hyph_de_DE.dic")));
    ASSERT_TRUE(hyphenation.open(QIODevice::WriteOnly));

    QStringList listed;
    for (const DictionaryFiles &files : InstalledDictionaries({first.path(), second.path()}))
        listed.append(files.code + QLatin1Char('=') + files.label +
                      (files.dic.startsWith(second.path()) ? QStringLiteral(" 2") : QString()));
    EXPECT_EQ(listed, (QStringList{
                          QStringLiteral("de_DE=Deutsch (&Deutschland)"),
                          QStringLiteral("de_CH=Deutsch (S&chweiz)"),
                          QStringLiteral("en_US=Englisch (Vereinigte Staaten)"),
                          QStringLiteral("en_GB=Englisch (Vereinigtes Königreich) 2"),
                          QStringLiteral("pl_PL=Polnisch"),
                          QStringLiteral("ru_RU=Russisch"),
                          QStringLiteral("tr_TR=Türkisch"),
                          QStringLiteral("xx_YY=xx_YY"),
                      }));
}

TEST(UserDictionaryTest, Windows1252RoundTripKeepsEveryWord) {
    TempDataFolder data;
    const QString path = UserDictionaryPath();
    EXPECT_EQ(path, data.filePath(QStringLiteral("Woerterbuch.txt")));
    EXPECT_TRUE(LoadUserWords(path).isEmpty());

    QString message;
    ASSERT_TRUE(AddUserWord(path, QStringLiteral("Träuer"), &message)) << message.toStdString();
    ASSERT_TRUE(AddUserWord(path, QStringLiteral("Wojciechowski"), &message));
    ASSERT_TRUE(AddUserWord(path, QStringLiteral("Träuer"), &message));  // once only
    EXPECT_EQ(data.readFile(QStringLiteral("Woerterbuch.txt")),
              QByteArray("Tr\xe4uer\r\nWojciechowski\r\n"));

    // A hand-edited file: LF only, blanks, no final line break. Its bytes stay.
    data.writeFile(QStringLiteral("Woerterbuch.txt"),
                   "Gr\xfc\xdf"
                   "e\n\n  Stra\xdf"
                   "e ");
    EXPECT_EQ(LoadUserWords(path),
              (QStringList{QStringLiteral("Grüße"), QStringLiteral("Straße")}));
    ASSERT_TRUE(AddUserWord(path, QStringLiteral("Kränze"), &message));
    EXPECT_EQ(data.readFile(QStringLiteral("Woerterbuch.txt")), QByteArray("Gr\xfc\xdf"
                                                                           "e\n\n  Stra\xdf"
                                                                           "e \r\nKr\xe4nze\r\n"));

    // A word beyond Windows-1252 turns the file into UTF-8, its words kept;
    // it stays UTF-8 then.
    ASSERT_TRUE(AddUserWord(path, QStringLiteral("Dąbrowska"), &message));
    ASSERT_TRUE(AddUserWord(path, QStringLiteral("Träuer"), &message));
    const QByteArray utf8 =
        QStringLiteral("Grüße\n\n  Straße \r\nKränze\r\nDąbrowska\r\nTräuer\r\n").toUtf8();
    EXPECT_EQ(data.readFile(QStringLiteral("Woerterbuch.txt")), utf8);
    const QStringList words = {QStringLiteral("Grüße"), QStringLiteral("Straße"),
                               QStringLiteral("Kränze"), QStringLiteral("Dąbrowska"),
                               QStringLiteral("Träuer")};
    EXPECT_EQ(LoadUserWords(path), words);
    ASSERT_TRUE(AddUserWord(path, QStringLiteral("Dąbrowska"), &message));  // once only
    EXPECT_EQ(data.readFile(QStringLiteral("Woerterbuch.txt")), utf8);

    // An older program adds its words in Windows-1252: each line reads right.
    data.writeFile(QStringLiteral("Woerterbuch.txt"), utf8 +
                                                          "Gr\xfc\xdf"
                                                          "e\r\n");
    EXPECT_EQ(LoadUserWords(path), words + QStringList{QStringLiteral("Grüße")});
    ASSERT_TRUE(AddUserWord(path, QStringLiteral("Grüße"), &message));  // found, not doubled
    EXPECT_EQ(LoadUserWords(path).size(), 6);

    // A word with a line break is refused; nothing changes.
    EXPECT_FALSE(AddUserWord(path, QStringLiteral("Łódź\nX"), &message));
    EXPECT_FALSE(message.isEmpty());
    EXPECT_EQ(LoadUserWords(path).size(), 6);

    // The file's byte order mark is read past; a U+FEFF that begins a later
    // line is part of its word.
    data.writeFile(QStringLiteral("Woerterbuch.txt"),
                   "\xEF\xBB\xBF"
                   "Anna\r\n\xEF\xBB\xBF"
                   "Berta\r\n");
    EXPECT_EQ(LoadUserWords(path),
              (QStringList{QStringLiteral("Anna"), QStringLiteral("\uFEFFBerta")}));
}

// A huge file is read only in part, and says so; adding a word keeps every
// word of it, also those beyond what was read, and finds them as listed.
TEST(UserDictionaryTest, AHugeFileIsReadInPartAndKeptWhole) {
    const struct {
        const char *what;
        qsizetype lines;
        int width;  // bytes of a word
        qsizetype read;
    } cases[] = {
        {"more words than are read", MaxUserWords + 2, 10, MaxUserWords},
        // Lines of 100 bytes (CR LF included): the last one read is whole.
        {"more bytes than are read", 50000, 98, MaxUserDictionaryBytes / 100},
    };
    for (const auto &c : cases) {
        TempDataFolder data;
        const QString path = UserDictionaryPath();
        QByteArray bytes;
        for (qsizetype i = 0; i < c.lines; ++i)
            bytes += QByteArray::number(i).rightJustified(c.width, 'w') + "\r\n";
        data.writeFile(QStringLiteral("Woerterbuch.txt"), bytes);

        bool capped = false;
        const QStringList words = LoadUserWords(path, &capped);
        EXPECT_TRUE(capped) << c.what;
        ASSERT_EQ(words.size(), c.read) << c.what;
        EXPECT_EQ(words.last().size(), c.width) << c.what;

        QString message;
        const QString last =
            QString::fromLatin1(QByteArray::number(c.lines - 1).rightJustified(c.width, 'w'));
        ASSERT_TRUE(AddUserWord(path, last, &message)) << message.toStdString();
        EXPECT_EQ(data.readFile(QStringLiteral("Woerterbuch.txt")), bytes) << c.what;
        ASSERT_TRUE(AddUserWord(path, QStringLiteral("Kr\u00e4nze"), &message));
        EXPECT_EQ(data.readFile(QStringLiteral("Woerterbuch.txt")), bytes + "Kr\xe4nze\r\n")
            << c.what;
    }
}

}  // namespace
