#include <gtest/gtest.h>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QStatusBar>

#include "model/Job.h"
#include "render/Pictures.h"
#include "render/RecordingCanvas.h"
#include "render/ThumbnailCache.h"
#include "render/Typefaces.h"
#include "tests/support/TempDataFolder.h"
#include "tests/ui/MainWindowFixture.h"
#include "ui/JobListDelegate.h"
#include "ui/PictureCatalogueLoader.h"

namespace {

QRect DeviceRibbon(const CanvasMapping &mapping, int laenge, int breite) {
    const QPoint topLeft = mapping.logicalToDevice(QPoint(0, 0));
    const QPoint bottomRight = mapping.logicalToDevice(QPoint(laenge, breite));
    return QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y()));
}

TEST(JobItemMapping, LongRibbonIsLimitedByTheItemHeight) {
    const QRect item(0, 140, 463, 70);
    const CanvasMapping mapping = JobItemMapping(1000, 170, item);
    EXPECT_EQ(mapping.windowExt(), QSize(1111, 188));
    const QRect ribbon = DeviceRibbon(mapping, 1000, 170);
    EXPECT_EQ(ribbon.size(), QSize(373, 63));
    // Centred in the item, both ways.
    EXPECT_EQ(ribbon.left(), (463 - 373) / 2);
    EXPECT_EQ(ribbon.top(), 140 + (70 - 63) / 2);
}

TEST(JobItemMapping, VeryLongRibbonIsLimitedByTheItemWidth) {
    const QRect item(0, 0, 463, 70);
    const CanvasMapping mapping = JobItemMapping(3200, 150, item);
    EXPECT_EQ(mapping.windowExt(), QSize(3555, 166));
    const QRect ribbon = DeviceRibbon(mapping, 3200, 150);
    EXPECT_EQ(ribbon.size(), QSize(417, 20));
    EXPECT_EQ(ribbon.left(), (463 - 417) / 2);
    EXPECT_EQ(ribbon.top(), (70 - 20) / 2);
}

