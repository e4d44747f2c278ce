#include "render/Pictures.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QPainter>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <tuple>

#include "model/DataFolder.h"
#include "model/Job.h"
#include "render/Arith.h"
#include "render/Edgedll2.h"
#include "render/ImageCache.h"
#include "render/QPainterCanvas.h"
#include "render/RenderState.h"
#include "render/SystemPalette.h"

namespace {

// The preview's work bitmap is as large as the picture's rectangle in logical
// units; a rectangle beyond this many pixels comes from absurd settings and is
// not drawn.
constexpr qint64 MaxWorkPixels = qint64(1) << 24;

constexpr QRgb WhitePixel = 0xFFFFFFFF;
constexpr QRgb BlackPixel = 0xFF000000;

// Qt's BMP reader fills a file that ends early with whatever it finds; a
// picture like that must draw nothing, so the header is checked against the
// file's length first.
bool PlausibleBitmapFile(QFile &file) {
    const qint64 fileSize = file.size();
    const QByteArray head = file.read(66);
    if (head.size() < 26 || head[0] != 'B' || head[1] != 'M')
        return false;
    const auto *p = reinterpret_cast<const uchar *>(head.constData());
    const quint32 pixelOffset = qFromLittleEndian<quint32>(p + 10);
    const quint32 headerSize = qFromLittleEndian<quint32>(p + 14);
    qint64 width = 0, height = 0;
    int planes = 0, bitCount = 0;
    quint32 compression = 0;
    if (headerSize == 12) {  // OS/2 core header
        width = qFromLittleEndian<quint16>(p + 18);
        height = qFromLittleEndian<quint16>(p + 20);
        planes = qFromLittleEndian<quint16>(p + 22);
        bitCount = qFromLittleEndian<quint16>(p + 24);
    } else if (headerSize >= 40 && head.size() >= 34) {
        width = qFromLittleEndian<qint32>(p + 18);
        height = qFromLittleEndian<qint32>(p + 22);
        planes = qFromLittleEndian<quint16>(p + 26);
        bitCount = qFromLittleEndian<quint16>(p + 28);
        compression = qFromLittleEndian<quint32>(p + 30);
    } else {
        return false;
    }
    height = height < 0 ? -height : height;
    if (width <= 0 || height <= 0 || planes != 1)
        return false;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
        bitCount != 32)
        return false;
    if (pixelOffset >= fileSize)
        return false;
    // Qt reads the pixels from where the header (and the colour masks that
    // follow a short header) end when the file says they start earlier; rows
    // it then finds too few of would stay uninitialised.
    const bool masked = compression == 3;
    const qint64 pixelStart = std::max<qint64>(
        pixelOffset, 14 + qint64(headerSize) + (masked && headerSize == 40 ? 12 : 0));
    if (pixelStart >= fileSize)
        return false;
    // Masks without a colour give no picture, only black.
    if (masked) {
        if (head.size() < 66)
            return false;
        for (int channel = 0; channel < 3; ++channel) {
            if (qFromLittleEndian<quint32>(p + 54 + 4 * channel) == 0)
                return false;
        }
    }
    switch (compression) {
        case 0:  // plain rows
        case 3:  // rows with colour masks
        {
            // Divided rather than multiplied: absurd sizes would overflow the product.
            const qint64 rowBytes = (width * bitCount + 31) / 32 * 4;
            return height <= (fileSize - pixelStart) / rowBytes;
        }
        case 1:  // run-length encoded: Qt stops at the end of the data
        case 2:
            return true;
        default:
            return false;
    }
}

