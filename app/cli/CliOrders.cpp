// Order files without the window: "import" prints or checks them once,
// "watch" is the workshop's print service on an order inbox.
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSocketNotifier>
#include <QTextStream>
#include <QTimer>

#include <csignal>

#include "app/cli/CliCheck.h"
#include "app/cli/CliCommands.h"
#include "app/cli/CliSession.h"
#include "app/cli/Trace.h"
#include "model/Job.h"
#include "model/OrderFile.h"
#include "model/OrderInbox.h"
#include "model/SignalPipe.h"
#include "model/StoredFormats.h"
#include "print/OrderPrinting.h"
#include "print/OrderService.h"
#include "print/QtPrinter.h"
#include "print/Session.h"
#include "spell/SpellChecker.h"

namespace {

using Target = OrderTarget;

Target TargetOf(const CliArgs &args, const QString &command) {
    Target target;
    const bool toPdf = args.has(QStringLiteral("pdf-dir"));
    if (toPdf == args.has(QStringLiteral("printer")))
        throw CliError(CliBadUsage,
                       QStringLiteral("vellumo-cli: %1 braucht entweder --pdf-dir ORDNER oder "
                                      "--printer NAME\nHilfe: vellumo-cli %1 --help")
                           .arg(command));
    target.queue = args.value(QStringLiteral("printer"));
    if (!toPdf && target.queue.compare(QtPrinter::PdfPrinterName, Qt::CaseInsensitive) == 0)
        throw CliError(
            CliBadUsage,
            QStringLiteral("vellumo-cli: f\u00fcr PDF-Dateien --pdf-dir ORDNER angeben"));
    if (toPdf) {
        target.pdfFolder = QFileInfo(args.value(QStringLiteral("pdf-dir"))).absoluteFilePath();
        if (!QFileInfo(target.pdfFolder).isDir())
            throw BadInput(QStringLiteral("%1: Ordner fehlt").arg(target.pdfFolder));
    }
    if (args.has(QStringLiteral("methode")))
        target.methode = args.integer(QStringLiteral("methode"), 0, 4, 0);
    target.yesToAll = args.has(QStringLiteral("ja"));
    return target;
}

// The stored formats of the settings file, found by name without regard to case.
StoredFormatLookup FormatLookup(const StoredFormatList &formats) {
    return [&formats](const QString &name) -> const TJob * {
        for (const std::unique_ptr<TJob> &format : formats) {
            if (format->Name.str().compare(name, Qt::CaseInsensitive) == 0)
                return format.get();
        }
        return nullptr;
    };
}

std::vector<RibbonEntry> Entries(std::vector<Order> &orders) {
    std::vector<RibbonEntry> entries;
    for (Order &order : orders) {
        for (std::unique_ptr<TJob> &job : order.ribbons)
            entries.push_back(RibbonEntry{order.number, order.line, std::move(job)});
    }
    return entries;
}

// SIGTERM and SIGINT end the watch: at once while it waits, after the
// running order while it prints (which asks gStop between its steps).
class StopSignals {
public:
    int readEnd() const { return pipe_.readEnd(); }

private:
    SignalPipe pipe_{SIGTERM, SIGINT};
};

// Whether SIGTERM or SIGINT came since the watch began.
struct StopFlag {
    operator bool() const { return SignalPipe::caught(); }
};
constexpr StopFlag gStop{};

}  // namespace

int RunImport(const CliArgs &args, QTextStream &out, QTextStream &err) {
    const bool check = args.has(QStringLiteral("check"));
    if (args.has(QStringLiteral("spelling")) && !check)
        throw CliError(CliBadUsage, QStringLiteral("vellumo-cli: --spelling gilt nur mit --check"));
    Target target;
    if (!check)
        target = TargetOf(args, QStringLiteral("import"));
    else if (args.has(QStringLiteral("printer")) || args.has(QStringLiteral("pdf-dir")))
        throw CliError(CliBadUsage, QStringLiteral("vellumo-cli: --check druckt nicht; "
                                                   "--printer und --pdf-dir entfallen"));
    RibbonSession session(CliSettingsPath(args));
    const StoredFormatList formats = ReadStoredFormats(session.settings());
    SpellChecker checker;
    const bool spelling = args.has(QStringLiteral("spelling"));
    if (spelling)
        PrepareChecker(session.settings(), checker, err);
    // A print lists the unknown words; they never stop it.
    SpellChecker printChecker;
    std::function<QStringList(const TJob &)> unknownWords;
    if (!check)
        unknownWords =
            UnattendedSpelling(session.settings(), printChecker, !session.compatibilityMode());

    int status = CliOk;
    for (const QString &path : args.files) {
        OrderFileResult read = LoadOrderFile(path, FormatLookup(formats));
        if (!read.ok()) {
            err << *read.error << '\n';
            status = CliBadInput;
            continue;
        }
        if (check) {
            const std::vector<RibbonEntry> entries = Entries(read.orders);
            const QList<CheckFinding> findings =
                RibbonFindings(entries, session.context(), spelling ? &checker : nullptr,
                               !session.compatibilityMode());
            for (const CheckFinding &finding : findings)
                out << QStringLiteral("file=%1 ").arg(TraceQuoted(path)) << finding.line() << '\n';
            if (!findings.isEmpty() && status == CliOk)
                status = CliFindings;
            continue;
        }
        std::vector<const TJob *> ribbons;
        for (const Order &order : read.orders) {
            for (const std::unique_ptr<TJob> &job : order.ribbons) {
                if (job->HasText())
                    ribbons.push_back(job.get());
            }
        }
        if (ribbons.empty()) {
            err << QStringLiteral("%1: keine Schleife mit Text; nichts gedruckt\n").arg(path);
            status = CliBadInput;
            continue;
        }
        const PrintResult result = PrintOrderRibbons(ribbons, path, target, session, unknownWords);
        if (!result.unknownWords.isEmpty())
            err << QStringLiteral("%1: Unbekannte W\u00f6rter: %2\n")
                       .arg(path, result.unknownWords.join(QStringLiteral(", ")));
        if (result.status != PrintResult::Printed) {
            QString reason = result.reason;
            if (result.status == PrintResult::Failed)
                reason = result.failureText();
            else if (result.status == PrintResult::Declined)
                reason += QStringLiteral(" Es wurde nichts gedruckt; --ja druckt trotzdem.");
            err << QStringLiteral("%1: %2\n").arg(path, reason);
            status = CliBadInput;
            continue;
        }
        const int count = int(result.printed.size());
        out << QStringLiteral("%1: %2 %3, %4 %5 auf %6\n")
                   .arg(path)
                   .arg(count)
                   .arg(count == 1 ? QStringLiteral("Schleife") : QStringLiteral("Schleifen"))
                   .arg(result.pages)
                   .arg(result.pages == 1 ? QStringLiteral("Seite") : QStringLiteral("Seiten"))
                   .arg(result.outputs.join(QStringLiteral(", ")));
    }
    return status;
}

