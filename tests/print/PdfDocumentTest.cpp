#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "print/PdfDocument.h"
#include "tests/print/PrintTestSupport.h"

namespace {

constexpr int kDpi = 150;

QPageLayout A5Landscape() {
    return QPageLayout(QPageSize(QPageSize::A5), QPageLayout::Landscape, QMarginsF());
}

// One scene for any device: letters drawn as figures at many places (the
// way outline text comes), a framed rectangle, a clipped square, a picture
// with a transparent colour, turned and scaled text.
void DrawScene(QPainter &p) {
    QPainterPath letter;
    letter.setFillRule(Qt::OddEvenFill);
    letter.addPolygon(QPolygonF({{0, 0}, {30, 0}, {30, 40}, {0, 40}}));
    letter.addPolygon(QPolygonF({{8, 8}, {22, 8}, {22, 32}, {8, 32}}));
    p.setPen(QPen(Qt::black, 2));
    p.setBrush(QColor(200, 30, 30));
    for (int i = 0; i < 12; ++i)
        p.drawPath(letter.translated(40 + 45 * i, 60));

    p.setPen(Qt::NoPen);
    p.setBrush(Qt::blue);
    p.save();
    p.setClipRect(QRect(100, 200, 60, 60));
    p.drawRect(QRect(80, 180, 200, 200));  // only the clip's 60 x 60 shows
    p.restore();

    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(Qt::transparent);
    for (int y = 5; y < 15; ++y)
        for (int x = 0; x < 40; ++x)
            picture.setPixel(x, y, qRgb(0, 0, 0));
    p.drawImage(QRect(300, 200, 160, 80), picture);

    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(40);
    p.setFont(font);
    p.setPen(Qt::black);
    p.save();
    p.translate(700, 400);
    p.rotate(-90);
    p.scale(1.5, 1.5);
    p.drawText(QPointF(0, 0), QStringLiteral("Grüße"));
    p.restore();
}

bool HaveTool(const QString &tool) {
    QProcess probe;
    probe.start(tool, {QStringLiteral("-v")});
    return probe.waitForFinished(10000);
}

QByteArray RunTool(const QString &tool, const QStringList &args) {
    QProcess process;
    process.start(tool, args);
    process.waitForFinished(60000);
    return process.readAllStandardOutput();
}

// The file with its streams unpacked, as qpdf writes it.
QByteArray Unpacked(const QString &pdf, const QString &to) {
    RunTool(QStringLiteral("qpdf"), {QStringLiteral("--stream-data=uncompress"),
                                     QStringLiteral("--object-streams=disable"), pdf, to});
    QFile file(to);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Pixels darker than mid-grey in an 8-bit grey image.
int DarkPixels(const QImage &image, const QRect &area) {
    int dark = 0;
    const QImage &gray = image;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const uchar *row = gray.constScanLine(y);
        for (int x = area.left(); x <= area.right(); ++x)
            dark += row[x] < 160 ? 1 : 0;
    }
    return dark;
}

class PdfDocumentTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("scene.pdf"));

    void writeScene() {
        PdfDocument document(pdf, kDpi);
        document.setPageLayout(A5Landscape());
        QPainter p;
        ASSERT_TRUE(p.begin(&document));
        DrawScene(p);
        ASSERT_TRUE(document.newPage());
        DrawScene(p);
        ASSERT_TRUE(p.end());
        ExpectSoundPdf(pdf);
    }
};