// Most pictures are plain 24-bit files; their rows are turned into pixels
// here, several times faster than Qt's reader, giving exactly the image Qt
// would. Anything else gives a null image and is left to Qt's reader.
QImage DecodePlainTrueColour(const QByteArray &data) {
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M')
        return QImage();
    const auto *p = reinterpret_cast<const uchar *>(data.constData());
    const quint32 pixelOffset = qFromLittleEndian<quint32>(p + 10);
    const quint32 headerSize = qFromLittleEndian<quint32>(p + 14);
    const qint32 width = qFromLittleEndian<qint32>(p + 18);
    const qint32 rawHeight = qFromLittleEndian<qint32>(p + 22);
    const quint16 planes = qFromLittleEndian<quint16>(p + 26);
    const quint16 bitCount = qFromLittleEndian<quint16>(p + 28);
    const quint32 compression = qFromLittleEndian<quint32>(p + 30);
    if ((headerSize != 40 && headerSize != 108 && headerSize != 124) || planes != 1 ||
        bitCount != 24 || compression != 0 || width <= 0 || rawHeight == 0 ||
        rawHeight == std::numeric_limits<qint32>::min() || pixelOffset < 14 + headerSize)
        return QImage();
    const bool topDown = rawHeight < 0;
    const qint64 height = topDown ? -qint64(rawHeight) : rawHeight;
    const qint64 rowBytes = (qint64(width) * 24 + 31) / 32 * 4;
    if (height > (data.size() - qint64(pixelOffset)) / rowBytes)
        return QImage();
    // Qt refuses pictures beyond its allocation limit; so does this.
    if (qint64(width) * height * 4 > qint64(QImageReader::allocationLimit()) * 1024 * 1024)
        return QImage();
    QImage image(width, int(height), QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    for (qint64 row = 0; row < height; ++row) {
        const uchar *in = p + pixelOffset + row * rowBytes;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(int(topDown ? row : height - 1 - row)));
        for (qint32 x = 0; x < width; ++x, in += 3)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
    return image;
}

// Run-length pictures (8 bits a pixel in runs of bytes, 4 bits in runs of
// nibbles) are decoded here: Qt's reader leaves the pixels that a delta or an
// early end skips uninitialised. Pixels the file does not set are white, as
// are pixels whose colour index lies beyond the palette: the file puts no
// ink there. Anything else gives a null image and is left to Qt's reader; a
// run-length file that cannot be decoded gives an empty result.
std::optional<QImage> DecodeRunLength(const QByteArray &data) {
    if (data.size() < 54 || data[0] != 'B' || data[1] != 'M')
        return std::nullopt;
    const auto *p = reinterpret_cast<const uchar *>(data.constData());
    const qint64 size = data.size();
    const quint32 pixelOffset = qFromLittleEndian<quint32>(p + 10);
    const quint32 headerSize = qFromLittleEndian<quint32>(p + 14);
    if (headerSize < 40)
        return std::nullopt;
    const qint32 width = qFromLittleEndian<qint32>(p + 18);
    const qint32 height = qFromLittleEndian<qint32>(p + 22);
    const quint16 bitCount = qFromLittleEndian<quint16>(p + 28);
    const quint32 compression = qFromLittleEndian<quint32>(p + 30);
    const quint32 colorsUsed = qFromLittleEndian<quint32>(p + 46);
    const bool rle8 = compression == 1 && bitCount == 8;
    const bool rle4 = compression == 2 && bitCount == 4;
    if (compression != 1 && compression != 2)
        return std::nullopt;
    // Run-length pictures are always stored bottom row first.
    if (!(rle8 || rle4) || width <= 0 || height <= 0 || pixelOffset >= size ||
        14 + qint64(headerSize) > pixelOffset)
        return QImage();
    if (qint64(width) * height * 4 > qint64(QImageReader::allocationLimit()) * 1024 * 1024)
        return QImage();

    // The palette: what the header says, as far as the file holds it.
    const int maxColours = 1 << bitCount;
    const qint64 paletteStart = 14 + qint64(headerSize);
    qint64 colours = colorsUsed == 0 || colorsUsed > quint32(maxColours) ? maxColours : colorsUsed;
    colours = std::min<qint64>(colours, (pixelOffset - paletteStart) / 4);
    QRgb palette[256];
    for (int i = 0; i < 256; ++i) {
        const uchar *entry = p + paletteStart + 4 * qint64(i);
        palette[i] = i < colours ? qRgb(entry[2], entry[1], entry[0]) : WhitePixel;
    }

    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return QImage();
    image.fill(WhitePixel);
    qint64 x = 0, y = 0;  // y counts rows from the bottom
    const auto put = [&](int index) {
        if (x < width && y < height)
            reinterpret_cast<QRgb *>(image.scanLine(int(height - 1 - y)))[x] = palette[index];
        ++x;
    };
    qint64 pos = pixelOffset;
    while (pos + 1 < size && y < height) {
        const int count = p[pos], value = p[pos + 1];
        pos += 2;
        if (count > 0) {  // a run of one value (two alternating nibbles)
            for (int i = 0; i < count; ++i)
                put(rle8 ? value : (i % 2 == 0 ? value >> 4 : value & 0x0F));
        } else if (value == 0) {  // end of row
            x = 0;
            ++y;
        } else if (value == 1) {  // end of picture
            break;
        } else if (value == 2) {  // move right and up
            if (pos + 1 >= size)
                break;
            x += p[pos];
            y += p[pos + 1];
            pos += 2;
        } else {  // so many literal pixels, padded to a whole word
            const qint64 bytes = rle8 ? value : (value + 1) / 2;
            if (pos + bytes > size)
                break;
            for (int i = 0; i < value; ++i) {
                const int byte = p[pos + (rle8 ? i : i / 2)];
                put(rle8 ? byte : (i % 2 == 0 ? byte >> 4 : byte & 0x0F));
            }
            pos += bytes + (bytes & 1);
        }
    }
    return image;
}

// Qt leaves a colour index beyond a short palette to chance; such pixels are
// white, like every pixel the file gives no colour.
void PadPalette(QImage &image) {
    if (image.format() != QImage::Format_Mono && image.format() != QImage::Format_MonoLSB &&
        image.format() != QImage::Format_Indexed8)
        return;
    const int needed = image.format() == QImage::Format_Indexed8 ? 256 : 2;
    QList<QRgb> table = image.colorTable();
    if (table.size() >= needed)
        return;
    while (table.size() < needed)
        table.append(WhitePixel);
    image.setColorTable(table);
}

QImage ReadBitmapFileUncached(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !PlausibleBitmapFile(file) || !file.seek(0))
        return QImage();
    QImage image;
    // A file far larger than any picture Qt would take is not read whole.
    if (file.size() > qint64(QImageReader::allocationLimit()) * 1024 * 1024) {
        QImageReader reader(&file, "bmp");
        reader.setAutoDetectImageFormat(false);
        if (!reader.read(&image))
            return QImage();
        PadPalette(image);
        return image;
    }
    QByteArray data = file.readAll();
    if (data.size() != file.size())
        return QImage();
    image = DecodePlainTrueColour(data);
    if (!image.isNull())
        return image;
    if (std::optional<QImage> decoded = DecodeRunLength(data))
        return *decoded;
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "bmp");
    reader.setAutoDetectImageFormat(false);
    if (!reader.read(&image))
        return QImage();
    PadPalette(image);
    return image;
}

