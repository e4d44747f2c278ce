#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <cmath>
#include <csignal>
#include <memory>

#include "model/Cp1252.h"
#include "tests/support/TempDataFolder.h"

static void PrintTo(const QString &text, std::ostream *os) {
    *os << '"' << text.toStdString() << '"';
}

// The real vellumo-cli program, run as a florist or an order system would run
// it: exit status, stderr and the files it writes.

namespace {

const QString kBad =
    QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/data/bad");

struct Result {
    int status = -1;
    QString out;
    QString err;
};

Result RunCliProgram(const QStringList &args) {
    QProcess process;
    process.start(QStringLiteral(VELLUMO_CLI), args);
    Result r;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return r;
    r.status = process.exitCode();
    r.out = QString::fromUtf8(process.readAllStandardOutput());
    r.err = QString::fromUtf8(process.readAllStandardError());
    return r;
}

QByteArray Windows1252(const QString &text) {
    QByteArray bytes;
    Cp1252::encode(QString(text).replace(QLatin1Char('\n'), QLatin1String("\r\n")), &bytes);
    return bytes;
}

// Page sizes in points from the page objects of a PDF, in page order.
QVector<QSizeF> PdfPageSizes(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QString text = QString::fromLatin1(file.readAll());
    static const QRegularExpression box(
        QStringLiteral("/MediaBox \\[\\s*0 0 ([0-9.]+) ([0-9.]+)\\s*\\]"));
    QVector<QSizeF> sizes;
    for (const QRegularExpressionMatch &m : box.globalMatch(text))
        sizes << QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble());
    return sizes;
}

void ExpectPageMillimetres(const QSizeF &points, double lengthMm, double widthMm) {
    EXPECT_NEAR(points.width(), lengthMm * 72 / 25.4, 1.0);
    EXPECT_NEAR(points.height(), widthMm * 72 / 25.4, 1.0);
}

class CliProcessTest : public ::testing::Test {
protected:
    TempDataFolder data;

    QString write(const QString &name, const QString &text) {
        data.writeFile(name, Windows1252(text));
        return data.filePath(name);
    }
    QString ribbons() {
        return write(
            QStringLiteral("auftrag.ini"),
            QStringLiteral("[Meier]\n"
                           "L\u00e4nge=1000\nBreite=170\nFontName=Liberation Sans\nStil=2\n"
                           "TextLinks=In stiller Trauer\\\\Familie Meier\n"
                           "TextRechts=Ruhe sanft\n"
                           "[Ohne Text]\nKommission=nichts zu drucken\n"
                           "[Schmidt]\n"
                           "L\u00e4nge=1500\nBreite=140\nFontName=Liberation Sans\nStil=2\n"
                           "TextLinks=Letzter Gru\u00df\n"
                           "[Weber]\n"
                           "L\u00e4nge=1200\nBreite=170\nFontName=Liberation Sans\nStil=2\n"
                           "TextLinks=Unvergessen\n"));
    }
    QString settings(const QString &text) { return write(QStringLiteral("test.ini"), text); }
};

TEST_F(CliProcessTest, HelpDescribesEveryCommand) {
    const Result all = RunCliProgram({QStringLiteral("--help")});
    EXPECT_EQ(all.status, 0);
    for (const char *command : {"render", "print", "trace", "trace-print", "--settings"})
        EXPECT_TRUE(all.out.contains(QLatin1String(command))) << command;
    EXPECT_TRUE(all.out.contains(QLatin1String("Exit-Status")));

    const Result one = RunCliProgram({QStringLiteral("trace-print"), QStringLiteral("--help")});
    EXPECT_EQ(one.status, 0);
    EXPECT_TRUE(one.out.contains(QLatin1String("--page")));
    EXPECT_FALSE(one.out.contains(QLatin1String("render")));
}

