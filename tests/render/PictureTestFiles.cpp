#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QtEndian>

#include "model/Job.h"
#include "render/Pictures.h"
#include "render/RecordingCanvas.h"
#include "render/RenderState.h"
#include "tests/support/TempDataFolder.h"

namespace {

const QRgb White = qRgb(255, 255, 255);
const QRgb Black = qRgb(0, 0, 0);

QImage Sample() {
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(White);
    image.setPixel(1, 2, Black);
    image.setPixel(5, 0, qRgb(200, 10, 10));
    return image;
}

QByteArray BmpBytes(const QImage &image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.convertToFormat(QImage::Format_RGB888).save(&buffer, "BMP");
    return bytes;
}

// A picture folder in a temporary data folder, with the catalogue emptied
// before and after.
class PictureFolderTest : public testing::Test {
protected:
    void SetUp() override {
        QDir().mkpath(data_.appFolder() + QStringLiteral("/Bilder"));
        PictureFiles = PictureCatalogue();
    }
    void TearDown() override { PictureFiles = PictureCatalogue(); }

    void writePicture(const QString &name, const QByteArray &bytes) {
        data_.writeFile(QStringLiteral("Bilder/") + name, bytes);
    }

    TempDataFolder data_;
};

TEST_F(PictureFolderTest, PrinterPathMatchesNamesWithoutRegardToCase) {
    EXPECT_EQ(PictureFolder(), data_.appFolder() + QStringLiteral("/Bilder/"));
    const QImage sample = Sample();
    writePicture(QStringLiteral("Rose.bmp"), BmpBytes(sample));
    for (const char *name : {"Rose.bmp", "ROSE.BMP", "rose.Bmp"}) {
        QImage bitmap;
        LoadPicture(QString::fromLatin1(name), DrawPrintColors, bitmap);
        ASSERT_FALSE(bitmap.isNull()) << name;
        EXPECT_EQ(bitmap.convertToFormat(QImage::Format_RGB32), sample) << name;
    }

    // With two spellings on disk the exact one wins.
    QImage other = Sample();
    other.fill(Black);
    writePicture(QStringLiteral("ROSE.BMP"), BmpBytes(other));
    QImage bitmap;
    LoadPicture(QStringLiteral("ROSE.BMP"), DrawPrintColors, bitmap);
    EXPECT_EQ(bitmap.convertToFormat(QImage::Format_RGB32), other);
    LoadPicture(QStringLiteral("Rose.bmp"), DrawPrintColors, bitmap);
    EXPECT_EQ(bitmap.convertToFormat(QImage::Format_RGB32), sample);
}

TEST_F(PictureFolderTest, MissingNamesAndFoldersGiveNothing) {
    writePicture(QStringLiteral("Rose.bmp"), BmpBytes(Sample()));
    data_.writeFile(QStringLiteral("Outside.bmp"), BmpBytes(Sample()));
    QImage bitmap = Sample();
    for (const char *name : {"", "Lilie.bmp", "../Outside.bmp", "Rose"}) {
        LoadPicture(QString::fromLatin1(name), DrawPrintColors, bitmap);
        EXPECT_TRUE(bitmap.isNull()) << name;
    }
}

// Bitmap headers that promise more than the file holds.
QByteArray WithHeader(QByteArray bytes, int offset, qint32 value) {
    qToLittleEndian<qint32>(value, reinterpret_cast<uchar *>(bytes.data()) + offset);
    return bytes;
}

TEST_F(PictureFolderTest, BrokenBitmapsDrawNothing) {
    const QByteArray good = BmpBytes(Sample());
    ASSERT_GT(good.size(), 54);
    const struct {
        const char *name;
        QByteArray bytes;
    } broken[] = {
        {"empty.bmp", QByteArray()},
        {"short.bmp", good.left(20)},
        {"truncated.bmp", good.left(good.size() - 10)},
        {"huge.bmp", WithHeader(WithHeader(good, 18, 100000), 22, 100000)},
        {"negwidth.bmp", WithHeader(good, 18, -6)},
        {"nobits.bmp", WithHeader(good, 10, 0x7FFFFFFF)},
        {"garbage.bmp", QByteArray("BM") + QByteArray(200, '\xff')},
        {"notbmp.bmp", QByteArray("\x89PNG\r\n\x1a\n") + QByteArray(100, '\0')},
    };
    for (const auto &b : broken) {
        const QString name = QString::fromLatin1(b.name);
        writePicture(name, b.bytes);
        QImage bitmap = Sample();
        LoadPicture(name, DrawPrintColors, bitmap);
        EXPECT_TRUE(bitmap.isNull()) << b.name;
        RecordingCanvas canvas;
        TJob job;
        DrawPicture(job, canvas, bitmap, LRect{0, -100, 40, 200}, DrawPrintColors, 0, 0, 0);
        EXPECT_TRUE(canvas.ops().isEmpty()) << b.name;
    }
}

TEST_F(PictureFolderTest, PreviewPathTakesTheThumbnailOnWhite) {
    QImage thumbnail(64, 64, QImage::Format_ARGB32);
    thumbnail.fill(Qt::transparent);
    thumbnail.setPixel(10, 20, Black);
    PictureFiles.files = {QString(), QStringLiteral("Rose.bmp"), QStringLiteral("Tulpe.bmp")};
    PictureFiles.thumbnails = {QImage(), thumbnail};  // Tulpe has none

    QImage bitmap;
    LoadPicture(QStringLiteral("ROSE.bmp"), DrawLeftEnd, bitmap);
    ASSERT_EQ(bitmap.size(), QSize(64, 64));
    EXPECT_EQ(bitmap.pixel(0, 0), White);
    EXPECT_EQ(bitmap.pixel(10, 20), Black);

    // The preview never reads the folder, and unknown names give nothing.
    writePicture(QStringLiteral("Lilie.bmp"), BmpBytes(Sample()));
    for (const char *name : {"Lilie.bmp", "Tulpe.bmp", ""}) {
        LoadPicture(QString::fromLatin1(name), 0, bitmap);
        EXPECT_TRUE(bitmap.isNull()) << name;
    }
}

}  // namespace