// A picture file is read again only when it changed; the same picture then
// stays the same image for everything made from it.
QImage ReadBitmapFile(const QString &path) {
    const QFileInfo info(path);
    const auto key = std::make_tuple(path, info.size(), info.lastModified().toMSecsSinceEpoch());
    static thread_local ImageCache<decltype(key)> cache(64 * 1024 * 1024);
    if (const QImage *found = cache.find(key))
        return *found;
    QImage image = ReadBitmapFileUncached(path);
    if (!image.isNull())
        cache.insert(key, image);
    return image;
}

// The name as the folder lists it: the exact name if there is one, else the
// first that differs only in letter case. Names with a folder in them match
// nothing, so a picture name can never reach outside the picture folder.
QString ListedName(const QString &folder, const QString &name) {
    const QStringList entries = QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    if (entries.contains(name))
        return name;
    for (const QString &entry : entries) {
        if (entry.compare(name, Qt::CaseInsensitive) == 0)
            return entry;
    }
    return QString();
}

QImage OnWhite(const QImage &image) {
    QImage result(image.size(), QImage::Format_RGB32);
    result.fill(WhitePixel);
    QPainter painter(&result);
    painter.drawImage(0, 0, image);
    return result;
}

QImage OnWhiteCached(const QImage &image) {
    static thread_local ImageCache<qint64> cache(8 * 1024 * 1024);
    return cache.get(image.cacheKey(), [&] { return OnWhite(image); });
}

QRect ToRect(LRect r) {
    return QRect(r.left, r.top, Sub(r.right, r.left), Sub(r.bottom, r.top));
}

bool IsInk(QRgb pixel) {
    const int r = qRed(pixel), g = qGreen(pixel), b = qBlue(pixel);
    return b * b + g * g + r * r < InkThreshold;
}