TEST(JobItemMapping, RibbonWithoutWidthOrWithAbsurdLengthStillMaps) {
    const QRect item(0, 0, 463, 70);
    const CanvasMapping flat = JobItemMapping(1000, 0, item);
    EXPECT_EQ(DeviceRibbon(flat, 1000, 0).height(), 0);
    const CanvasMapping huge = JobItemMapping(2'000'000'000, 170, item);
    EXPECT_GT(huge.windowExt().width(), 0) << "no overflow in the tenth added";
    EXPECT_LE(DeviceRibbon(huge, 2'000'000'000, 170).width(), 463);
}

struct ItemDrawing {
    QVector<CanvasOp> ops;
};

ItemDrawing DrawItem(bool selected, int colorDepth) {
    TJob job;
    job.Laenge = 1000;
    job.Breite = 170;
    job.FontFarbe = 0x0100000D;
    job.Shadow = false;
    job.TextLeft.set({QStringLiteral("Ruhe")});
    RecordingCanvas canvas;
    DrawJobItem(RenderContext(), canvas, job, QRect(0, 70, 463, 70), selected, colorDepth);
    return ItemDrawing{canvas.ops()};
}

TEST(DrawJobItem, FillsTheItemWhiteAndTheRibbonByItsSelection) {
    const auto ribbonFill = [](const ItemDrawing &drawing) {
        for (const CanvasOp &op : drawing.ops) {
            if (op.kind == CanvasOp::Kind::Rectangle && op.rect == QRect(0, 0, 1000, 170))
                return op.brushColour;
        }
        ADD_FAILURE() << "no ribbon outline";
        return ColorRef(0xFFFFFFFF);
    };
    const ItemDrawing plain = DrawItem(false, 24);
    ASSERT_FALSE(plain.ops.isEmpty());
    EXPECT_EQ(plain.ops.first().kind, CanvasOp::Kind::FillRect);
    EXPECT_EQ(plain.ops.first().rect, QRect(0, 70, 463, 70));
    EXPECT_EQ(plain.ops.first().colour, RgbColor(255, 255, 255));
    EXPECT_EQ(ribbonFill(plain), RgbColor(255, 255, 255));
    EXPECT_EQ(ribbonFill(DrawItem(true, 24)), RgbColor(255, 255, 208));
    EXPECT_EQ(ribbonFill(DrawItem(true, 8)), RgbColor(255, 255, 0));
}

TEST(DrawJobItem, DrawsTheTextInTheRibbonsColourClippedToTheItem) {
    const ItemDrawing drawing = DrawItem(false, 24);
    bool clipped = false;
    bool text = false;
    for (const CanvasOp &op : drawing.ops) {
        if (op.kind == CanvasOp::Kind::SetClipRect && !op.rect.isNull()) {
            clipped = true;
            const QPoint top = op.mapping.logicalToDevice(op.rect.topLeft());
            EXPECT_NEAR(top.y(), 70, 1);
        }
        if (op.kind == CanvasOp::Kind::TextOut && op.text.contains(QStringLiteral("Ruhe"))) {
            text = true;
            EXPECT_TRUE(clipped) << "text before the clip";
            EXPECT_EQ(op.textColour, 0x0100000Du);
        }
    }
    EXPECT_TRUE(clipped);
    EXPECT_TRUE(text);
}

class PictureListTest : public ::testing::Test {
protected:
    void Write(const QString &name, const QImage &picture) {
        QDir(data.appFolder()).mkpath(QStringLiteral("Bilder"));
        ASSERT_TRUE(picture.save(data.appFolder() + QStringLiteral("/Bilder/") + name, "BMP"));
    }
    void WriteBytes(const QString &name, const QByteArray &bytes) {
        QDir(data.appFolder()).mkpath(QStringLiteral("Bilder"));
        data.writeFile(QStringLiteral("Bilder/") + name, bytes);
    }
    static QImage Half(bool left) {
        QImage picture(80, 40, QImage::Format_RGB888);
        for (int y = 0; y < 40; ++y) {
            for (int x = 0; x < 80; ++x) {
                const bool ink = left ? x < 40 : y < 20;
                picture.setPixel(x, y, ink ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
            }
        }
        return picture;
    }

    TempDataFolder data;
};

TEST_F(PictureListTest, BrokenFileIsLeftOutAndTheOthersKeepTheirThumbnails) {
    Write(QStringLiteral("b-links.bmp"), Half(true));
    WriteBytes(QStringLiteral("C-kaputt.BMP"), QByteArray("BM this is no bitmap at all"));
    Write(QStringLiteral("d-oben.Bmp"), Half(false));
    Write(QStringLiteral("A-oben.bmp"), Half(false));
    WriteBytes(QStringLiteral("e-notiz.txt"), QByteArray("no picture"));
    Write(QStringLiteral(".versteckt.bmp"), Half(true));

    PictureCatalogue catalogue;
    LoadPictureCatalogue(catalogue);
    ASSERT_EQ(catalogue.files,
              (QStringList{QString(), QStringLiteral("A-oben.bmp"), QStringLiteral("b-links.bmp"),
                           QStringLiteral("d-oben.Bmp")}));
    ASSERT_EQ(catalogue.thumbnails.size(), catalogue.files.size());
    EXPECT_EQ(catalogue.thumbnails.at(0), NoPictureThumbnail());
    EXPECT_EQ(catalogue.thumbnails.at(1), PictureThumbnail(Half(false)));
    EXPECT_EQ(catalogue.thumbnails.at(2), PictureThumbnail(Half(true)));
    EXPECT_EQ(catalogue.thumbnails.at(3), PictureThumbnail(Half(false)));
    EXPECT_NE(catalogue.thumbnails.at(2), catalogue.thumbnails.at(3));

    // The next start takes the thumbnails of unchanged files from the cache:
    // a file of the same size and time is not read again ...
    const QString changed = PictureFolder() + QStringLiteral("b-links.bmp");
    const QDateTime time = QFileInfo(changed).lastModified();
    Write(QStringLiteral("b-links.bmp"), Half(false));
    QFile file(changed);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(time, QFileDevice::FileModificationTime));
    file.close();
    LoadPictureCatalogue(catalogue);
    EXPECT_EQ(catalogue.thumbnails.at(2), PictureThumbnail(Half(true)));
    // ... one with another time is; and a damaged cache is no cache.
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(time.addSecs(5), QFileDevice::FileModificationTime));
    file.close();
    QFile cache(ThumbnailCache::defaultPath());
    ASSERT_TRUE(cache.open(QIODevice::ReadWrite));
    ASSERT_TRUE(cache.resize(cache.size() / 2));
    cache.close();
    LoadPictureCatalogue(catalogue);
    ASSERT_EQ(catalogue.files.size(), 4);
    EXPECT_EQ(catalogue.thumbnails.at(1), PictureThumbnail(Half(false)));
    EXPECT_EQ(catalogue.thumbnails.at(2), PictureThumbnail(Half(false)));
}

TEST_F(PictureListTest, ThumbnailIsTheInkFittedAndCentred) {
    const QImage thumbnail = PictureThumbnail(Half(true));
    ASSERT_EQ(thumbnail.size(), QSize(64, 64));
    // 80 x 40 fits as 64 x 32, centred from row 16: left half ink.
    EXPECT_EQ(thumbnail.pixel(10, 30), qRgb(0, 0, 0));
    EXPECT_EQ(thumbnail.pixel(50, 30), qRgb(255, 255, 255));
    EXPECT_EQ(thumbnail.pixel(10, 5), qRgb(255, 255, 255));
    EXPECT_EQ(thumbnail.pixel(10, 58), qRgb(255, 255, 255));

    const QImage none = NoPictureThumbnail();
    EXPECT_EQ(none.pixel(0, 0), qRgb(128, 128, 128));
    EXPECT_EQ(none.pixel(63, 63), qRgb(128, 128, 128));
    EXPECT_EQ(none.pixel(63, 0), qRgb(128, 128, 128));
    EXPECT_EQ(none.pixel(32, 32), qRgb(255, 255, 255));
}

TEST_F(PictureListTest, MissingFolderLeavesOnlyNoPicture) {
    PictureCatalogue catalogue;
    LoadPictureCatalogue(catalogue);
    EXPECT_EQ(catalogue.files, QStringList{QString()});
    EXPECT_EQ(catalogue.thumbnails.size(), 1);
}

class PictureListWindowTest : public MainWindowFixture {};

TEST_F(PictureListWindowTest, ListShowsNoPictureFirstAndTheNamesInOrder) {
    WritePicture(QStringLiteral("zweig.bmp"), 10, 10, [](int x, int) { return x < 5; });
    WritePicture(QStringLiteral("Anker.bmp"), 10, 10, [](int, int y) { return y < 5; });
    Start();
    auto *list = Child<QListWidget>("LBGraphic");
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("Ohne Bild"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("Anker.bmp"));
    EXPECT_EQ(list->item(2)->text(), QStringLiteral("zweig.bmp"));
}

TEST_F(PictureListWindowTest, TypefaceListHoldsThePrintableFamiliesAndNamesMissingFaces) {
    StoreFormat(0, QStringLiteral("Trauer"),
                [](TJob &job) { job.FontName.set(QStringLiteral("Old Germen")); });
    StoreFormatCount(1);
    Start();
    auto *faces = Child<QComboBox>("CBFontName");
    ASSERT_GT(faces->count(), 0);
    QStringList names;
    for (int i = 0; i < faces->count(); ++i)
        names.append(faces->itemText(i));
    EXPECT_EQ(names, PrintableFamilies());
    EXPECT_FALSE(names.contains(QStringLiteral("Symbol")));
    EXPECT_FALSE(names.contains(QStringLiteral("Wingdings")));
    // Nor faces without the Latin letters (symbol-encoded ones), where installed.
    for (const char *symbols : {"Standard Symbols PS", "D050000L", "Dingbats"})
        EXPECT_FALSE(names.contains(QLatin1String(symbols))) << symbols;
    // Marigold is not installed here; the first ribbon takes Arial, or the
    // installed face that stands in for it.
    EXPECT_FALSE(names.contains(QStringLiteral("Marigold")));
    const ResolvedFace &arial = ResolveFace(QStringLiteral("Arial"));
    EXPECT_EQ(faces->currentText(), arial.installed ? QStringLiteral("Arial") : arial.family);

    // A ribbon in a face that is not installed: the list shows the face drawn
    // in its place and the status bar says so.
    const ResolvedFace &substitute = ResolveFace(QStringLiteral("Old Germen"));
    ASSERT_FALSE(substitute.installed);
    for (QAction *action : form->findChild<QMenu *>(QStringLiteral("MenuDatei"))->actions()) {
        if (action->text() == QStringLiteral("&1 Trauer"))
            action->trigger();
    }
    Settle();
    EXPECT_EQ(form->currentJob()->FontName.str(), QStringLiteral("Old Germen"));
    EXPECT_EQ(faces->currentText(), substitute.family);
    EXPECT_EQ(form->statusBar()->currentMessage().trimmed(),
              QStringLiteral("Schriftart \u201EOld Germen\u201C ist nicht installiert; verwendet "
                             "wird \u201E") +
                  substitute.family + QStringLiteral("\u201C."));
}

}  // namespace
