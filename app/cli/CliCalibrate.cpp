#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <cmath>

#include "app/cli/CliCommands.h"
#include "app/cli/CliSession.h"
#include "model/Lengths.h"
#include "model/QueueSettings.h"
#include "print/CalibrationStrip.h"
#include "print/PrintSettings.h"
#include "print/QtPrinter.h"
#include "print/QueueCapabilities.h"
#include "print/QueueSetup.h"
#include "print/Session.h"

namespace {

CliError CalibrateUsage(const QString &message) {
    return CliError(CliBadUsage, QStringLiteral("vellumo-cli: %1\nHilfe: vellumo-cli calibrate "
                                                "--help")
                                     .arg(message));
}

// "--width": millimetres to a tenth, with a point or a comma, as a paper
// field holds them.
double WidthOption(const QString &text) {
    static const QRegularExpression pattern(QStringLiteral("^\\d{1,4}(?:[.,]\\d)?$"));
    QString number = text;
    number.replace(QLatin1Char(','), QLatin1Char('.'));
    const double mm = pattern.match(text).hasMatch() ? number.toDouble() : 0.0;
    if (!(mm >= 1.0 && mm <= 3276.7))
        throw CalibrateUsage(QStringLiteral("\"--width\" erwartet eine Breite in mm von 1 bis "
                                            "3276,7 (z. B. 101,6), nicht \"%1\"")
                                 .arg(text));
    return mm;
}

}  // namespace

int RunCalibrate(const CliArgs &args, QTextStream &out, QTextStream &) {
    const bool toPdf = args.has(QStringLiteral("pdf"));
    if (toPdf == args.has(QStringLiteral("printer")))
        throw CalibrateUsage(
            QStringLiteral("calibrate braucht entweder --pdf AUS.pdf oder --printer NAME"));
    if (!args.file.isEmpty())
        throw CalibrateUsage(QStringLiteral("calibrate nimmt keine Datei (\"%1\")").arg(args.file));
    const QString queue = args.value(QStringLiteral("printer"));
    if (!toPdf && queue.compare(QtPrinter::PdfPrinterName, Qt::CaseInsensitive) == 0)
        throw CalibrateUsage(QStringLiteral("f\u00fcr eine PDF-Datei --pdf AUS.pdf angeben"));
    const bool widthGiven = args.has(QStringLiteral("width"));
    const double askedWidth = widthGiven ? WidthOption(args.value(QStringLiteral("width"))) : 0;

    RibbonSession session(CliSettingsPath(args));
    QtPrinter printer;
    QString name = QtPrinter::PdfPrinterName;
    double widest = 0;
    SelectCliPrinter(args, printer);
    if (!toPdf) {
        name = printer.printerName();
        // The queue's stored values (its cutting) as the window gives them;
        // the strip is never wider than the queue's widest page.
        const QueueCapabilities capabilities = ReadQueueCapabilities(name);
        ApplyQueueSettings(printer, ReadQueueSettings(&session.settings(), name), capabilities);
        widest = PageLimitsFor(capabilities).maxWidth / 10.0;
    }
    // The strip measures the printer, not the factor stored last.
    printer.setLengthFactor(1.0);
    // Without --width the strip is as wide as the printer's paper, as the
    // window prints it.
    DeviceSettings paper;
    if (!printer.deviceSettings(&paper))
        paper.paperWidth = 0;
    const double width = widthGiven ? askedWidth : double(std::lround(paper.paperWidth / 10.0));
    PrintCalibrationStrip(printer, name, width, widest);
    if (printer.aborted())
        throw BadInput(
            QStringLiteral("Der Kalibrierstreifen wurde abgebrochen. Es wurde nichts "
                           "gedruckt."));
    out << QStringLiteral(
               "Kalibrierstreifen %1 \u00d7 %2 mm auf \u201e%3\u201c: von Strich zu "
               "Strich %4 mm messen.\n")
               .arg(GermanLength(CalibrationStripLengthMm, LengthUnit::None),
                    GermanLength(CalibrationStripWidthTenths(width, paper.paperWidth) / 10.0,
                                 LengthUnit::None),
                    name)
               .arg(CalibrationLengthMm);
    return CliOk;
}