// Printer path: the picture becomes a pair of bitmaps, B black where the ink
// is and A the ink colour there; B by AND blackens the ink area, A by OR gives
// it the colour, and the page elsewhere stays untouched.
// The pair for one picture and ink colour; made once and handed out again.
std::pair<QImage, QImage> InkPair(const QImage &picture, QRgb ink) {
    // The pair are whole QImages with rows as long as the picture needs; there
    // is no fixed row buffer, so turned pictures wider than 10922 pixels (rows
    // over 32768 bytes at 24 bits) are printed like any other.
    QImage colour(picture.size(), QImage::Format_RGB32);
    QImage mask(picture.size(), QImage::Format_RGB32);
    if (colour.isNull() || mask.isNull())
        return {};
    const int width = picture.width();
    const int height = picture.height();
    for (int y = 0; y < height; ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(picture.constScanLine(y));
        auto *a = reinterpret_cast<QRgb *>(colour.scanLine(y));
        auto *b = reinterpret_cast<QRgb *>(mask.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const bool inked = IsInk(in[x]);
            a[x] = inked ? ink : BlackPixel;
            b[x] = inked ? BlackPixel : WhitePixel;
        }
    }
    return {std::move(mask), std::move(colour)};
}

void PrintInk(RibbonCanvas &canvas, const QImage &picture, LRect fit, ColorRef printColour) {
    static thread_local ImageCache<std::tuple<qint64, QRgb, bool>> cache(32 * 1024 * 1024);
    const QRgb ink = SystemPalette::resolve(printColour);
    const QImage *mask = cache.find({picture.cacheKey(), ink, false});
    const QImage *colour = cache.find({picture.cacheKey(), ink, true});
    QImage maskImage, colourImage;
    if (mask && colour) {
        maskImage = *mask;
        colourImage = *colour;
    } else {
        std::tie(maskImage, colourImage) = InkPair(picture, ink);
        if (maskImage.isNull() || colourImage.isNull())
            return;
        cache.insert({picture.cacheKey(), ink, false}, maskImage);
        cache.insert({picture.cacheKey(), ink, true}, colourImage);
    }
    const QRect target = ToRect(fit);
    canvas.stretchBitmap(target, maskImage, RasterOp::And);
    canvas.stretchBitmap(target, colourImage, RasterOp::Or);
}

// Screen path: the picture at the size it takes in logical units, black in
// the preview colour, white left out.
void PreviewInk(RibbonCanvas &canvas, const QImage &picture, LRect fit, ColorRef previewColour) {
    const std::int32_t width = Sub(fit.right, fit.left);
    std::int32_t height = Sub(fit.bottom, fit.top);
    // The work bitmap of the original drawing was one row taller whenever its
    // height was a multiple of 256; the picture keeps that extra row.
    if (height % 256 == 0)
        height = Add(height, 1);
    if (width <= 0 || height <= 0 || qint64(width) * height > MaxWorkPixels)
        return;
    QImage work = QPainterCanvas::stretchBlackOnWhite(picture, QSize(width, height));
    if (work.isNull())
        return;
    const QRgb ink = SystemPalette::resolve(previewColour);
    for (int y = 0; y < work.height(); ++y) {
        auto *row = reinterpret_cast<QRgb *>(work.scanLine(y));
        for (int x = 0; x < work.width(); ++x) {
            if (row[x] == BlackPixel)
                row[x] = ink;
        }
    }
    canvas.maskedBitmap(QPoint(fit.left, fit.top), work, RgbColor(255, 255, 255));
}

}  // namespace

namespace {

QImage BlankThumbnail() {
    QImage thumbnail(ThumbnailSize, ThumbnailSize, QImage::Format_RGB32);
    thumbnail.fill(WhitePixel);
    return thumbnail;
}

}  // namespace

QImage NoPictureThumbnail() {
    QImage thumbnail = BlankThumbnail();
    QPainter painter(&thumbnail);
    QPainterCanvas canvas(painter);
    canvas.setPen(RgbColor(128, 128, 128), 0);
    canvas.setBrush(RgbColor(255, 255, 255));
    // A rectangle covers its right and bottom edge: the frame lies on the
    // image's last column and row.
    canvas.rectangle(QRect(0, 0, ThumbnailSize - 1, ThumbnailSize - 1));
    return thumbnail;
}

QImage PictureThumbnail(const QImage &picture) {
    QImage thumbnail = BlankThumbnail();
    QPainter painter(&thumbnail);
    QPainterCanvas canvas(painter);
    BlitPicture(canvas, picture, LRect{0, 0, ThumbnailSize, ThumbnailSize}, DrawPrintColors, 0,
                RgbColor(0, 0, 0), RgbColor(0, 0, 0));
    return thumbnail;
}

