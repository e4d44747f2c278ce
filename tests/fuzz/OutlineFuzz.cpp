// Glyph outlines in the native format turned into polygons, fed arbitrary
// buffers: nothing is read outside the buffer, and the polygon list always
// adds up. Contours made by our own outline source come out closed, one
// polygon each.
#include <QGuiApplication>
#include <numeric>
#include <vector>

#include "render/Arith.h"
#include "render/Drwglyph.h"
#include "render/NativeOutline.h"
#include "render/RecordingCanvas.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

void SetMapping(RecordingCanvas &canvas, FuzzInput &input) {
    CanvasMapping mapping;
    if (input.byte() % 2) {
        mapping.setMode(CanvasMapping::Mode::Anisotropic);
        mapping.setWindowExt(QSize(1 + input.byte(), 1 + input.byte()));
        mapping.setViewportExt(QSize(1 + input.byte(), -1 - input.byte()));
    }
    canvas.setMapping(mapping);
}

std::vector<CanvasOp> Draw(RecordingCanvas &canvas, int penX, int penY, qint64 size,
                           const void *buffer) {
    try {
        GlyphPolygons(canvas, penX, penY, size, buffer);
    } catch (const RenderOverflow &) {
        // Far outside: the drawing of this ribbon ends, as it would in DrawJob.
    }
    std::vector<CanvasOp> polygons;
    for (const CanvasOp &op : canvas.ops()) {
        if (op.kind == CanvasOp::Kind::PolyPolygon)
            polygons.push_back(op);
    }
    FUZZ_CHECK(polygons.size() <= 1);
    for (const CanvasOp &op : polygons) {
        FUZZ_CHECK(!op.counts.isEmpty());
        FUZZ_CHECK(std::accumulate(op.counts.begin(), op.counts.end(), qint64(0)) ==
                   op.points.size());
        for (const int count : op.counts)
            FUZZ_CHECK(count >= 2);
    }
    return polygons;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput input(data, size);
    const bool fromContours = input.byte() % 2;
    const int penX = std::int16_t(input.u16()) * 64;
    const int penY = std::int16_t(input.u16()) * 64;
    RecordingCanvas canvas;
    SetMapping(canvas, input);

    if (!fromContours) {
        // The rest of the input is the buffer, its last byte the fuzzer's last.
        const std::size_t bytes = input.restSize();
        const std::size_t contourHeaders = bytes / 16;
        const auto polygons = Draw(canvas, penX, penY, qint64(bytes), input.rest());
        if (!polygons.empty())
            FUZZ_CHECK(std::size_t(polygons[0].counts.size()) <= contourHeaders);
        return 0;
    }

    // The rest of the input is a list of contours of our own outline source:
    // per contour a point count, then points with their on-curve flag.
    std::vector<unsigned char> native;
    int expected = 0;
    while (input.restSize() > 0) {
        std::vector<ContourPoint> contour(input.byte() % 64);
        for (ContourPoint &p : contour) {
            p.x = std::int32_t(input.u32() % 0x4000000) - 0x2000000;
            p.y = std::int32_t(input.u32() % 0x4000000) - 0x2000000;
            p.onCurve = input.byte() % 2;
        }
        const std::size_t before = native.size();
        FUZZ_CHECK(AppendNativeContour(contour, native));
        if (native.size() > before)
            ++expected;
    }
    // An exactly sized copy, so that reading past its end is caught.
    std::vector<unsigned char> buffer(native);
    const auto polygons = Draw(canvas, penX, penY, qint64(buffer.size()), buffer.data());
    if (expected == 0) {
        FUZZ_CHECK(polygons.empty());
        return 0;
    }
    if (polygons.empty())
        return 0;  // the pen was so far out that the drawing ended
    FUZZ_CHECK(polygons[0].counts.size() == expected);
    qsizetype first = 0;
    for (const int count : polygons[0].counts) {
        // Each polygon ends on its own first point.
        FUZZ_CHECK(polygons[0].points[first] == polygons[0].points[first + count - 1]);
        first += count;
    }
    return 0;
}
