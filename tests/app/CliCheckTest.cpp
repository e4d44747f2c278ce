#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTextStream>

#include "app/cli/Cli.h"
#include "app/cli/CliCheck.h"
#include "model/Cp1252.h"
#include "tests/support/TempDataFolder.h"

namespace {

QByteArray Windows1252(const QString &text) {
    QByteArray bytes;
    Cp1252::encode(QString(text).replace(QLatin1Char('\n'), QLatin1String("\r\n")), &bytes);
    return bytes;
}

struct CheckRun {
    int status = -1;
    QStringList lines;  // suggestions cut off: they belong to the dictionary's version
};

CheckRun Check(const QStringList &args) {
    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    CheckRun run;
    run.status = RunCli(args, outStream, errStream);
    outStream.flush();
    static const QRegularExpression suggestions(
        QStringLiteral("(kind=spelling detail=\"[^:\"]*): [^\"]*\"$"));
    for (const QString &line : out.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        run.lines << QString(line).replace(suggestions, QStringLiteral("\\1\""));
    return run;
}

// The user's words and the phrase list count as known; the right text of the
// centred style is not printed, so not checked; exit status 3 on findings.
TEST(CliCheckTest, SpellingFindsUnknownWordsOfPrintedTexts) {
    TempDataFolder data;
    data.writeFile(QStringLiteral("Woerterbuch.txt"), "Wojciechowski\r\n");
    data.writeFile(QStringLiteral("RIBOLANT.TXT"), "In Liebe\\\\Familie Przybylski\r\n");
    const QString ribbons = data.filePath(QStringLiteral("Auftrag.txt"));
    data.writeFile(QStringLiteral("Auftrag.txt"),
                   Windows1252(QStringLiteral("[Meier]\n"
                                              "TextLinks=In stiller Tr\u00e4uer\\\\Familie "
                                              "Wojciechowski\n"
                                              "TextRechts=Ein letzter Gruss von Przybylski\n"
                                              "[Schulz \"2\"]\n"
                                              "Stil=1\n"
                                              "TextLinks=Ruhe sanft\n"
                                              "TextRechts=Gruss\n"
                                              "[Leer]\n")));

    const CheckRun found = Check({QStringLiteral("check"), ribbons, QStringLiteral("--spelling")});
    EXPECT_EQ(found.status, 3);
    EXPECT_EQ(
        found.lines,
        (QStringList{
            QStringLiteral(
                "ribbon=1 section=\"Meier\" end=links kind=spelling detail=\"Tr\u00e4uer\""),
            QStringLiteral("ribbon=1 section=\"Meier\" end=rechts kind=spelling detail=\"Gruss\""),
        }));

    data.writeFile(QStringLiteral("Woerterbuch.txt"), "Wojciechowski\r\nTr\xe4uer\r\nGruss\r\n");
    const CheckRun clean = Check({QStringLiteral("check"), ribbons, QStringLiteral("--spelling")});
    EXPECT_EQ(clean.status, 0);
    EXPECT_TRUE(clean.lines.isEmpty());

    // Without --spelling only what does not fit counts: these ribbons fit.
    EXPECT_EQ(Check({QStringLiteral("check"), ribbons}).status, 0);
}

// Text that runs over the ribbon's end or into the other end is found from
// the ink printing would put down; so is a picture that is not there, and a
// character the face has no glyph for (EB Garamond has no per mille sign).
TEST(CliCheckTest, FitFindingsNameEndKindAndMillimetres) {
    TempDataFolder data;
    const QString ribbons = data.filePath(QStringLiteral("Auftrag.txt"));
    data.writeFile(
        QStringLiteral("Auftrag.txt"),
        Windows1252(QStringLiteral("[Lang]\nL\u00e4nge=1000\nFontName=Liberation Sans\n"
                                   "FontGr\u00f6\u00dfe=80\n"
                                   "TextLinks=In stiller Trauer und Dankbarkeit\n"
                                   "TextRechts=Deine Freunde vom Kegelclub\n"
                                   "BildNameRechts=Taube.bmp\n"
                                   "[Gut]\nFontName=Liberation Sans\nTextLinks=Ruhe sanft\n"
                                   "[Zeichen]\nFontName=EB Garamond\nTextLinks=Ruhe sanft\n"
                                   "TextRechts=100 \u2030\n")));
    const CheckRun found = Check({QStringLiteral("check"), ribbons});
    EXPECT_EQ(found.status, 3);
    // Both texts are longer than the whole ribbon: each runs over the far end.
    ASSERT_EQ(found.lines.size(), 5) << found.lines.join(QLatin1Char('\n')).toStdString();
    static const QRegularExpression tooLong(
        QStringLiteral("^ribbon=1 section=\"Lang\" end=links kind=zu-lang detail=\"\\d+ mm\"$"));
    static const QRegularExpression overlap(QStringLiteral(
        "^ribbon=1 section=\"Lang\" end=beide kind=ueberlappung detail=\"\\d+ mm\"$"));
    EXPECT_TRUE(tooLong.match(found.lines[0]).hasMatch()) << found.lines[0].toStdString();
    EXPECT_TRUE(found.lines[1].startsWith(
        QStringLiteral("ribbon=1 section=\"Lang\" end=rechts kind=zu-lang")));
    EXPECT_TRUE(overlap.match(found.lines[2]).hasMatch()) << found.lines[2].toStdString();
    EXPECT_EQ(found.lines[3],
              QStringLiteral(
                  "ribbon=1 section=\"Lang\" end=rechts kind=bild-fehlt detail=\"Taube.bmp\""));
    EXPECT_EQ(found.lines[4], QStringLiteral("ribbon=3 section=\"Zeichen\" end=rechts "
                                             "kind=zeichen-fehlt detail=\"EB Garamond: \u2030\""));
}

// A long check says how far it has come: not in its first two seconds, then
// at most once a second, and the full count at the end.
TEST(CliCheckTest, ProgressComesAfterTwoSecondsAtMostOnceASecond) {
    qint64 now = 0;
    QStringList shown;
    CheckProgress progress(
        10, [&now] { return now; }, [&shown](const QString &text) { shown << text; });
    const struct {
        qint64 at;
        int count;
        const char *expected;  // what is shown then, or nothing
    } steps[] = {
        {0, 1, nullptr},
        {1999, 2, nullptr},
        {2000, 3, "3 von 10 Schleifen gepr\u00fcft"},
        {2999, 4, nullptr},
        {3000, 5, "5 von 10 Schleifen gepr\u00fcft"},
        {3500, 6, nullptr},
        {9000, 9, "9 von 10 Schleifen gepr\u00fcft"},
        {9100, 10, nullptr},
    };
    for (const auto &step : steps) {
        const qsizetype before = shown.size();
        now = step.at;
        progress.done(step.count);
        if (step.expected) {
            ASSERT_EQ(shown.size(), before + 1) << step.at;
            EXPECT_EQ(shown.last(), QString::fromUtf8(step.expected));
        } else {
            EXPECT_EQ(shown.size(), before) << step.at;
        }
    }
    progress.finish();
    EXPECT_EQ(shown.last(), QStringLiteral("10 von 10 Schleifen gepr\u00fcft"));

    // A short run says nothing.
    QStringList quiet;
    CheckProgress quick(
        3, [] { return qint64(1500); }, [&quiet](const QString &text) { quiet << text; });
    for (int i = 1; i <= 3; ++i)
        quick.done(i);
    quick.finish();
    EXPECT_TRUE(quiet.isEmpty());
}

}  // namespace
