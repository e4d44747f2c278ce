#include <QFileInfo>
#include <QRegularExpression>
#include <QTextStream>
#include <climits>
#include <cmath>
#include <optional>

#include "app/cli/CliCheck.h"
#include "app/cli/CliCommands.h"
#include "app/cli/CliSession.h"
#include "app/cli/Trace.h"
#include "model/Job.h"
#include "model/SettingsFile.h"
#include "print/PrintCommand.h"
#include "print/PrintRequest.h"
#include "print/PrintRun.h"
#include "print/PrintRunner.h"
#include "print/QtPrinter.h"
#include "print/RecordingPrinter.h"
#include "print/Session.h"
#include "spell/SpellChecker.h"

namespace {

// The options whose form needs no file: wrong ones are bad usage, whatever
// the file holds.
void CheckPrintOptions(const CliArgs &args) {
    args.integer(QStringLiteral("methode"), 0, 4, 0);
    args.integer(QStringLiteral("from"), 1, INT_MAX, 1);
    args.integer(QStringLiteral("to"), 1, INT_MAX, 1);
}

// The steps of the print command before the method runs: ribbons without text
// go, the range is taken, the method is chosen.
struct PreparedRun {
    std::vector<const RibbonEntry *> entries;  // index for index with the request's ribbons
    std::optional<PrintRequest> request;
    const PrintRun &run() const { return request->run(); }
};

PreparedRun PrepareRun(const CliArgs &args, const CliSession &session) {
    PreparedRun prepared;
    std::vector<const TJob *> listed;
    for (const RibbonEntry &entry : session.ribbons()) {
        if (!entry.job->HasText())
            continue;
        prepared.entries.push_back(&entry);
        listed.push_back(entry.job.get());
    }
    if (listed.empty())
        throw BadInput(
            QStringLiteral("%1: keine Schleife mit Text; nichts gedruckt").arg(args.file));
    CheckDrawable(args, prepared.entries);
    const SettingsFile &settings = session.settings();
    prepared.request.emplace(listed, &settings, session.context());
    PrintRequest &request = *prepared.request;
    const int count = request.count();
    if (args.has(QStringLiteral("from")) || args.has(QStringLiteral("to"))) {
        PrintRange range;
        range.kind = PrintRange::Pages;
        range.from = args.integer(QStringLiteral("from"), 1, count, 1);
        range.to = args.integer(QStringLiteral("to"), 1, count, count);
        if (range.from > range.to)
            throw CliError(CliBadUsage,
                           QStringLiteral("vellumo-cli: --from %1 liegt hinter --to %2")
                               .arg(range.from)
                               .arg(range.to));
        request.setRange(range, nullptr);
    }
    if (args.has(QStringLiteral("methode"))) {
        request.settings().Methode = args.integer(QStringLiteral("methode"), 0, 4, 0);
    } else if (!request.settings().printsAnything()) {
        throw BadInput(QStringLiteral("%1: \"Methode\" %2 in [Drucker] druckt nichts (0 bis 4)")
                           .arg(settings.path())
                           .arg(request.settings().Methode));
    }
    return prepared;
}

void ReportLeftOut(const PreparedRun &prepared, const PrintResult &result, QTextStream &err) {
    if (result.leftOut.isEmpty())
        return;
    err << WidthMismatchMessage().trimmed() << '\n';
    for (int number : result.leftOut) {
        const RibbonEntry &entry = *prepared.entries[std::size_t(number - 1)];
        err << QStringLiteral("  ausgelassen: Schleife %1 (Abschnitt \"%2\", %3 mm breit)\n")
                   .arg(number)
                   .arg(entry.section)
                   .arg(entry.job->Breite);
    }
}

// A print that did not reach paper is no success: the question that stopped
// it, the refusal or the failure, in the florist's words.
void CheckResult(const PrintResult &result) {
    switch (result.status) {
        case PrintResult::Printed:
            return;
        case PrintResult::Declined:
            throw BadInput(result.reason +
                           QStringLiteral("\nEs wurde nichts gedruckt; --ja druckt trotzdem."));
        case PrintResult::Refused:
            throw BadInput(result.reason);
        case PrintResult::Failed:
            throw BadInput(result.failureText());
        case PrintResult::Cancelled:
        case PrintResult::NothingToPrint:
            throw BadInput(QStringLiteral("Es wurde nichts gedruckt."));
    }
}

// A device-settings field as requested, or "-" where the page kept the printer's own.
QString FieldValue(std::uint32_t fields, std::uint32_t field, std::int16_t value) {
    return (fields & field) ? QString::number(value) : QStringLiteral("-");
}

// "WxH@DPI": printable width and height in millimetres (a tenth at most),
// dots per inch.
RecordingPrinter::Config PageConfig(const QString &text) {
    static const QRegularExpression pattern(
        QStringLiteral("^(\\d{1,4}(?:\\.\\d)?)x(\\d{1,4}(?:\\.\\d)?)@(\\d{1,4})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    const auto bad = [&] {
        return CliError(CliBadUsage,
                        QStringLiteral("vellumo-cli: --page erwartet BxH@DPI in mm, z. B. "
                                       "210x297@600 (h\u00f6chstens 3276.7 mm, 1 bis 2400 dpi), "
                                       "nicht \"%1\"")
                            .arg(text));
    };
    if (!m.hasMatch())
        throw bad();
    const int widthTenths = int(std::lround(m.captured(1).toDouble() * 10));
    const int heightTenths = int(std::lround(m.captured(2).toDouble() * 10));
    const int dpi = m.captured(3).toInt();
    if (widthTenths < 1 || heightTenths < 1 || widthTenths > 32767 || heightTenths > 32767 ||
        dpi < 1 || dpi > 2400)
        throw bad();
    RecordingPrinter::Config config;
    config.printers = {QStringLiteral("Aufzeichnung")};
    config.driverDefaults = DeviceSettings{0, DeviceSettings::Portrait, 9,
                                           std::int16_t(heightTenths), std::int16_t(widthTenths)};
    config.dpi = dpi;
    return config;
}

}  // namespace

int RunPrint(const CliArgs &args, QTextStream &, QTextStream &err) {
    const bool toPdf = args.has(QStringLiteral("pdf"));
    if (toPdf == args.has(QStringLiteral("printer")))
        throw CliError(CliBadUsage,
                       QStringLiteral("vellumo-cli: print braucht entweder --pdf AUS.pdf oder "
                                      "--printer NAME\nHilfe: vellumo-cli print --help"));
    const QString queue = args.value(QStringLiteral("printer"));
    if (!toPdf && queue.compare(QtPrinter::PdfPrinterName, Qt::CaseInsensitive) == 0)
        throw CliError(
            CliBadUsage,
            QStringLiteral("vellumo-cli: f\u00fcr eine PDF-Datei --pdf AUS.pdf angeben"));
    CheckPrintOptions(args);
    CliSession session(args);
    PreparedRun prepared = PrepareRun(args, session);
    session.warnMissingPictures(prepared.entries, err);

    QtPrinter printer;
    PrintTarget target;
    target.printer = &printer;
    const QString output = SelectCliPrinter(args, printer);
    if (toPdf) {
        target.toPdf = true;
        target.pdfFile = output;
        target.selectPdfFile = [&printer](const QString &file) { printer.setPdfOutputFile(file); };
    } else {
        target.queue = queue;
        target.readCapabilities = [](const QString &name) { return ReadQueueCapabilities(name); };
    }

    // Nobody to ask: the questions that protect paper are answered no,
    // unless --ja says yes to all; other widths are left out, as the window
    // does without being asked.
    UnattendedAnswers answers(args.has(QStringLiteral("ja")), false);
    PrintChecks checks;
    SpellChecker checker;
    checks.unknownWords =
        UnattendedSpelling(session.settings(), checker, !session.shared().compatibilityMode());
    PrintRunner runner(*prepared.request, &session.settings(), target, answers, checks);
    const PrintResult result = runner.run();
    ReportLeftOut(prepared, result, err);
    if (!result.unknownWords.isEmpty())
        err << QStringLiteral("Unbekannte W\u00f6rter: %1\n")
                   .arg(result.unknownWords.join(QStringLiteral(", ")));
    CheckResult(result);
    return CliOk;
}

int RunTracePrint(const CliArgs &args, QTextStream &out, QTextStream &err) {
    if (!args.has(QStringLiteral("page")))
        throw CliError(CliBadUsage,
                       QStringLiteral("vellumo-cli: trace-print braucht --page BxH@DPI\n"
                                      "Hilfe: vellumo-cli trace-print --help"));
    RecordingPrinter printer(PageConfig(args.value(QStringLiteral("page"))));
    CheckPrintOptions(args);
    CliSession session(args);
    PreparedRun prepared = PrepareRun(args, session);
    session.warnMissingPictures(prepared.entries, err);

    printer.selectPrinter(0);
    printer.reselectWithDriverDefaults();
    PrintTarget target;
    target.printer = &printer;
    // A recording uses no paper: there is nothing to ask about fit, and
    // every ribbon is recorded as the print command would print it.
    PrintChecks checks;
    checks.findings = [](const TJob &) { return std::vector<FitFinding>(); };
    UnattendedAnswers answers(true, false);
    const PrintResult result =
        PrintRunner(*prepared.request, &session.settings(), target, answers, checks).run();

    int n = 0;
    int printed = 0;
    for (const RecordingPrinter::Page &page : printer.pages()) {
        const DeviceSettings &s = page.settings;
        out << QStringLiteral("page %1 papersize=%2 orientation=%3 length=%4 width=%5%6\n")
                   .arg(++n)
                   .arg(FieldValue(s.fields, DeviceSettings::FieldPaperSize, s.paperSize))
                   .arg(s.orientation == DeviceSettings::Landscape ? QStringLiteral("landscape")
                                                                   : QStringLiteral("portrait"))
                   .arg(FieldValue(s.fields, DeviceSettings::FieldPaperLength, s.paperLength))
                   .arg(FieldValue(s.fields, DeviceSettings::FieldPaperWidth, s.paperWidth))
                   .arg(page.discarded ? QStringLiteral(" discarded") : QString());
        if (!page.discarded)
            ++printed;
        for (const QString &line : TraceLines(page.canvas->ops()))
            out << line << '\n';
    }
    for (int number : result.leftOut)
        out << QStringLiteral("skipped index=%1 section=%2\n")
                   .arg(number)
                   .arg(TraceQuoted(prepared.entries[std::size_t(number - 1)]->section));
    out << QStringLiteral("pages total=%1\n").arg(printed);
    ReportLeftOut(prepared, result, err);
    CheckResult(result);
    return CliOk;
}