TEST_F(CliProcessTest, BadUsageGivesStatusTwo) {
    const QString file = ribbons();
    const QString out = data.filePath(QStringLiteral("aus.pdf"));
    const QList<QStringList> cases = {
        {},
        {QStringLiteral("drucken"), file},
        {QStringLiteral("trace")},
        {QStringLiteral("trace"), file, file},
        {QStringLiteral("trace"), file, QStringLiteral("--bogus")},
        {QStringLiteral("trace"), file, QStringLiteral("--scale"), QStringLiteral("0")},
        {QStringLiteral("trace"), file, QStringLiteral("--flags"), QStringLiteral("32")},
        {QStringLiteral("trace"), file, QStringLiteral("--flags=zwölf")},
        {QStringLiteral("trace"), file, QStringLiteral("--section")},
        {QStringLiteral("render"), file},
        {QStringLiteral("render"), file, QStringLiteral("-o"),
         data.filePath(QStringLiteral("a.jpg"))},
        {QStringLiteral("render"), file, QStringLiteral("-o"), out, QStringLiteral("--print=1")},
        {QStringLiteral("print"), file},
        {QStringLiteral("print"), file, QStringLiteral("--pdf"), out, QStringLiteral("--printer"),
         QStringLiteral("laser")},
        {QStringLiteral("print"), file, QStringLiteral("--pdf"), out, QStringLiteral("--methode"),
         QStringLiteral("5")},
        {QStringLiteral("print"), file, QStringLiteral("--pdf"), out, QStringLiteral("--from"),
         QStringLiteral("3"), QStringLiteral("--to"), QStringLiteral("2")},
        {QStringLiteral("print"), file, QStringLiteral("--pdf"), out, QStringLiteral("--to"),
         QStringLiteral("4")},  // three ribbons have text
        // The form of an option counts before the file is read.
        {QStringLiteral("print"), kBad + QStringLiteral("/unknown-style.ini"),
         QStringLiteral("--pdf"), out, QStringLiteral("--methode"), QStringLiteral("9")},
        {QStringLiteral("trace-print"), file},
        {QStringLiteral("trace-print"), file, QStringLiteral("--page"), QStringLiteral("210x297")},
        {QStringLiteral("trace-print"), file, QStringLiteral("--page"),
         QStringLiteral("4000x297@600")},
        {QStringLiteral("watch")},
        {QStringLiteral("watch"), data.root()},
        {QStringLiteral("watch"), data.root(), QStringLiteral("--printer"), QStringLiteral("PDF")},
        {QStringLiteral("import"), file, QStringLiteral("--spelling")},
        {QStringLiteral("import"), file, QStringLiteral("--check"), QStringLiteral("--pdf-dir"),
         data.root()},
    };
    for (const QStringList &args : cases) {
        const Result r = RunCliProgram(args);
        EXPECT_EQ(r.status, 2) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.contains(QLatin1String("vellumo-cli: ")))
            << args.join(QLatin1Char(' ')).toStdString();
    }
    EXPECT_FALSE(QFile::exists(out));
}

