#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "print/PagePreview.h"
#include "print/PrintCommand.h"
#include "tests/print/PrintTestSupport.h"
#include "tests/support/PrintNow.h"

namespace {

// The preview runs the print method itself: for every method its pages are
// the pages printing puts on paper, with the same sizes, metrics and drawing.
TEST(PagePreviewTest, PagesAreThePrintedPagesOfEveryMethod) {
    PrintFixture f;
    f.addJob(1000, 170);
    f.addJob(800, 140);  // another width: left out
    f.addJob(600, 170, Center);
    f.setDrucker("Papiervorschub", 300);
    for (int methode = 0; methode <= 4; ++methode) {
        SCOPED_TRACE(methode);
        RecordingPrinter real(PrintFixture::a4With280());
        real.selectPrinter(0);
        PagePreview preview(real, f.run(), PrintSettingsNow(methode), f.context());
        EXPECT_TRUE(real.pages().empty());  // nothing reached the real printer

        RecordingPrinter printed(PrintFixture::a4With280());
        printed.selectPrinter(0);
        PrintRun run = f.run();
        RunPrintMethod(printed, run, methode);
        const auto pages = printed.printedPages();
        ASSERT_EQ(preview.pages().size(), pages.size());
        ASSERT_EQ(preview.leftOut().size(), 1);
        EXPECT_EQ(preview.leftOut().front()->Breite, 140);
        double paper = 0;
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const PagePreview::Page &shown = preview.pages()[i];
            EXPECT_EQ(shown.lengthMm, pages[i]->widthMm);
            EXPECT_EQ(shown.widthMm, pages[i]->heightMm);
            EXPECT_EQ(shown.role, pages[i]->role);
            paper += pages[i]->widthMm;
        }
        EXPECT_DOUBLE_EQ(preview.paperLengthMm(), paper);
        // A feed page first, then the ribbons.
        EXPECT_EQ(preview.pages().front().role, PageRole::Feed);
        if (methode == 2 || methode == 3) {
            EXPECT_EQ(preview.pages()[1].role, PageRole::Start);
            EXPECT_EQ(preview.pages()[2].role, PageRole::Filler);
        }
    }
}

// What a preview page shows is drawn from the recorded page: the ribbon's
// letters appear as ink.
TEST(PagePreviewTest, ADrawnPageShowsTheInk) {
    PrintFixture f;
    f.addJob(250, 170);
    RecordingPrinter real(PrintFixture::a4With280());
    real.selectPrinter(0);
    PagePreview preview(real, f.run(), PrintSettingsNow(4), f.context());
    ASSERT_EQ(preview.pages().size(), 1u);
    const PagePreview::Page &page = preview.pages().front();
    EXPECT_EQ(page.role, PageRole::Sheet);
    const double pxPerMm = 2;
    QImage image(int(page.lengthMm * pxPerMm), int(page.widthMm * pxPerMm), QImage::Format_RGB32);
    image.fill(Qt::gray);
    {
        QPainter painter(&image);
        preview.drawPage(0, painter, pxPerMm);
    }
    int ink = 0, white = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb p = image.pixel(x, y);
            ink += qGray(p) < 64;
            white += p == qRgb(255, 255, 255);
        }
    }
    EXPECT_GT(ink, 100);
    EXPECT_GT(white, image.width() * image.height() / 2);
}

}  // namespace