QString PictureFolder() {
    return DataFolder() + QStringLiteral("Bilder/");
}

QImage ReadPictureFile(const QString &path) {
    return ReadBitmapFileUncached(path);
}

void LoadPicture(const QString &name, int flags, QImage &bitmap,
                 const PictureCatalogue *catalogue) {
    bitmap = QImage();
    if (name.isEmpty())
        return;
    if (flags & DrawPrintColors) {
        const QString folder = PictureFolder();
        const QString listed = ListedName(folder, name);
        if (!listed.isEmpty())
            bitmap = ReadBitmapFile(folder + listed);
        return;
    }
    if (!catalogue)
        return;
    for (qsizetype i = 0; i < catalogue->files.size(); ++i) {
        if (catalogue->files[i].compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (i < catalogue->thumbnails.size() && !catalogue->thumbnails[i].isNull())
            bitmap = OnWhiteCached(catalogue->thumbnails[i]);
        return;
    }
}

void DrawPicture(const RenderContext &context, const TJob &job, RibbonCanvas &canvas,
                 const QImage &bitmap, LRect rect, int flags, int angle, ColorRef previewColour,
                 ColorRef printColour) {
    const QPoint origin = context.DrawOrigin;
    rect = LRect{Add(rect.left, origin.x()), Add(rect.top, origin.y()), Add(rect.right, origin.x()),
                 Add(rect.bottom, origin.y())};
    if (job.Shadow) {
        // The same offset as the text's shadow, turned with the picture.
        const double theta = angle * std::numbers::pi / 180.0;
        const std::int32_t dx =
            RoundEven(std::sin(theta + std::numbers::pi / 4) * context.ShadowStep);
        const std::int32_t dy =
            RoundEven(std::cos(theta + std::numbers::pi / 4) * context.ShadowStep);
        const LRect shadow{Add(rect.left, dx), Add(rect.top, dy), Add(rect.right, dx),
                           Add(rect.bottom, dy)};
        BlitPicture(canvas, bitmap, shadow, flags, angle, RgbColor(0, 0, 0), RgbColor(0, 0, 0));
    }
    BlitPicture(canvas, bitmap, rect, flags, angle, previewColour, printColour);
}

void BlitPicture(RibbonCanvas &canvas, const QImage &bitmap, LRect rect, int flags, int angle,
                 ColorRef previewColour, ColorRef printColour) {
    if (bitmap.isNull())
        return;
    // The caller's bitmap stays as it is; the turned copy is kept for the
    // next drawing of the same picture at the same angle.
    static thread_local ImageCache<std::pair<qint64, int>> turned(32 * 1024 * 1024);
    const QImage copy = turned.get({bitmap.cacheKey(), angle}, [&] {
        QImage image = bitmap.convertToFormat(QImage::Format_RGB32);
        if (!image.isNull())
            RotateBitmap(image, angle);  // a refused angle leaves the picture unturned
        return image;
    });
    if (copy.isNull())
        return;
    const LRect fit = FitRect(copy, rect);
    if (flags & DrawPrintColors)
        PrintInk(canvas, copy, fit, printColour);
    else
        PreviewInk(canvas, copy, fit, previewColour);
}

LRect FitRect(const QImage &bitmap, LRect rect) {
    const std::int32_t w = Sub(rect.right, rect.left);
    const std::int32_t h = Sub(rect.bottom, rect.top);
    const std::int32_t bw = bitmap.width();
    const std::int32_t bh = bitmap.height();
    const std::int32_t a = MulDiv(h, bw, bh);  // the width that fits the height
    const std::int32_t b = MulDiv(w, bh, bw);  // the height that fits the width
    if (b <= h) {
        const std::int32_t top = Add(rect.top, Div2(Sub(h, b)));
        return LRect{rect.left, top, rect.right, Add(top, b)};
    }
    if (a <= w) {
        const std::int32_t left = Add(rect.left, Div2(Sub(w, a)));
        return LRect{left, rect.top, Add(left, a), rect.bottom};
    }
    return rect;  // only rounding can miss both; the rectangle itself is closest
}

void DrawFitted(RibbonCanvas &canvas, const QImage &bitmap, LRect rect) {
    if (bitmap.isNull())
        return;
    canvas.stretchBitmap(ToRect(FitRect(bitmap, rect)), bitmap, RasterOp::Copy);
}