TEST_F(CliProcessTest, BadFilesNameFileLineAndFault) {
    const QDir dir(kBad);
    const QStringList files = dir.entryList({QStringLiteral("*.ini")}, QDir::Files, QDir::Name);
    ASSERT_GE(files.size(), 3);
    for (const QString &name : files) {
        const QString path = dir.filePath(name);
        QFile expectedFile(
            dir.filePath(QFileInfo(name).completeBaseName() + QStringLiteral(".expected")));
        ASSERT_TRUE(expectedFile.open(QIODevice::ReadOnly)) << name.toStdString();
        const QStringList expected =
            QString::fromUtf8(expectedFile.readAll()).split(QLatin1Char('\n'));
        const QString out = data.filePath(QStringLiteral("aus.pdf"));
        const Result r = RunCliProgram({QStringLiteral("render"), path, QStringLiteral("-o"), out});
        EXPECT_EQ(r.status, expected.value(0).toInt()) << name.toStdString();
        EXPECT_EQ(r.err.trimmed(),
                  QString(expected.value(1)).replace(QLatin1String("{file}"), path))
            << name.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << name.toStdString();
    }

    const QString file = ribbons();
    const Result missing = RunCliProgram(
        {QStringLiteral("trace"), file, QStringLiteral("--section"), QStringLiteral("Fehlt")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.trimmed(),
              file + QStringLiteral(": Abschnitt \"Fehlt\" fehlt in der Schleifendatei"));
    EXPECT_TRUE(missing.out.isEmpty());

    const Result absent =
        RunCliProgram({QStringLiteral("trace"), data.filePath(QStringLiteral("nix.ini"))});
    EXPECT_EQ(absent.status, 1);
    EXPECT_TRUE(absent.err.startsWith(data.filePath(QStringLiteral("nix.ini")) +
                                      QStringLiteral(": Datei kann nicht gelesen werden")));

    const Result noSettings =
        RunCliProgram({QStringLiteral("trace"), file, QStringLiteral("--settings"),
                       data.filePath(QStringLiteral("fehlt.ini"))});
    EXPECT_EQ(noSettings.status, 1);
    EXPECT_TRUE(
        noSettings.err.contains(QLatin1String("Einstellungsdatei kann nicht gelesen werden")));
}

TEST_F(CliProcessTest, RenderToPdfGivesOneTrueSizePagePerRibbon) {
    const QString file = ribbons();
    const QString out = data.filePath(QStringLiteral("probe.pdf"));
    for (const QString &mode : {QStringLiteral("--dpi=300"), QStringLiteral("--print")}) {
        QFile::remove(out);
        const Result r =
            RunCliProgram({QStringLiteral("render"), file, QStringLiteral("-o"), out, mode});
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        const QVector<QSizeF> pages = PdfPageSizes(out);
        ASSERT_EQ(pages.size(), 4) << mode.toStdString();  // the ribbon without text too
        ExpectPageMillimetres(pages[0], 1000, 170);
        ExpectPageMillimetres(pages[1], 2000, 170);  // the reading defaults
        ExpectPageMillimetres(pages[2], 1500, 140);
        ExpectPageMillimetres(pages[3], 1200, 170);
    }

    const Result one = RunCliProgram({QStringLiteral("render"), file, QStringLiteral("-o"), out,
                                      QStringLiteral("--section"), QStringLiteral("schmidt")});
    EXPECT_EQ(one.status, 0);
    const QVector<QSizeF> pages = PdfPageSizes(out);
    ASSERT_EQ(pages.size(), 1);
    ExpectPageMillimetres(pages[0], 1500, 140);
}

TEST_F(CliProcessTest, RenderToPngGivesOneImagePerRibbon) {
    const QString file = ribbons();
    const QString out = data.filePath(QStringLiteral("probe.png"));
    const Result r = RunCliProgram({QStringLiteral("render"), file, QStringLiteral("-o"), out,
                                    QStringLiteral("--dpi"), QStringLiteral("20")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    const QImage first(data.filePath(QStringLiteral("probe-1.png")));
    const QImage third(data.filePath(QStringLiteral("probe-3.png")));
    EXPECT_EQ(first.size(), QSize(787, 134));  // 1000 x 170 mm at 20 dpi
    EXPECT_EQ(third.size(), QSize(1181, 110));
    EXPECT_FALSE(QFile::exists(out));
    // Something is drawn: the left text lies near the left end.
    bool ink = false;
    for (int x = 0; x < first.width() / 4 && !ink; ++x) {
        for (int y = 0; y < first.height() && !ink; ++y)
            ink = qGray(first.pixel(x, y)) < 128;
    }
    EXPECT_TRUE(ink);

    const Result one = RunCliProgram({QStringLiteral("render"), file, QStringLiteral("-o"), out,
                                      QStringLiteral("--dpi"), QStringLiteral("20"),
                                      QStringLiteral("--section"), QStringLiteral("Meier")});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(QImage(out).size(), QSize(787, 134));
}

TEST_F(CliProcessTest, PrintToPdfRunsThePrintCommandAndLeavesTheSettingsAlone) {
    const QString file = ribbons();
    const QString ini = settings(QStringLiteral("[Drucker]\nMethode=7\nRand=0\n"));
    const QByteArray before = data.readFile(QStringLiteral("test.ini"));
    const QDateTime modified = QFileInfo(ini).lastModified();
    const QString out = data.filePath(QStringLiteral("druck.pdf"));

    // "Methode" 7 prints nothing: said, not passed over.
    const Result none = RunCliProgram({QStringLiteral("print"), file, QStringLiteral("--pdf"), out,
                                       QStringLiteral("--settings"), ini});
    EXPECT_EQ(none.status, 1);
    EXPECT_TRUE(none.err.contains(QLatin1String("\"Methode\" 7")));
    EXPECT_FALSE(QFile::exists(out));

    // Texts that do not fit cost ribbons: without a person, nothing is
    // printed and the window's question says why; --ja prints all the same.
    const Result asked = RunCliProgram({QStringLiteral("print"), file, QStringLiteral("--pdf"), out,
                                        QStringLiteral("--settings"), ini,
                                        QStringLiteral("--methode"), QStringLiteral("4")});
    EXPECT_EQ(asked.status, 1);
    EXPECT_TRUE(asked.err.contains(
        QLatin1String("Bei 3 Schleifen passt der Text nicht: 1, 2, 3. Trotzdem drucken?")))
        << asked.err.toStdString();
    EXPECT_FALSE(QFile::exists(out));

    const Result r = RunCliProgram({QStringLiteral("print"), file, QStringLiteral("--pdf"), out,
                                    QStringLiteral("--settings"), ini, QStringLiteral("--methode"),
                                    QStringLiteral("4"), QStringLiteral("--ja")});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(
        QLatin1String("Die Schleifen in der Vorschau sind unterschiedlich breit !\n"
                      "Es werden nur die Schleifen mit gleicher Schleifenbreite gedruckt.")));
    EXPECT_TRUE(r.err.contains(QLatin1String("Schleife 2 (Abschnitt \"Schmidt\", 140 mm breit)")));
    const QVector<QSizeF> pages = PdfPageSizes(out);
    ASSERT_EQ(pages.size(), 2);
    ExpectPageMillimetres(pages[0], 1000, 170);
    ExpectPageMillimetres(pages[1], 1200, 170);

    // The range counts the ribbons with text; its first ribbon fixes the width.
    const Result range = RunCliProgram(
        {QStringLiteral("print"), file, QStringLiteral("--pdf"), out, QStringLiteral("--settings"),
         ini, QStringLiteral("--methode"), QStringLiteral("4"), QStringLiteral("--from"),
         QStringLiteral("2"), QStringLiteral("--ja")});
    EXPECT_EQ(range.status, 0) << range.err.toStdString();
    const QVector<QSizeF> ranged = PdfPageSizes(out);
    ASSERT_EQ(ranged.size(), 1);
    ExpectPageMillimetres(ranged[0], 1500, 140);
    EXPECT_TRUE(range.err.contains(QLatin1String("Schleife 3 (Abschnitt \"Weber\"")));

    EXPECT_EQ(data.readFile(QStringLiteral("test.ini")), before);
    EXPECT_EQ(QFileInfo(ini).lastModified(), modified);
}

TEST_F(CliProcessTest, AFailedRunIsNoSuccess) {
    // Longer than the 16-bit paper length of a single sheet holds.
    const QString file = write(QStringLiteral("lang.ini"),
                               QStringLiteral("[Lang]\nL\u00e4nge=4000\nTextLinks=Ruhe sanft\n"));
    const QString ini = settings(QString());
    const QString out = data.filePath(QStringLiteral("lang.pdf"));
    const Result r = RunCliProgram({QStringLiteral("print"), file, QStringLiteral("--pdf"), out,
                                    QStringLiteral("--methode"), QStringLiteral("4"),
                                    QStringLiteral("--settings"), ini});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.err.contains(QLatin1String("Druck fehlgeschlagen, nichts wurde gedruckt")));
    EXPECT_FALSE(QFile::exists(out));
    EXPECT_TRUE(QDir(data.appFolder()).entryList({QStringLiteral("lang.pdf*")}).isEmpty());

    const Result trace =
        RunCliProgram({QStringLiteral("trace-print"), file, QStringLiteral("--page"),
                       QStringLiteral("210x297@300"), QStringLiteral("--methode"),
                       QStringLiteral("4"), QStringLiteral("--settings"), ini});
    EXPECT_EQ(trace.status, 1);
    EXPECT_TRUE(trace.out.endsWith(QLatin1String("pages total=0\n")));

    const Result empty = RunCliProgram(
        {QStringLiteral("print"), write(QStringLiteral("leer.ini"), QStringLiteral("[Leer]\n")),
         QStringLiteral("--pdf"), out, QStringLiteral("--settings"), ini});
    EXPECT_EQ(empty.status, 1);
    EXPECT_TRUE(empty.err.contains(QLatin1String("keine Schleife mit Text")));

    const Result folder =
        RunCliProgram({QStringLiteral("print"), ribbons(), QStringLiteral("--pdf"),
                       data.appFolder(), QStringLiteral("--settings"), ini});
    EXPECT_EQ(folder.status, 1);
    EXPECT_TRUE(folder.err.contains(QLatin1String("ist ein Ordner")));

    const Result queue =
        RunCliProgram({QStringLiteral("print"), ribbons(), QStringLiteral("--printer"),
                       QStringLiteral("gibt-es-nicht"), QStringLiteral("--settings"), ini});
    EXPECT_EQ(queue.status, 1);
    EXPECT_TRUE(queue.err.contains(QLatin1String("Drucker \"gibt-es-nicht\" nicht gefunden")));
}

// A PDF target is a file or a new name; the old file survives any failure;
// what cannot be drawn or planned is refused with its true cause.
TEST_F(CliProcessTest, PrintToPdfNeverDestroysAFileNorPassesAFailure) {
    const QString file = ribbons();
    const QString ini = settings(QStringLiteral("[Drucker]\nMethode=4\n"));
    const QString out = data.filePath(QStringLiteral("alt.pdf"));
    data.writeFile(QStringLiteral("alt.pdf"), QByteArray("das alte PDF"));
    const auto print = [&](const QString &target, const QString &order, const QString &s) {
        // The ribbons' texts do not fit: what is tested here lies beyond that question.
        return RunCliProgram({QStringLiteral("print"), order, QStringLiteral("--pdf"), target,
                              QStringLiteral("--settings"), s, QStringLiteral("--ja")});
    };

    // A full disk: every write beyond 2 KiB fails (the signal that would end
    // the process is ignored, so the writes just fail).
    QProcess full;
    full.start(
        QStringLiteral("/bin/bash"),
        {QStringLiteral("-c"), QStringLiteral("ulimit -f 2; trap '' XFSZ; exec \"$@\""),
         QStringLiteral("bash"), QStringLiteral(VELLUMO_CLI), QStringLiteral("print"), file,
         QStringLiteral("--pdf"), out, QStringLiteral("--settings"), ini, QStringLiteral("--ja")});
    ASSERT_TRUE(full.waitForFinished(120000));
    EXPECT_EQ(full.exitCode(), 1) << full.readAllStandardError().toStdString();
    EXPECT_EQ(data.readFile(QStringLiteral("alt.pdf")), QByteArray("das alte PDF"));
    EXPECT_EQ(QDir(data.appFolder()).entryList({QStringLiteral("alt.pdf.*")}), QStringList());

    // A link is followed, and the file it names replaced.
    const QString link = data.filePath(QStringLiteral("verweis.pdf"));
    ASSERT_TRUE(QFile::link(out, link));
    EXPECT_EQ(print(link, file, ini).status, 0);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_TRUE(data.readFile(QStringLiteral("alt.pdf")).startsWith("%PDF"));

    // Never into a pipe or a device, a read-only file or the order itself.
    const QString fifo = data.filePath(QStringLiteral("pipe.pdf"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("mkfifo"), {fifo}), 0);
    const QString readOnly = data.filePath(QStringLiteral("fest.pdf"));
    data.writeFile(QStringLiteral("fest.pdf"), QByteArray("bleibt"));
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadUser);
    for (const QString &target : {fifo, QStringLiteral("/dev/null"), readOnly, file, ini}) {
        const Result r = print(target, file, ini);
        EXPECT_EQ(r.status, 1) << target.toStdString();
        EXPECT_FALSE(r.err.isEmpty());
    }
    EXPECT_EQ(data.readFile(QStringLiteral("fest.pdf")), QByteArray("bleibt"));
    EXPECT_TRUE(QFileInfo(fifo).isFile() == false && QFileInfo::exists(fifo));

    // Ribbons that cannot be drawn are refused by printing as by a proof.
    for (const QString &bad : {QStringLiteral("L\u00e4nge=0"), QStringLiteral("Breite=-170"),
                               QStringLiteral("L\u00e4nge=$FFFFFFFF"),
                               QStringLiteral("FontGr\u00f6\u00dfe=2147483647")}) {
        const QString order =
            write(QStringLiteral("falsch.ini"),
                  QStringLiteral("[Falsch]\n%1\nTextLinks=Ruhe sanft\n").arg(bad));
        const Result printed = print(data.filePath(QStringLiteral("neu.pdf")), order, ini);
        EXPECT_EQ(printed.status, 1) << bad.toStdString();
        EXPECT_TRUE(printed.err.contains(QLatin1String("falsch.ini:1: Schleife \"Falsch\"")))
            << printed.err.toStdString();
        const Result traced =
            RunCliProgram({QStringLiteral("trace-print"), order, QStringLiteral("--page"),
                           QStringLiteral("210x297@300"), QStringLiteral("--settings"), ini});
        EXPECT_EQ(traced.status, 1) << bad.toStdString();
        EXPECT_FALSE(QFile::exists(data.filePath(QStringLiteral("neu.pdf"))));
    }

    // Fillers that cannot be computed are named as the cause.
    const Result pieces = print(data.filePath(QStringLiteral("neu.pdf")), file,
                                settings(QStringLiteral("[Drucker]\nMethode=2\nMaxLaenge=0\n")));
    EXPECT_EQ(pieces.status, 1);
    EXPECT_TRUE(pieces.err.contains(QLatin1String("MaxLaenge"))) << pieces.err.toStdString();
}

