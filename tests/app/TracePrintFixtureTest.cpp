#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>

#include "app/cli/Cli.h"
#include "tests/support/TempDataFolder.h"

// Fixture folders under data/trace-print: ribbons.ini, an optional
// settings.ini, and for each run an expected-<options>.txt with the page
// lines that run must give. The file name names the options: for example
// expected-methode-4-from-2-to-3.txt runs --methode 4 --from 2 --to 3. Every
// run uses a printable area of 210 x 297 mm at 600 dpi.

namespace {

const QString kData =
    QFileInfo(QStringLiteral(__FILE__)).absolutePath() + QStringLiteral("/data/trace-print");

struct FixtureRun {
    QString folder;
    QString expected;  // file name inside the folder
};

void PrintTo(const FixtureRun &run, std::ostream *os) {
    *os << (run.folder + QLatin1Char('/') + run.expected).toStdString();
}

std::vector<FixtureRun> AllRuns() {
    std::vector<FixtureRun> runs;
    const QDir root(kData);
    for (const QString &folder : root.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
        const QDir dir(root.filePath(folder));
        for (const QString &file :
             dir.entryList({QStringLiteral("expected-*.txt")}, QDir::Files, QDir::Name))
            runs.push_back({folder, file});
    }
    return runs;
}

QStringList OptionsOf(const QString &expectedFile) {
    QStringList options;
    static const QRegularExpression pair(QStringLiteral("-([a-z]+)-(\\d+)"));
    const QString stem = expectedFile.mid(8).chopped(4);  // between "expected" and ".txt"
    for (const QRegularExpressionMatch &m : pair.globalMatch(stem))
        options << QStringLiteral("--") + m.captured(1) << m.captured(2);
    return options;
}

QString ReadText(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readAll());
}

class TracePrintFixture : public ::testing::TestWithParam<FixtureRun> {
protected:
    TempDataFolder data;
};

TEST_P(TracePrintFixture, PageLinesMatch) {
    const FixtureRun &run = GetParam();
    const QDir dir(kData + QLatin1Char('/') + run.folder);
    QString settings = dir.filePath(QStringLiteral("settings.ini"));
    if (!QFile::exists(settings)) {
        settings = data.filePath(QStringLiteral("leer.ini"));
        data.writeFile(QStringLiteral("leer.ini"), QByteArray());
    }
    QStringList args{QStringLiteral("trace-print"), dir.filePath(QStringLiteral("ribbons.ini")),
                     QStringLiteral("--page"),      QStringLiteral("210x297@600"),
                     QStringLiteral("--settings"),  settings};
    args << OptionsOf(run.expected);

    QString out, err;
    QTextStream outStream(&out), errStream(&err);
    const int status = RunCli(args, outStream, errStream);
    outStream.flush();
    errStream.flush();
    EXPECT_EQ(status, 0) << err.toStdString();

    QStringList pageLines;
    for (const QString &line : out.split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("page ")) || line.startsWith(QLatin1String("skipped ")) ||
            line.startsWith(QLatin1String("pages ")))
            pageLines << line;
    }
    const QString expected = ReadText(dir.filePath(run.expected));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(pageLines.join(QLatin1Char('\n')) + QLatin1Char('\n'), expected);
    // A run that left ribbons out says so in the window's words.
    EXPECT_EQ(expected.contains(QLatin1String("skipped ")),
              err.contains(QLatin1String("unterschiedlich breit")));
}

std::string RunName(const ::testing::TestParamInfo<FixtureRun> &info) {
    QString name = info.param.folder + QLatin1Char('_') + info.param.expected.chopped(4);
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]")), QStringLiteral("_"));
    return name.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Fixtures, TracePrintFixture, ::testing::ValuesIn(AllRuns()), RunName);

}  // namespace