// The PDF shows what a raster image of the same scene shows, wherever the
// ink is, and a figure that comes again is written only once.
TEST_F(PdfDocumentTest, PagesShowTheSceneWithRepeatedFiguresWrittenOnce) {
    if (!HaveTool(QStringLiteral("pdftoppm")))
        GTEST_SKIP() << "pdftoppm is missing";
    writeScene();
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    // The letter (24 times) and the square (once a page): two shapes.
    EXPECT_EQ(bytes.count("/Subtype /Form"), 2);
    EXPECT_EQ(bytes.count("/Type /Page "), 2);

    const QSize size = A5Landscape().fullRectPixels(kDpi).size();
    QImage expected(size, QImage::Format_RGB32);
    expected.fill(Qt::white);
    {
        QPainter p(&expected);
        DrawScene(p);
    }
    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QString::number(kDpi), QStringLiteral("-f"), QStringLiteral("2"),
             QStringLiteral("-singlefile"), QStringLiteral("-png"), pdf,
             dir.filePath(QStringLiteral("page"))});
    const QImage drawn =
        QImage(dir.filePath(QStringLiteral("page.png"))).convertToFormat(QImage::Format_Grayscale8);
    expected = expected.convertToFormat(QImage::Format_Grayscale8);
    ASSERT_FALSE(drawn.isNull());
    ASSERT_EQ(drawn.size(), expected.size());
    // Area by area: the ink agrees within the smoothing of the edges.
    const int cell = 50;
    for (int y = 0; y + cell <= size.height(); y += cell) {
        for (int x = 0; x + cell <= size.width(); x += cell) {
            const QRect area(x, y, cell, cell);
            const int want = DarkPixels(expected, area);
            EXPECT_NEAR(DarkPixels(drawn, area), want, 12 + want / 8) << "at " << x << "," << y;
        }
    }
}

// Text is kept as text: it can be found and copied, umlauts included.
TEST_F(PdfDocumentTest, TextCanBeSearched) {
    if (!HaveTool(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "pdftotext is missing";
    writeScene();
    const QString text =
        QString::fromUtf8(RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}));
    EXPECT_EQ(text.count(QStringLiteral("Grüße")), 2) << text.toStdString();
}

// Each line reads back as it was written, in a CFF face too: ligatures stand
// for all their letters, a soft hyphen for nothing (and does not stick to the
// letter after it), a line in two faces is one line.
TEST_F(PdfDocumentTest, TextReadsBackAsWritten) {
    if (!HaveTool(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "pdftotext is missing";
    struct Line {
        const char *face;
        QString text;
        QString read;
    };
    const std::vector<Line> lines = {
        {"EB Garamond", QStringLiteral("Schiffleute fliegen offiziell"), {}},
        {"Liberation Sans", QStringLiteral("Sa\u00ADnne"), QStringLiteral("Sanne")},
        {"Liberation Sans", QStringLiteral("nun kann Anna"), {}},
        {"Oldania ADF Std", QStringLiteral("Ruhe \u271D sanft"), {}},
    };
    {
        PdfDocument document(pdf, kDpi);
        document.setPageLayout(A5Landscape());
        QPainter p;
        ASSERT_TRUE(p.begin(&document));
        int y = 60;
        for (const Line &line : lines) {
            QFont font(QString::fromLatin1(line.face));
            font.setPixelSize(40);
            p.setFont(font);
            p.drawText(QPointF(40, y), line.text);
            y += 70;
        }
        ASSERT_TRUE(p.end());
    }
    ExpectSoundPdf(pdf);
    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll().contains("/FontFile3")) << "the CFF face is embedded";
    const QStringList read =
        QString::fromUtf8(RunTool(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")}))
            .split(QLatin1Char('\n'), Qt::SkipEmptyParts)
            .filter(QRegularExpression(QStringLiteral("\\S")));
    ASSERT_EQ(read.size(), qsizetype(lines.size())) << read.join(QLatin1Char('|')).toStdString();
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const QString want = lines[i].read.isEmpty() ? lines[i].text : lines[i].read;
        EXPECT_EQ(read[qsizetype(i)].trimmed(), want);
    }
}

// The thinnest pen is one pixel of a 600 dpi printer wide, not the device's
// own pixel; a picture thinner than that pixel is drawn that thick; a page
// names only what it draws; the file has an identifier.
TEST_F(PdfDocumentTest, ThinLinesAndPicturesStayVisible) {
    if (!HaveTool(QStringLiteral("qpdf")) || !HaveTool(QStringLiteral("pdftoppm")))
        GTEST_SKIP() << "qpdf or pdftoppm is missing";
    QImage rule(5000, 3, QImage::Format_RGB32);
    rule.fill(Qt::black);
    const double mm = kDpi / 25.4;
    {
        PdfDocument document(pdf, kDpi);
        document.setPageLayout(A5Landscape());
        QPainter p;
        ASSERT_TRUE(p.begin(&document));
        p.drawImage(QRectF(20 * mm, 20 * mm, 60 * mm, 60 * mm * 3 / 5000), rule);
        ASSERT_TRUE(document.newPage());
        p.setPen(QPen(Qt::black, 0));
        p.drawLine(QPointF(20 * mm, 40 * mm), QPointF(80 * mm, 40 * mm));
        ASSERT_TRUE(p.end());
    }
    ExpectSoundPdf(pdf);
    const QByteArray bytes = Unpacked(pdf, dir.filePath(QStringLiteral("plain.pdf")));
    EXPECT_TRUE(bytes.contains("\n0.25 w\n")) << "150 dpi pixels, a quarter of one";
    EXPECT_FALSE(bytes.contains("\n0 w\n"));
    EXPECT_TRUE(bytes.contains("/ID ["));
    QFile raw(pdf);
    ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
    const QList<QByteArray> pages = raw.readAll().split('\n').toList();
    QList<QByteArray> pageDictionaries;
    for (const QByteArray &line : pages) {
        if (line.contains("/Type /Page "))
            pageDictionaries.append(line);
    }
    ASSERT_EQ(pageDictionaries.size(), 2);
    EXPECT_TRUE(pageDictionaries[0].contains("/XObject"));
    EXPECT_FALSE(pageDictionaries[1].contains("/XObject"));

    RunTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("600"), QStringLiteral("-f"), QStringLiteral("1"),
             QStringLiteral("-l"), QStringLiteral("1"), QStringLiteral("-singlefile"),
             QStringLiteral("-gray"), QStringLiteral("-png"), pdf,
             dir.filePath(QStringLiteral("rule"))});
    const QImage drawn =
        QImage(dir.filePath(QStringLiteral("rule.png"))).convertToFormat(QImage::Format_Grayscale8);
    ASSERT_FALSE(drawn.isNull());
    EXPECT_GT(DarkPixels(drawn, QRect(QPoint(0, 0), QSize(drawn.width(), 1200))), 1000);
}