TEST_F(CliProcessTest, TraceShowsMarksAndLabelInLogicalUnits) {
    const QString file =
        write(QStringLiteral("marken.ini"),
              QStringLiteral("[Band]\nL\u00e4nge=1000\nBreite=150\nFontName=Liberation Sans\n"
                             "TextLinks=Ruhe\nKommission=Sag \"Adieu\" \\ Tsch\u00fcss\n"));
    const QString ini = settings(QString());
    const Result print =
        RunCliProgram({QStringLiteral("trace"), file, QStringLiteral("--settings"), ini});
    EXPECT_EQ(print.status, 0) << print.err.toStdString();
    const QStringList lines = print.out.split(QLatin1Char('\n'));
    EXPECT_EQ(lines.value(0), QStringLiteral("ribbon index=1 section=\"Band\""));
    const QString label = QStringLiteral("text=\"Sag \\\"Adieu\\\" \\\\ Tsch\u00fcss\"");
    for (const QString &expected :
         {QStringLiteral("font height=480 escapement=0 face=\"Liberation Sans\""),
          QStringLiteral("line x1=0 y1=40 x2=0 y2=120"),
          QStringLiteral("line x1=0 y1=1080 x2=0 y2=1160"),
          QStringLiteral("line x1=8000 y1=40 x2=8000 y2=120"),
          QStringLiteral("font height=20 escapement=900 face=\"Arial\""),
          QStringLiteral("textout x=8 y=600 align=center,top ") + label,
          QStringLiteral("textout x=7992 y=600 align=center,top ") + label})
        EXPECT_TRUE(lines.contains(expected)) << expected.toStdString();
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const QString &line) {
        return line.startsWith(QLatin1String("polygons count="));
    }));

    // As the preview draws it: millimetres, plain text, no marks.
    const Result preview = RunCliProgram({QStringLiteral("trace"), file, QStringLiteral("--scale"),
                                          QStringLiteral("1"), QStringLiteral("--flags"),
                                          QStringLiteral("12"), QStringLiteral("--settings"), ini});
    EXPECT_EQ(preview.status, 0);
    EXPECT_TRUE(preview.out.contains(
        QLatin1String("font height=60 escapement=0 face=\"Liberation Sans\"\n")));
    EXPECT_TRUE(preview.out.contains(QLatin1String("text=\"Ruhe\"")));
    EXPECT_FALSE(preview.out.contains(QLatin1String("\nline ")));
    EXPECT_FALSE(preview.out.contains(QLatin1String("Adieu")));
}

