#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QImageReader>
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

// A picture folder in a temporary data folder.
class PictureFolderTest : public testing::Test {
protected:
    void SetUp() override { QDir().mkpath(data_.appFolder() + QStringLiteral("/Bilder")); }

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

// A 16-bit file of 2 x 4 pixels with colour masks (5-5-5 unless given) after
// its 40-byte header, two white rows and two black ones; `withMasks` false
// leaves the masks out while the header still announces them.
QByteArray MaskedFile(bool withMasks, quint32 red = 0x7C00, quint32 green = 0x03E0,
                      quint32 blue = 0x001F) {
    const quint32 offset = 14 + 40 + (withMasks ? 12 : 0);
    const QByteArray pixels = QByteArray::fromHex(
        "FF7FFF7F"
        "FF7FFF7F"
        "00000000"
        "00000000");
    QByteArray bytes(int(offset), '\0');
    auto *p = reinterpret_cast<uchar *>(bytes.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(offset + quint32(pixels.size()), p + 2);
    qToLittleEndian<quint32>(offset, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(2, p + 18);
    qToLittleEndian<qint32>(4, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(16, p + 28);
    qToLittleEndian<quint32>(3, p + 30);
    if (withMasks) {
        qToLittleEndian<quint32>(red, p + 54);
        qToLittleEndian<quint32>(green, p + 58);
        qToLittleEndian<quint32>(blue, p + 62);
    }
    return bytes + pixels;
}

TEST_F(PictureFolderTest, BrokenBitmapsDrawNothing) {
    const QByteArray good = BmpBytes(Sample());
    ASSERT_GT(good.size(), 54);
    // The masked file as it should be is a picture: its first rows, the
    // bottom ones, white, the top ones black.
    writePicture(QStringLiteral("masked.bmp"), MaskedFile(true));
    const QImage masked = ReadPictureFile(PictureFolder() + QStringLiteral("masked.bmp"));
    ASSERT_EQ(masked.size(), QSize(2, 4));
    EXPECT_EQ(masked.pixel(1, 3) | 0x00070707, White);  // five bits a colour
    EXPECT_EQ(masked.pixel(0, 0), Black);
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
        // The masks would be read from the pixels, the rows from past them.
        {"nomasks.bmp", MaskedFile(false)},
        {"zeromasks.bmp", MaskedFile(true, 0, 0, 0)},
        {"nogreen.bmp", MaskedFile(true, 0x7C00, 0, 0x001F)},
        // Pixels said to start inside the header, the file a row short of
        // where they are read from.
        {"inheader.bmp", WithHeader(good.left(good.size() - 14), 10, 40)},
    };
    for (const auto &b : broken) {
        const QString name = QString::fromLatin1(b.name);
        writePicture(name, b.bytes);
        QImage bitmap = Sample();
        LoadPicture(name, DrawPrintColors, bitmap);
        EXPECT_TRUE(bitmap.isNull()) << b.name;
        RecordingCanvas canvas;
        TJob job;
        DrawPicture(RenderContext(), job, canvas, bitmap, LRect{0, -100, 40, 200}, DrawPrintColors,
                    0, 0, 0);
        EXPECT_TRUE(canvas.ops().isEmpty()) << b.name;
    }
}

TEST_F(PictureFolderTest, PreviewPathTakesTheThumbnailOnWhite) {
    QImage thumbnail(64, 64, QImage::Format_ARGB32);
    thumbnail.fill(Qt::transparent);
    thumbnail.setPixel(10, 20, Black);
    PictureCatalogue catalogue;
    catalogue.files = {QString(), QStringLiteral("Rose.bmp"), QStringLiteral("Tulpe.bmp")};
    catalogue.thumbnails = {QImage(), thumbnail};  // Tulpe has none

    QImage bitmap;
    LoadPicture(QStringLiteral("ROSE.bmp"), DrawLeftEnd, bitmap, &catalogue);
    ASSERT_EQ(bitmap.size(), QSize(64, 64));
    EXPECT_EQ(bitmap.pixel(0, 0), White);
    EXPECT_EQ(bitmap.pixel(10, 20), Black);

    // The preview never reads the folder, and unknown names give nothing.
    writePicture(QStringLiteral("Lilie.bmp"), BmpBytes(Sample()));
    for (const char *name : {"Lilie.bmp", "Tulpe.bmp", ""}) {
        LoadPicture(QString::fromLatin1(name), 0, bitmap, &catalogue);
        EXPECT_TRUE(bitmap.isNull()) << name;
    }
}

}  // namespace

namespace {

// A 24-bit file written byte by byte: rows bottom-up unless the height is
// negative, each padded to four bytes, with a header of `headerSize` bytes.
QByteArray TrueColourFile(int width, int height, quint32 headerSize, quint32 noise) {
    const int rows = height < 0 ? -height : height;
    const int rowBytes = (width * 3 + 3) / 4 * 4;
    const quint32 offset = 14 + headerSize;
    QByteArray bytes(int(offset) + rowBytes * rows, '\0');
    auto *p = reinterpret_cast<uchar *>(bytes.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(quint32(bytes.size()), p + 2);
    qToLittleEndian<quint32>(offset, p + 10);
    qToLittleEndian<quint32>(headerSize, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(24, p + 28);
    if (headerSize >= 108)
        qToLittleEndian<quint32>(0x73524742, p + 14 + 56);  // sRGB
    quint32 state = noise;
    for (qsizetype i = offset; i < bytes.size(); ++i) {
        state = state * 1103515245u + 12345u;
        p[i] = uchar(state >> 16);
    }
    return bytes;
}

}  // namespace

// Plain 24-bit files are decoded by the program itself; every shape of them
// must give the very image Qt's own reader gives.
TEST_F(PictureFolderTest, PlainTrueColourFilesReadExactlyAsQtReadsThem) {
    const struct {
        int width, height;
        quint32 headerSize;
    } shapes[] = {{1, 1, 40},   {2, 3, 40},  {3, 5, 40},   {5, -4, 40},
                  {999, 7, 40}, {4, 4, 108}, {7, -3, 124}, {13, 2, 124}};
    quint32 noise = 1;
    for (const auto &shape : shapes) {
        const QByteArray bytes =
            TrueColourFile(shape.width, shape.height, shape.headerSize, noise++);
        const QString name = QStringLiteral("plain%1.bmp").arg(noise);
        writePicture(name, bytes);
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        const QImage expected = QImageReader(&buffer, "bmp").read();
        ASSERT_FALSE(expected.isNull()) << shape.width << "x" << shape.height;
        const QImage read = ReadPictureFile(PictureFolder() + name);
        EXPECT_EQ(read.format(), expected.format()) << shape.width << "x" << shape.height;
        EXPECT_TRUE(read == expected) << shape.width << "x" << shape.height;

        // The last row's last byte missing: not a picture at all.
        writePicture(name, bytes.left(bytes.size() - 1));
        EXPECT_TRUE(ReadPictureFile(PictureFolder() + name).isNull());
    }
}

namespace {

// A paletted file: header of 40 bytes, the palette (BGR0), then `pixels`.
QByteArray PalettedFile(int width, int height, int bitCount, quint32 compression,
                        const std::vector<QRgb> &palette, const QByteArray &pixels) {
    const quint32 offset = 14 + 40 + 4 * quint32(palette.size());
    QByteArray bytes(int(offset), '\0');
    auto *p = reinterpret_cast<uchar *>(bytes.data());
    p[0] = 'B';
    p[1] = 'M';
    qToLittleEndian<quint32>(offset + quint32(pixels.size()), p + 2);
    qToLittleEndian<quint32>(offset, p + 10);
    qToLittleEndian<quint32>(40, p + 14);
    qToLittleEndian<qint32>(width, p + 18);
    qToLittleEndian<qint32>(height, p + 22);
    qToLittleEndian<quint16>(1, p + 26);
    qToLittleEndian<quint16>(quint16(bitCount), p + 28);
    qToLittleEndian<quint32>(compression, p + 30);
    qToLittleEndian<quint32>(quint32(pixels.size()), p + 34);
    qToLittleEndian<quint32>(quint32(palette.size()), p + 46);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        p[54 + 4 * i] = uchar(qBlue(palette[i]));
        p[55 + 4 * i] = uchar(qGreen(palette[i]));
        p[56 + 4 * i] = uchar(qRed(palette[i]));
    }
    return bytes + pixels;
}

}  // namespace

// Pixels that a run-length file skips (a delta, an early end) or that name a
// colour beyond a short palette carry no ink: they are white, never whatever
// the memory held.
TEST_F(PictureFolderTest, PixelsAFileLeavesUnsetAreWhite) {
    const QRgb blue = qRgb(0, 0, 255), red = qRgb(255, 0, 0);
    const std::vector<QRgb> palette = {Black, White, blue, red};
    const auto read = [&](const QByteArray &bytes) {
        writePicture(QStringLiteral("rle.bmp"), bytes);
        return ReadPictureFile(PictureFolder() + QStringLiteral("rle.bmp"))
            .convertToFormat(QImage::Format_RGB32);
    };
    // 8 bits: three blue, a move 2 right and 1 up, two red, end of row, three
    // literal pixels, end of picture before the last row.
    const QImage rle8 = read(PalettedFile(8, 4, 8, 1, palette,
                                          QByteArray::fromHex("0302"
                                                              "00020201"
                                                              "0203"
                                                              "0000"
                                                              "0003020302"
                                                              "00"
                                                              "0001")));
    ASSERT_EQ(rle8.size(), QSize(8, 4));
    QImage expected(8, 4, QImage::Format_RGB32);
    expected.fill(White);
    for (int x = 0; x < 3; ++x)
        expected.setPixel(x, 3, blue);
    expected.setPixel(5, 2, red);
    expected.setPixel(6, 2, red);
    expected.setPixel(0, 1, blue);
    expected.setPixel(1, 1, red);
    expected.setPixel(2, 1, blue);
    EXPECT_TRUE(rle8 == expected);

    // 4 bits: a run of alternating nibbles, then literal nibbles, nothing else.
    const QImage rle4 = read(PalettedFile(5, 3, 4, 2, palette,
                                          QByteArray::fromHex("0523"
                                                              "0000"
                                                              "000312300000"
                                                              "0001")));
    ASSERT_EQ(rle4.size(), QSize(5, 3));
    const QRgb row2[] = {blue, red, blue, red, blue}, row1[] = {White, blue, red, White, White};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(rle4.pixel(x, 2), row2[x]) << x;
        EXPECT_EQ(rle4.pixel(x, 1), row1[x]) << x;
        EXPECT_EQ(rle4.pixel(x, 0), White) << x;
    }

    // A 1-bit picture whose palette has only black: index 1 is no ink.
    const QImage mono = read(PalettedFile(8, 1, 1, 0, {Black}, QByteArray::fromHex("0F000000")));
    ASSERT_EQ(mono.size(), QSize(8, 1));
    for (int x = 0; x < 8; ++x)
        EXPECT_EQ(mono.pixel(x, 0), x < 4 ? Black : White) << x;
}
