// A picture folder fills up with whatever was downloaded: any file named like
// a bitmap is loaded by the printer path, turned by a quarter turn and drawn by
// both paths into any rectangle. Nothing may crash, the caller's bitmap stays
// as it is, and what is drawn lies inside the rectangle.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <climits>

#include "render/Arith.h"
#include "render/Pictures.h"
#include "render/QPainterCanvas.h"
#include "render/RecordingCanvas.h"
#include "render/RenderState.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

const int kAngles[] = {0, 90, 180, 270, 45, -90};
const QRgb kInk = qRgb(0, 0, 200) & 0xFFFFFF;

LRect PickRect(FuzzInput &input) {
    switch (input.byte() % 8) {
        case 0:
            return {240, -1200, 560, 2400};  // 40 mm picture on a 150 mm ribbon, scale 8
        case 1:
            return {30, -170, 70, 340};  // the same at scale 1
        case 2:
            return {5, 5, 5, 5};  // nothing to fit into
        case 3:
            return {10, 10, 0, 0};  // turned inside out
        case 4:
            return {-(1 << 30), -(1 << 30), 1 << 30, 1 << 30};
        case 5:
            return {INT_MIN, 0, INT_MAX, 10};
        default: {
            const auto at = [&input] { return int(std::int16_t(input.u16())) * 8; };
            const int left = at(), top = at();
            return {left, top, left + int(input.u16() % 1024), top + int(input.u16() % 1024)};
        }
    }
}

bool Inside(const QRect &r, const LRect &outer) {
    return r.left() >= outer.left && r.top() >= outer.top &&
           qint64(r.left()) + r.width() <= outer.right &&
           qint64(r.top()) + r.height() <= outer.bottom;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    FuzzDataFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput input(data, size);
    const int angle = kAngles[input.byte() % std::size(kAngles)];
    const LRect rect = PickRect(input);
    static int counter = 0;
    const QString name = QStringLiteral("Bild%1.bmp").arg(++counter);
    const QString file = FuzzDataFolder() + QStringLiteral("/Bilder/") + name;
    WriteRawFile(file, input.restBytes());

    QImage bitmap;
    LoadPicture(name.toUpper(), DrawPrintColors, bitmap);
    QFile::remove(file);
    if (bitmap.isNull())
        return 0;
    FUZZ_CHECK(bitmap.width() > 0 && bitmap.height() > 0);
    const QImage before = bitmap.copy();
    const bool quarter = angle % 90 == 0;
    const bool turnedAcross = quarter && (angle / 90) % 2 != 0;
    const QSize turned = turnedAcross ? bitmap.size().transposed() : bitmap.size();
    const bool ordinaryRect = rect.right > rect.left && rect.bottom > rect.top;

    RecordingCanvas recording;
    for (const int flags : {int(DrawPrintColors | DrawPrint), int(DrawLeftEnd)}) {
        try {
            BlitPicture(recording, bitmap, rect, flags, angle, RgbColor(200, 0, 0),
                        RgbColor(0, 0, 200));
        } catch (const RenderOverflow &) {
            // The drawing of this ribbon ends here, as it would in DrawJob.
        }
    }
    for (const CanvasOp &op : recording.ops()) {
        if (op.kind == CanvasOp::Kind::StretchBitmap) {
            FUZZ_CHECK(op.image.size() == turned);
            if (ordinaryRect)
                FUZZ_CHECK(Inside(op.rect, rect));
            // The ink pair: black and white for the mask, black and ink for the colour.
            for (int y = 0; y < op.image.height(); ++y) {
                for (int x = 0; x < op.image.width(); ++x) {
                    const QRgb p = op.image.pixel(x, y) & 0xFFFFFF;
                    if (op.op == RasterOp::And)
                        FUZZ_CHECK(p == 0 || p == 0xFFFFFF);
                    else
                        FUZZ_CHECK(p == 0 || p == kInk);
                }
            }
        } else if (op.kind == CanvasOp::Kind::MaskedBitmap && ordinaryRect) {
            // A work bitmap whose height is a multiple of 256 has one row more.
            QSize drawn = op.image.size();
            if (drawn.height() % 256 == 1)
                drawn.rheight() -= 1;
            FUZZ_CHECK(Inside(QRect(op.at, drawn), rect));
        }
    }

    // The same through a painter on a small image, where stretching really happens.
    QImage device(48, 48, QImage::Format_RGB32);
    device.fill(Qt::white);
    {
        QPainter painter(&device);
        QPainterCanvas canvas(painter);
        for (const int flags : {int(DrawPrintColors), 0}) {
            try {
                BlitPicture(canvas, bitmap, rect, flags, angle, RgbColor(0, 120, 0),
                            RgbColor(0, 0, 0));
                DrawFitted(canvas, bitmap, rect);
            } catch (const RenderOverflow &) {
            }
        }
    }
    FUZZ_CHECK(bitmap == before);
    return 0;
}