// An order system's UTF-8 file with names of every family: traced and
// printed with every letter in place, and the PDF's text says them too.
TEST_F(CliProcessTest, AUtf8OrderPrintsEveryName) {
    const QString names[] = {
        QStringLiteral("\u0141ucja D\u0105browska"),
        QStringLiteral("\u015E\u00FCkr\u00FC Y\u0131lmaz"),
        QStringLiteral("\u041E\u043B\u044C\u0433\u0430 \u0428\u043C\u0438\u0434\u0442")};
    data.writeFile(QStringLiteral("bestellung.ini"),
                   "\xEF\xBB\xBF" + QStringLiteral("[Bestellung \u0141\u00F3d\u017A]\r\n"
                                                   "FontName=DejaVu Sans\r\nTextLinks=%1\\\\%2\r\n"
                                                   "TextRechts=%3\r\n")
                                        .arg(names[0], names[1], names[2])
                                        .toUtf8());
    const QString file = data.filePath(QStringLiteral("bestellung.ini"));
    const QString ini = settings(QString());
    const Result trace = RunCliProgram({QStringLiteral("trace"), file, QStringLiteral("--flags"),
                                        QStringLiteral("12"), QStringLiteral("--settings"), ini});
    EXPECT_EQ(trace.status, 0) << trace.err.toStdString();
    EXPECT_TRUE(trace.out.startsWith(
        QStringLiteral("ribbon index=1 section=\"Bestellung \u0141\u00F3d\u017A\"")));
    for (const QString &name : names)
        EXPECT_TRUE(trace.out.contains(QStringLiteral("text=\"%1\"").arg(name)))
            << name.toStdString();

    const QString out = data.filePath(QStringLiteral("druck.pdf"));
    const Result print = RunCliProgram({QStringLiteral("print"), file, QStringLiteral("--pdf"), out,
                                        QStringLiteral("--settings"), ini,
                                        QStringLiteral("--methode"), QStringLiteral("3")});
    ASSERT_EQ(print.status, 0) << print.err.toStdString();
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {out, QStringLiteral("-")});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    for (const QString &name : names)
        EXPECT_TRUE(words.contains(name)) << words.toStdString();
}

