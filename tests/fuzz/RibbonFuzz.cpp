// A stored format edited by hand can hold any number in any field: the ribbon
// is drawn by the preview and for printing, and its text is measured.
// Nothing may crash or overflow unchecked (the sanitizers watch); an overflow
// may only end the drawing of this one ribbon, and the next ribbon is drawn
// on an untouched drawing state.
#include <QGuiApplication>
#include <climits>

#include "model/Job.h"
#include "model/SettingsFile.h"
#include "render/Arith.h"
#include "render/DrawJob.h"
#include "render/RecordingCanvas.h"
#include "render/RenderState.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {

// Numbers a hand-edited file gives: ordinary ones, edges and nonsense.
std::int32_t Number(FuzzInput &input) {
    static const std::int32_t kTable[] = {0,    1,      -1,      2,       8,       30,
                                          40,   60,     170,     1000,    2000,    -5,
                                          7,    100000, INT_MAX, INT_MIN, 65535,   268435455,
                                          3000, 256,    10922,   -100000, 1 << 24, 214748364};
    const std::uint8_t pick = input.byte();
    if (pick < 2 * std::size(kTable))
        return kTable[pick % std::size(kTable)];
    return std::int32_t(input.u32());
}

QString Text(FuzzInput &input) {
    const int length = input.byte() % 24;
    QString text;
    for (int i = 0; i < length; ++i)
        text += QChar(char16_t(0x20 + input.byte() % 0xDF));
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    FuzzInput input(data, size);
    TJob job;
    job.Laenge = Number(input);
    job.Breite = Number(input);
    job.Rand = Number(input);
    job.FontGroesse = Number(input);
    job.FontFarbe = std::uint32_t(Number(input));
    job.Stil = Number(input) % 4;
    job.Flip = input.byte() % 2;
    job.Shadow = input.byte() % 2;
    job.BildBreiteLinks = Number(input);
    job.BildAbstandLinks = Number(input);
    job.BildBreiteRechts = Number(input);
    job.BildAbstandRechts = Number(input);
    job.FontName.set(input.byte() % 2 ? QStringLiteral("Arial") : QStringLiteral("Marigold"));
    job.TextLeft.set({Text(input), Text(input)});
    job.TextRight.set({Text(input)});
    job.Kommission.set(Text(input));
    const int scale = input.byte() % 2 ? 8 : 1;
    const int flags = scale == 8 ? 1 + input.byte() % 31 : int(DrawLeftEnd | DrawRightEnd);

    RecordingCanvas canvas;
    CanvasMapping mapping;
    mapping.setMode(CanvasMapping::Mode::Isotropic);
    mapping.setWindowExt(QSize(scale == 8 ? 8 * 297 : 1100, scale == 8 ? 8 * 210 : 200));
    mapping.setViewportExt(QSize(scale == 8 ? 7017 : 300, scale == 8 ? 4961 : 70));
    canvas.setMapping(mapping);
    canvas.setPrinting(scale == 8);
    RenderContext context = RenderContext::FromSettings(SettingsFile::current());
    DrawJob(context, job, canvas, scale, flags);
    FUZZ_CHECK(context.OutlineFont == 0);
    FUZZ_CHECK(canvas.currentFont() == 0 ||
               canvas.fontDescription(canvas.currentFont()).face != QString());

    // Measuring the text of each end, as printing does, may give up with an
    // overflow, which ends the print run.
    for (const bool leftEnd : {true, false}) {
        try {
            JobTextLength(job, canvas, scale, leftEnd);
        } catch (const RenderOverflow &) {
        }
    }
    return 0;
}
