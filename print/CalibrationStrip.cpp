#include "print/CalibrationStrip.h"

#include <QDate>
#include <cmath>

#include "model/Lengths.h"
#include "model/QueueSettings.h"
#include "print/PrintMethods.h"
#include "print/Printer.h"
#include "render/ScopedFont.h"

namespace {

// Logical units are eighths of a millimetre.
constexpr int kUnitsPerMm = 8;
constexpr ColorRef kBlack = RgbColor(0, 0, 0);

// Where things go across the strip, from its top edge down, in eighths of a
// millimetre. A narrow strip gets shorter ticks, smaller letters, fewer
// numbers and its two sentences on one line.
struct Layout {
    int rulerY;
    int tick1, tick5, tick10;  // lengths of the ticks every 1, 5 and 10 mm
    int fontHeight;
    int numberEveryMm;
    int numberY;
    int textY;
    bool oneTextLine;
};

Layout LayoutFor(int widthMm) {
    if (widthMm >= 25)
        return {16, 24, 40, 56, 24, 10, 80, 112, false};
    return {8, 16, 24, 32, 16, 50, 44, 64, true};
}

void DrawStrip(RibbonCanvas &canvas, const QString &printerName, int widthTenths) {
    const Layout layout = LayoutFor(widthTenths / 10);
    // The lines across stop inside the paper's width.
    const int widthUnits = widthTenths * kUnitsPerMm / 10;
    const int first = CalibrationMarginMm * kUnitsPerMm;
    const int last = first + CalibrationLengthMm * kUnitsPerMm;
    auto line = [&canvas](int x1, int y1, int x2, int y2) {
        canvas.moveTo(x1, y1);
        canvas.lineTo(x2, y2);
    };
    canvas.setPen(kBlack, 0);
    canvas.setTextColor(kBlack);
    canvas.setBackgroundMode(BackgroundMode::Transparent);

    // The two lines to measure between, across the whole strip.
    line(first, 0, first, widthUnits);
    line(last, 0, last, widthUnits);

    line(first, layout.rulerY, last, layout.rulerY);
    for (int mm = 1; mm < CalibrationLengthMm; ++mm) {
        const int length = mm % 10 == 0 ? layout.tick10 : mm % 5 == 0 ? layout.tick5 : layout.tick1;
        const int x = first + mm * kUnitsPerMm;
        line(x, layout.rulerY, x, layout.rulerY + length);
    }

    CanvasFont font;
    font.height = layout.fontHeight;
    font.face = QStringLiteral("Arial");
    ScopedFont textFont(canvas, font);
    textFont.select();
    // The margin holds half of the widest number ("500").
    canvas.setTextAlign(TextAlign::Center | TextAlign::Top);
    for (int mm = 0; mm <= CalibrationLengthMm; mm += layout.numberEveryMm)
        canvas.textOut(first + mm * kUnitsPerMm, layout.numberY, QString::number(mm));

    const QString title =
        QStringLiteral("Kalibrierstreifen %1 mm \u2013 %2 \u2013 %3")
            .arg(CalibrationLengthMm)
            .arg(printerName, QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    const QString instruction =
        QStringLiteral("Von Strich zu Strich messen und die L\u00e4nge eingeben.");
    const int textX = first + 20 * kUnitsPerMm;
    canvas.setTextAlign(TextAlign::Left | TextAlign::Top);
    if (layout.oneTextLine) {
        canvas.textOut(textX, layout.textY, title + QStringLiteral(" \u2013 ") + instruction);
    } else {
        canvas.textOut(textX, layout.textY, title);
        canvas.textOut(textX, layout.textY + layout.fontHeight * 4 / 3, instruction);
    }
}

}  // namespace

int CalibrationStripWidthTenths(double widthMm, int paperTenths) {
    if (!std::isfinite(widthMm) || std::fabs(widthMm) > 1e6)
        return 0;
    const long asked = std::lround(widthMm * 10);
    if (paperTenths > 0 && asked % 10 == 0 && std::lround(paperTenths / 10.0) == asked / 10)
        return paperTenths;
    return int(asked);
}

void PrintCalibrationStrip(RibbonPrinter &printer, const QString &printerName, double widthMm,
                           double maxWidthMm) {
    DeviceSettings remembered;
    if (!printer.deviceSettings(&remembered))
        throw PrinterError(
            QStringLiteral("Der Drucker l\u00e4sst keine Papiergr\u00f6\u00dfe einstellen: der "
                           "Kalibrierstreifen kann auf ihm nicht gedruckt werden."));
    const int widthTenths = CalibrationStripWidthTenths(widthMm, remembered.paperWidth);
    // The paper fields hold at most 3276.7 mm.
    if (widthTenths < 10 || widthTenths > 32767)
        throw PrinterError(QStringLiteral("Der Kalibrierstreifen braucht eine Papierbreite "
                                          "zwischen 1 und 3276 mm, nicht %1 mm.")
                               .arg(GermanLength(widthMm, LengthUnit::None)));
    if (maxWidthMm > 0 && widthTenths > std::lround(maxWidthMm * 10))
        throw PrinterError(
            QStringLiteral("Der Kalibrierstreifen ist %1 mm breit, der Drucker \u201e%2\u201c "
                           "nimmt aber h\u00f6chstens %3 mm breites Papier. Es wurde nichts "
                           "gedruckt.")
                .arg(GermanLength(widthTenths / 10.0, LengthUnit::None), printerName,
                     GermanLength(maxWidthMm, LengthUnit::None)));
    DeviceSettings s = remembered;
    s.fields |= DeviceSettings::FieldOrientation | DeviceSettings::FieldPaperSize |
                DeviceSettings::FieldPaperLength | DeviceSettings::FieldPaperWidth;
    s.orientation = DeviceSettings::Landscape;
    s.paperSize = DeviceSettings::UserDefinedPaper;
    s.paperLength = PaperField(CalibrationStripLengthMm * 10);
    s.paperWidth = PaperField(widthTenths);
    try {
        printer.setDeviceSettings(s);
        printer.setDocumentName(QStringLiteral("Kalibrierstreifen"));
        printer.beginDocument();
        printer.notePageRole(PageRole::Sheet);
        RibbonCanvas &canvas = printer.canvas();
        SetPageMapping(canvas, printer.metrics());
        DrawStrip(canvas, printerName, widthTenths);
        // Cancelled meanwhile: the document is gone already.
        if (printer.checkAbort() && printer.printing())
            printer.endDocument();
    } catch (...) {
        if (printer.printing())
            printer.abortDocument();
        printer.setDeviceSettings(remembered);
        throw;
    }
    printer.setDeviceSettings(remembered);
}