// "Quer bündig" lines run across the ribbon, so each letter's advance is
// vertical: the left end reads downward, the right end upward. Files from
// Windows say "NT"; their letters must follow in reading order, on the ribbon.
TEST_F(CliProcessTest, NtSettingsDrawLettersInReadingOrder) {
    const QString file = write(QStringLiteral("quer.ini"),
                               QStringLiteral("[Quer]\nL\u00e4nge=1000\nBreite=170\nFontName=C059\n"
                                              "Stil=2\nTextLinks=ABCD\nTextRechts=ABCD\n"));
    struct Case {
        const char *general;
        bool readingOrder;
    };
    for (const Case c : {Case{"", true}, Case{"Version=NT\n", true}, Case{"Rasterizer=NT\n", true},
                         Case{"Version=NT\nRasterizer=9x\n", false}}) {
        SCOPED_TRACE(c.general);
        const QString ini = settings(QStringLiteral("[General]\n") + QLatin1String(c.general));
        const Result r =
            RunCliProgram({QStringLiteral("trace"), file, QStringLiteral("--settings"), ini});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
        static const QRegularExpression polygons(
            QStringLiteral("^polygons .* bbox=(-?\\d+),(-?\\d+),(-?\\d+),(-?\\d+)$"),
            QRegularExpression::MultilineOption);
        QVector<int> tops;
        bool onRibbon = true;
        for (const QRegularExpressionMatch &m : polygons.globalMatch(r.out)) {
            tops << m.captured(2).toInt();
            onRibbon = onRibbon && m.captured(2).toInt() >= 0 && m.captured(4).toInt() <= 1360;
        }
        // Left end first, then the right end.
        ASSERT_EQ(tops.size(), 8) << r.out.toStdString();
        for (int i = 1; i < 4; ++i) {
            EXPECT_EQ(tops[i] > tops[i - 1], c.readingOrder) << "left letter " << i;
            EXPECT_EQ(tops[4 + i] < tops[4 + i - 1], c.readingOrder) << "right letter " << i;
        }
        EXPECT_EQ(onRibbon, c.readingOrder);
    }
}

TEST_F(CliProcessTest, AMissingPictureOrFaceIsReported) {
    const QString file =
        write(QStringLiteral("bild.ini"),
              QStringLiteral("[Band]\nFontName=Liberation Sans\nTextLinks=Ruhe\n"
                             "BildNameLinks=taube.bmp\n"
                             "[Alt]\nFontName=Vellumo Gibt Es Nicht\nTextLinks=A\n"
                             "[Alt2]\nFontName=Vellumo Gibt Es Nicht\nTextLinks=B\n"));
    const Result r = RunCliProgram(
        {QStringLiteral("trace"), file, QStringLiteral("--settings"), settings(QString())});
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.err.contains(file + QStringLiteral(":1: Warnung: Bild \"taube.bmp\" fehlt")))
        << r.err.toStdString();
    // Once per face, naming the face that is drawn instead.
    static const QRegularExpression face(QStringLiteral(
        ":5: Warnung: Schriftart \u201EVellumo Gibt Es Nicht\u201C ist nicht installiert; "
        "verwendet wird \u201E[^\u201C]+\u201C\\.\n"));
    EXPECT_EQ(r.err.count(face), 1) << r.err.toStdString();
    EXPECT_EQ(r.err.count(QStringLiteral("Schriftart")), 1);
}

// The preview draws pictures from the window's thumbnails, printing from the
// files; a proof shows the picture either way.
TEST_F(CliProcessTest, ProofsShowThePictures) {
    ASSERT_TRUE(QDir(data.appFolder()).mkpath(QStringLiteral("Bilder")));
    QImage cross(64, 64, QImage::Format_RGB888);
    cross.fill(Qt::white);
    for (int i = 0; i < 64; ++i) {
        for (int t = 28; t < 36; ++t) {
            cross.setPixel(i, t, qRgb(0, 0, 0));
            cross.setPixel(t, i, qRgb(0, 0, 0));
        }
    }
    ASSERT_TRUE(cross.save(data.appFolder() + QStringLiteral("/Bilder/Kreuz.bmp"), "BMP"));
    // Rand 30 mm, then the picture's 40 mm; no text at all.
    const QString file = write(QStringLiteral("bild.ini"),
                               QStringLiteral("[Band]\nL\u00e4nge=500\nBreite=100\nRand=30\n"
                                              "BildNameLinks=kreuz.bmp\nBildBreiteLinks=40\n"));
    const QString ini = settings(QString());
    const QString out = data.filePath(QStringLiteral("bild.png"));
    for (const QStringList &mode : {QStringList{}, QStringList{QStringLiteral("--print")}}) {
        QFile::remove(out);
        const Result r =
            RunCliProgram(QStringList{QStringLiteral("render"), file, QStringLiteral("-o"), out,
                                      QStringLiteral("--dpi"), QStringLiteral("50"),
                                      QStringLiteral("--settings"), ini} +
                          mode);
        EXPECT_EQ(r.status, 0) << r.err.toStdString();
        EXPECT_FALSE(r.err.contains(QLatin1String("Warnung"))) << r.err.toStdString();
        const QImage image(out);
        ASSERT_FALSE(image.isNull());
        // Ink only where the picture lies: from 30 to 70 mm along the ribbon.
        int inside = 0, outside = 0;
        for (int x = 0; x < image.width(); ++x) {
            const double mm = x * 25.4 / 50;
            for (int y = image.height() / 8; y < image.height() * 7 / 8; ++y) {
                if (qGray(image.pixel(x, y)) >= 128)
                    continue;
                if (mm >= 29 && mm <= 71)
                    ++inside;
                else if (mm > 72 && mm < 495)  // the cut marks lie on the ends
                    ++outside;
            }
        }
        EXPECT_GT(inside, 50) << mode.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(outside, 0) << mode.join(QLatin1Char(' ')).toStdString();
    }
}

}  // namespace