// Page sizes in points as pdfinfo reports them.
QList<QSize> PageSizes(const QString &pdf) {
    const QString info = QString::fromLatin1(
        RunTool(QStringLiteral("pdfinfo"), {QStringLiteral("-f"), QStringLiteral("1"),
                                            QStringLiteral("-l"), QStringLiteral("99"), pdf}));
    static const QRegularExpression size(
        QStringLiteral("Page\\s+\\d+ size:\\s+(\\d+) x (\\d+) pts"));
    QList<QSize> sizes;
    for (auto it = size.globalMatch(info); it.hasNext();) {
        const auto m = it.next();
        sizes.append(QSize(m.captured(1).toInt(), m.captured(2).toInt()));
    }
    return sizes;
}

// Pages of a size each, every one with a word and a picture of its own (the
// middle one's partly transparent) and figures that all pages share: any run
// of them is a PDF holding only its pages, their pictures and the glyphs of
// their words.
TEST_F(PdfDocumentTest, ARunOfPagesIsAPdfOfItsOwn) {
    if (!HaveTool(QStringLiteral("pdfinfo")) || !HaveTool(QStringLiteral("qpdf")) ||
        !HaveTool(QStringLiteral("pdftotext")))
        GTEST_SKIP() << "pdfinfo, qpdf or pdftotext is missing";
    const QStringList words = {QStringLiteral("Alpha"), QStringLiteral("Beta"),
                               QStringLiteral("Gamma")};
    const QList<QSize> points = {{595, 420}, {298, 420}, {283, 850}};
    PdfDocument document(pdf, kDpi);
    EXPECT_EQ(document.pageCount(), 0);
    EXPECT_FALSE(document.writePages(dir.filePath(QStringLiteral("early.pdf")), 0, 0).isEmpty())
        << "nothing is written before the document ends";
    {
        QPainter p;
        for (int i = 0; i < 3; ++i) {
            document.setPageLayout(QPageLayout(
                QPageSize(points[i], QPageSize::Point, QString(), QPageSize::ExactMatch),
                QPageLayout::Portrait, QMarginsF()));
            if (i == 0)
                ASSERT_TRUE(p.begin(&document));
            else
                ASSERT_TRUE(document.newPage());
            p.setPen(Qt::NoPen);
            p.setBrush(Qt::black);
            QPainterPath letter;
            letter.addPolygon(QPolygonF({{0, 0}, {30, 0}, {15, 40}}));
            for (int k = 0; k < 3; ++k)
                p.drawPath(letter.translated(20 + 40 * k, 20));
            QImage picture(8, 8, i == 1 ? QImage::Format_ARGB32 : QImage::Format_RGB32);
            picture.fill(QColor(40 * i, 0, 0, i == 1 ? 128 : 255));
            p.drawImage(QRect(20, 80, 80, 80), picture);
            QFont font(QStringLiteral("Liberation Sans"));
            font.setPixelSize(30);
            p.setFont(font);
            p.setPen(Qt::black);
            p.drawText(QPointF(20, 220), words[i]);
        }
        ASSERT_TRUE(p.end());
    }
    ExpectSoundPdf(pdf);
    ASSERT_EQ(document.pageCount(), 3);

    struct Case {
        int first, last;
        int images;  // picture objects: the middle page's has a mask of its own
    };
    const Case cases[] = {{0, 0, 1}, {1, 2, 3}, {2, 2, 1}, {0, 2, 4}};
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.first << "-" << c.last);
        const QString job = dir.filePath(QStringLiteral("job%1-%2.pdf").arg(c.first).arg(c.last));
        ASSERT_EQ(document.writePages(job, c.first, c.last), QString());
        ExpectSoundPdf(job);
        EXPECT_EQ(PageSizes(job), points.mid(c.first, c.last - c.first + 1));
        QFile file(job);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        EXPECT_EQ(bytes.count("/Subtype /Image"), c.images);
        EXPECT_EQ(bytes.count("/Subtype /Form"), 1) << "the shared figure";

        const QString text = PdfText(job);
        const QByteArray plain = Unpacked(job, job + QStringLiteral(".plain"));
        QString shown;
        for (int i = 0; i < 3; ++i) {
            const bool in = i >= c.first && i <= c.last;
            EXPECT_EQ(text.contains(words[i]), in) << qPrintable(words[i]);
            if (in)
                shown += words[i];
        }
        // The font carries the letters of these pages' words and no others.
        for (const QChar letter : words.join(QString())) {
            const QByteArray entry =
                " <" + QByteArray::number(letter.unicode(), 16).toUpper().rightJustified(4, '0') +
                ">\n";
            EXPECT_EQ(plain.contains(entry), shown.contains(letter)) << qPrintable(QString(letter));
        }
    }

    const QString nowhere = dir.filePath(QStringLiteral("missing/job.pdf"));
    const struct {
        QString path;
        int first, last;
    } refused[] = {{dir.filePath(QStringLiteral("bad1.pdf")), 2, 3},
                   {dir.filePath(QStringLiteral("bad2.pdf")), -1, 0},
                   {dir.filePath(QStringLiteral("bad3.pdf")), 2, 1},
                   {nowhere, 0, 0}};
    for (const auto &r : refused) {
        SCOPED_TRACE(testing::Message() << qPrintable(r.path) << " " << r.first << "-" << r.last);
        EXPECT_FALSE(document.writePages(r.path, r.first, r.last).isEmpty());
    }
}

// A write that fails (a full disk) is reported by the next page or when the
// document ends, and the document says why.
TEST_F(PdfDocumentTest, AFailedWriteIsReported) {
    if (!QFile::exists(QStringLiteral("/dev/full")))
        GTEST_SKIP() << "no /dev/full";
    PdfDocument document(QStringLiteral("/dev/full"), kDpi);
    document.setPageLayout(A5Landscape());
    EXPECT_TRUE(document.errorString().isEmpty());
    QPainter p;
    if (p.begin(&document)) {
        bool paged = true;
        for (int page = 0; page < 50 && paged; ++page) {
            DrawScene(p);
            paged = document.newPage();
        }
        EXPECT_FALSE(paged);
        EXPECT_FALSE(p.end());
    }
    EXPECT_EQ(document.errorString(), QStringLiteral("Der Datentr\u00e4ger ist voll."));
}

}  // namespace