int RunWatch(const CliArgs &args, QTextStream &out, QTextStream &err) {
    const Target target = TargetOf(args, QStringLiteral("watch"));
    const QString folder = QFileInfo(args.file).absoluteFilePath();
    if (!QFileInfo(folder).isDir())
        throw BadInput(QStringLiteral("%1: Auftragsordner fehlt").arg(folder));
    if (!target.queue.isEmpty()) {
        // A queue that is not there is a mistake of the call, not of an order.
        QtPrinter probe;
        try {
            RibbonSession::SelectQueue(probe, target.queue);
        } catch (const PrinterError &e) {
            throw BadInput(e.message());
        }
    }
    RibbonSession session(CliSettingsPath(args));
    const StoredFormatList formats = ReadStoredFormats(session.settings());

    OrderInbox inbox(folder);
    QString error;
    if (!inbox.prepare(&error))
        throw BadInput(error);

    const auto log = [&out](const QString &line) {
        out << line << '\n';
        out.flush();
    };
    SpellChecker checker;
    const std::function<QStringList(const TJob &)> unknownWords =
        UnattendedSpelling(session.settings(), checker, !session.compatibilityMode());
    OrderService service(
        inbox, FormatLookup(formats),
        [&](const std::vector<const TJob *> &ribbons, const QString &name) {
            return PrintOrderRibbons(ribbons, name, target, session, unknownWords);
        },
        log);

    StopSignals stopSignals;
    QEventLoop loop;
    QTimer next;
    next.setSingleShot(true);
    QTimer heartbeat;
    heartbeat.setInterval(int(OrderInbox::ClaimTimeoutMs / 4));
    QObject::connect(&heartbeat, &QTimer::timeout, &loop, [&inbox] { inbox.heartbeat(); });
    heartbeat.start();

    // A pass over the inbox, then the next one: soon while files are still
    // being written, else after a second (a share tells nothing of new files).
    const auto pass = [&] {
        if (gStop) {
            loop.quit();
            return;
        }
        const OrderService::Pass done = service.runOnce([] { return gStop != 0; });
        if (gStop) {
            loop.quit();
            return;
        }
        next.start(done.waiting > 0 ? 500 : 1000);
    };
    QObject::connect(&next, &QTimer::timeout, &loop, pass);
    QFileSystemWatcher watcher({folder});
    QObject::connect(&watcher, &QFileSystemWatcher::directoryChanged, &loop, [&next] {
        // Many changes in a row (a copy of many files) make one pass.
        if (!next.isActive() || next.remainingTime() > 100)
            next.start(100);
    });
    std::unique_ptr<QSocketNotifier> stopNotifier;
    if (stopSignals.readEnd() >= 0) {
        stopNotifier =
            std::make_unique<QSocketNotifier>(stopSignals.readEnd(), QSocketNotifier::Read);
        QObject::connect(stopNotifier.get(), &QSocketNotifier::activated, &loop,
                         [&loop] { loop.quit(); });
    }
    err << QStringLiteral("vellumo-cli: beobachte %1 als %2, drucke auf %3\n")
               .arg(QDir::toNativeSeparators(folder), inbox.station(),
                    target.queue.isEmpty() ? QDir::toNativeSeparators(target.pdfFolder)
                                           : target.queue);
    err.flush();
    next.start(0);
    loop.exec();
    inbox.leave();
    err << QStringLiteral("vellumo-cli: beendet\n");
    return CliOk;
}