namespace {

QString PdfText(const QString &path) {
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {path, QStringLiteral("-")});
    text.waitForFinished(60000);
    return QString::fromUtf8(text.readAllStandardOutput());
}

}  // namespace

// Order files printed and checked once, and two print services on one inbox:
// every order printed exactly once, both ending cleanly on SIGTERM.
TEST_F(CliProcessTest, OrdersAreImportedCheckedAndWatched) {
    const QString ini = settings(QStringLiteral("[Drucker]\nMethode=1\n"));
    const QByteArray csv =
        "Auftrag;Text links;Breite;L\xc3\xa4nge;Schrift;Schriftgr\xc3\xb6\xc3\x9f\x65\r\n"
        "4711;\"In Liebe\r\nFamilie \xc5\x9e\x61hin\";75;1000;DejaVu Sans;20\r\n"
        "4712;Ein viel zu langer Text f\xc3\xbcr eine kurze Schleife;75;200;DejaVu Sans;20\r\n";
    data.writeFile(QStringLiteral("bestellung.csv"), csv);
    const QString order = data.filePath(QStringLiteral("bestellung.csv"));

    const Result check = RunCliProgram({QStringLiteral("import"), order, QStringLiteral("--check"),
                                        QStringLiteral("--settings"), ini});
    EXPECT_EQ(check.status, 3) << check.err.toStdString();
    EXPECT_TRUE(
        check.out.startsWith(QStringLiteral("file=\"%1\" ribbon=2 section=\"4712\"").arg(order)))
        << check.out.toStdString();

    const QString pdfs = data.filePath(QStringLiteral("pdf"));
    QDir().mkpath(pdfs);
    // Order 4712 does not fit: nothing of the file is printed without --ja.
    const Result asked =
        RunCliProgram({QStringLiteral("import"), order, QStringLiteral("--pdf-dir"), pdfs,
                       QStringLiteral("--settings"), ini});
    EXPECT_EQ(asked.status, 1);
    EXPECT_TRUE(asked.err.contains(
        QLatin1String("Bei 1 Schleife passt der Text nicht: 2. Trotzdem drucken?")))
        << asked.err.toStdString();
    EXPECT_TRUE(QDir(pdfs).isEmpty());
    const Result print =
        RunCliProgram({QStringLiteral("import"), order, QStringLiteral("--pdf-dir"), pdfs,
                       QStringLiteral("--settings"), ini, QStringLiteral("--ja")});
    ASSERT_EQ(print.status, 0) << print.err.toStdString();
    EXPECT_TRUE(PdfText(pdfs + QStringLiteral("/bestellung.pdf"))
                    .contains(QStringLiteral("Familie \u015Eahin")));
    EXPECT_TRUE(QFile::exists(order));  // import leaves the file where it is

    // Two services on one inbox; the orders arrive while they watch.
    const QString inbox = data.filePath(QStringLiteral("Auftraege"));
    const QString out = data.filePath(QStringLiteral("aus"));
    QDir().mkpath(inbox);
    QDir().mkpath(out);
    std::vector<std::unique_ptr<QProcess>> services;
    for (int i = 0; i < 2; ++i) {
        services.push_back(std::make_unique<QProcess>());
        services.back()->start(QStringLiteral(VELLUMO_CLI),
                               {QStringLiteral("watch"), inbox, QStringLiteral("--pdf-dir"), out,
                                QStringLiteral("--settings"), ini});
        ASSERT_TRUE(services.back()->waitForStarted());
    }
    for (int i = 1; i <= 6; ++i) {
        const QString name = QStringLiteral("%1/auftrag%2.csv").arg(inbox).arg(i);
        QFile file(name + QStringLiteral(".tmp"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("Auftrag;Text links\r\n%1;Gru\u00df von Nummer %1\r\n")
                       .arg(100 + i)
                       .toUtf8());
        file.close();
        ASSERT_TRUE(QFile::rename(name + QStringLiteral(".tmp"), name));
    }
    // The order that does not fit waits in Fehler/ with the question as its reason.
    data.writeFile(QStringLiteral("Auftraege/zu-lang.csv"), csv);
    QDir printed(inbox + QStringLiteral("/Gedruckt"));
    const QString reason = inbox + QStringLiteral("/Fehler/zu-lang.csv.fehler.txt");
    for (int wait = 0;
         wait < 120 && (printed.entryList({QStringLiteral("*.ergebnis.txt")}).size() < 6 ||
                        !QFile::exists(reason));
         ++wait)
        QThread::msleep(250);
    QFile why(reason);
    ASSERT_TRUE(why.open(QIODevice::ReadOnly));
    EXPECT_TRUE(
        why.readAll().contains("Grund=Bei 1 Schleife passt der Text nicht: 2. Trotzdem drucken?"));
    EXPECT_EQ(printed.entryList({QStringLiteral("*.ergebnis.txt")}).size(), 6);
    QString all;
    for (const QString &pdf : QDir(out).entryList({QStringLiteral("*.pdf")}))
        all += PdfText(out + QLatin1Char('/') + pdf);
    for (int i = 1; i <= 6; ++i)
        EXPECT_EQ(all.count(QStringLiteral("Nummer %1").arg(100 + i)), 1) << i;

    QString log;
    for (const auto &service : services) {
        ::kill(pid_t(service->processId()), SIGTERM);
        ASSERT_TRUE(service->waitForFinished(30000));
        EXPECT_EQ(service->exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(service->exitCode(), 0);
        log += QString::fromUtf8(service->readAllStandardOutput());
    }
    EXPECT_EQ(log.count(QStringLiteral(": gedruckt, 1 Auftrag (")), 6) << log.toStdString();
}

// The calibration strip without the window: one page 510 mm long (the two
// lines 500 mm apart, 5 mm in from its ends), as wide as the paper or
// --width, with the instruction to measure; bad calls and bad input refused.
TEST_F(CliProcessTest, CalibrateWritesTheStripAsOnePage) {
    const QString out = data.filePath(QStringLiteral("strip.pdf"));
    const QString missing = data.filePath(QStringLiteral("fehlt/strip.pdf"));
    const QString settingsFile = settings(QStringLiteral("[Drucker]\nMethode=1\n"));
    struct Row {
        QStringList args;
        int status;
        double widthMm;    // of the page written, when status is 0
        const char *says;  // on stderr, when it is not
    };
    const QString calibrate = QStringLiteral("calibrate");
    const Row rows[] = {
        {{calibrate, QStringLiteral("--pdf"), out}, 0, 210, ""},
        {{calibrate, QStringLiteral("--pdf"), out, QStringLiteral("--width"),
          QStringLiteral("101,6"), QStringLiteral("--settings"), settingsFile},
         0,
         101.6,
         ""},
        {{calibrate, QStringLiteral("--pdf=") + out, QStringLiteral("--width=50")}, 0, 50, ""},
        {{calibrate}, 2, 0, "entweder --pdf"},
        {{calibrate, QStringLiteral("--pdf"), out, QStringLiteral("--printer"),
          QStringLiteral("Zebra")},
         2,
         0,
         "entweder --pdf"},
        {{calibrate, QStringLiteral("--pdf"), out, QStringLiteral("--width"), QStringLiteral("0")},
         2,
         0,
         "--width"},
        {{calibrate, QStringLiteral("--pdf"), out, QStringLiteral("--width"),
          QStringLiteral("4000")},
         2,
         0,
         "--width"},
        {{calibrate, QStringLiteral("--pdf"), out, ribbons()}, 2, 0, "keine Datei"},
        {{calibrate, QStringLiteral("--pdf"), out, QStringLiteral("--methode"),
          QStringLiteral("1")},
         2,
         0,
         "unbekannte Option"},
        {{calibrate, QStringLiteral("--pdf"), missing}, 1, 0, "Ordner fehlt"},
        {{calibrate, QStringLiteral("--pdf"), out, QStringLiteral("--settings"),
          data.filePath(QStringLiteral("nirgends.ini"))},
         1,
         0,
         "Einstellungsdatei"},
    };
    for (const Row &row : rows) {
        SCOPED_TRACE(qPrintable(row.args.join(QLatin1Char(' '))));
        QFile::remove(out);
        const Result r = RunCliProgram(row.args);
        EXPECT_EQ(r.status, row.status) << r.err.toStdString();
        if (row.status != 0) {
            EXPECT_TRUE(r.err.contains(QString::fromUtf8(row.says))) << r.err.toStdString();
            EXPECT_FALSE(QFile::exists(out));
            continue;
        }
        const QVector<QSizeF> pages = PdfPageSizes(out);
        ASSERT_EQ(pages.size(), 1);
        // The page in whole points: within 0.2 mm of the size planned.
        EXPECT_NEAR(pages[0].width() * 25.4 / 72, 510.0, 0.2);
        EXPECT_NEAR(pages[0].height() * 25.4 / 72, row.widthMm, 0.2);
        const QString text = PdfText(out);
        EXPECT_TRUE(text.contains(QStringLiteral("Kalibrierstreifen 500 mm")))
            << text.toStdString();
        EXPECT_TRUE(text.contains(
            QStringLiteral("Von Strich zu Strich messen und die L\u00e4nge eingeben.")))
            << text.toStdString();
    }
}
