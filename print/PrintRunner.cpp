#include "print/PrintRunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "model/Job.h"
#include "model/QueueSettings.h"
#include "print/CupsClient.h"
#include "print/PrintCommand.h"
#include "print/Printer.h"
#include "print/QueueSetup.h"
#include "print/WatchedPrinter.h"

QString NewPdfFile(const QString &folder, const QString &label, QString *error) {
    for (int n = 1; n < 10000; ++n) {
        const QString name = n == 1 ? label + QStringLiteral(".pdf")
                                    : QStringLiteral("%1 (%2).pdf").arg(label).arg(n);
        const QString path = QDir(folder).filePath(name);
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly))
            return path;
        if (QFileInfo::exists(path))
            continue;
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return QString();
    }
    *error =
        QStringLiteral("%1: kein freier Dateiname f\u00fcr \u201e%2.pdf\u201c").arg(folder, label);
    return QString();
}

QString PrintResult::failureText() const {
    if (!partsMayBePrinted)
        return QStringLiteral("Druck fehlgeschlagen, nichts wurde gedruckt: %1").arg(reason);
    return QStringLiteral(
               "Druck fehlgeschlagen, ein Teil kann gedruckt sein (%1 von %2 Schleifen "
               "gedruckt): %3")
        .arg(printed.size())
        .arg(ribbonsInRun)
        .arg(reason);
}

PrintRunner::PrintRunner(PrintRequest &request, const SettingsFile *settings, PrintTarget target,
                         PrintQuestions &questions, PrintChecks checks)
    : request_(request),
      settings_(settings),
      target_(std::move(target)),
      questions_(questions),
      checks_(std::move(checks)) {}

void PrintRunner::readQueue() {
    if (queueRead_)
        return;
    queueRead_ = true;
    if (target_.toPdf || target_.queue.isEmpty())
        return;
    if (target_.readCapabilities)
        capabilities_ = target_.readCapabilities(target_.queue);
    // The queue's own set-up: its cutting and its length factor, which the
    // longest page allows for. Both go to the printer and the limits here,
    // from the one reading.
    const QueueSettings values = ReadQueueSettings(settings_, target_.queue);
    if (target_.printer)
        ApplyQueueSettings(*target_.printer, values, capabilities_);
    request_.settings().limits = PageLimitsFor(capabilities_, values.lengthFactor);
}

bool PrintRunner::ask(PrintQuestion::Kind kind, const QString &text) {
    asked_ = text;
    return questions_.ask({kind, text});
}

bool PrintRunner::askUnknownWords(PrintResult &result) {
    if (!checks_.unknownWords)
        return true;
    const PrintRun &run = request_.run();
    QList<int> ribbons;  // which ribbons hold them, so that they can be found
    for (std::int32_t i = run.PrintFirst; i <= run.PrintLast; ++i) {
        const TJob *job = run.jobAt(i);
        if (!job)
            continue;
        const QStringList unknown = checks_.unknownWords(*job);
        if (unknown.isEmpty())
            continue;
        ribbons << i + 1;
        for (const QString &word : unknown) {
            if (!result.unknownWords.contains(word))
                result.unknownWords.append(word);
        }
    }
    return result.unknownWords.isEmpty() ||
           ask(PrintQuestion::UnknownWords, UnknownWordsQuestion(result.unknownWords, ribbons));
}

bool PrintRunner::askFit() {
    // Texts that do not fit cost a ribbon, and so do letters the face lacks
    // (they would print as gaps): asked once, before anything prints, naming
    // the ribbons so that they can be found in the list.
    QList<int> unfitting, lacking;
    const PrintRun &run = request_.run();
    for (std::int32_t i = run.PrintFirst; i <= run.PrintLast; ++i) {
        const TJob *job = run.jobAt(i);
        if (!job)
            continue;
        const std::vector<FitFinding> findings =
            checks_.findings ? checks_.findings(*job) : CheckFit(request_.context(), *job);
        const auto has = [&findings](bool aboutLetters) {
            return std::any_of(findings.begin(), findings.end(), [aboutLetters](const auto &f) {
                return (f.kind == FitFinding::Kind::MissingLetters) == aboutLetters;
            });
        };
        if (has(false))
            unfitting << i + 1;
        if (has(true))
            lacking << i + 1;
    }
    return (unfitting.isEmpty() && lacking.isEmpty()) ||
           ask(PrintQuestion::DoesNotFit, UnfittingRibbonsQuestion(unfitting, lacking));
}

QString PrintRunner::pdfFileFor(const QList<WidthGroup> &groups, int part, bool byWidth,
                                QString *error) {
    const QFileInfo chosen(target_.pdfFile);
    if (!byWidth) {
        if (target_.replacePdfFile)
            return target_.pdfFile;
        return NewPdfFile(chosen.absolutePath(), chosen.completeBaseName(), error);
    }
    // Each width a file of its own beside the one chosen; one left from an
    // earlier print is kept.
    const QString label =
        QStringLiteral("%1-%2mm").arg(chosen.completeBaseName()).arg(groups[part].width);
    return NewPdfFile(chosen.absolutePath(), label, error);
}

PrintResult PrintRunner::run() {
    PrintResult result;
    if (request_.count() == 0 || request_.run().PrintFirst > request_.run().PrintLast ||
        !request_.run().jobAt(request_.run().PrintFirst))
        return result;
    const auto decline = [&result](const QString &text) {
        result.status = PrintResult::Declined;
        result.reason = text;
        return result;
    };

    // The questions about the texts come first: they may send the florist
    // back to the editor before anything else is asked.
    if (!askUnknownWords(result) || !askFit())
        return decline(asked_);

    readQueue();
    // A scheduler that did not answer about the queue will not take its jobs
    // either: said now, not after another wait.
    if (!capabilities_.known && capabilities_.notes.contains(CupsClient::NoAnswer())) {
        result.status = PrintResult::Failed;
        result.reason = CupsClient::NoAnswer();
        return result;
    }
    RibbonPrinter &printer = *target_.printer;

    // Several widths: one width after the other, roll by roll, when wanted;
    // otherwise the first width only, as always.
    const QList<WidthGroup> groups = request_.widthGroups();
    bool byWidth = false;
    if (groups.size() > 1) {
        QStringList lines;
        for (const WidthGroup &group : groups)
            lines << WidthGroupLine(group);
        byWidth = ask(PrintQuestion::ByWidth, ByWidthQuestion(lines));
    }
    std::vector<PrintRequest> parts;
    if (byWidth) {
        for (const WidthGroup &group : groups)
            parts.push_back(request_.forWidth(group));
    } else {
        parts.push_back(request_);
    }
    // Refused before anything is printed, not half way through the day's ribbons.
    for (const PrintRequest &part : parts) {
        QString refusal = part.refusal(target_.queue);
        if (refusal.isEmpty())
            refusal = PaperRefusal(part.run(), part.settings(), printer);
        if (!refusal.isEmpty()) {
            result.status = PrintResult::Refused;
            result.reason = refusal;
            return result;
        }
    }
    if (!target_.toPdf) {
        const QString warning = request_.paperWarning(target_.queue, CurrentPaperName(printer));
        if (!warning.isEmpty()) {
            if (!ask(PrintQuestion::NoFreeSizes, warning + QStringLiteral(" Trotzdem drucken?")))
                return decline(asked_);
        }
    }

    // Ribbons of another width are left out; the florist learns which
    // before the paper (or the file) is used, not afterwards.
    result.leftOut = byWidth ? QList<int>() : request_.leftOutByWidth();
    if (!result.leftOut.isEmpty())
        questions_.inform(LeftOutByWidthNotice(result.leftOut));

    if (target_.toPdf && target_.pdfFile.isEmpty()) {
        target_.pdfFile = target_.askPdfFile ? target_.askPdfFile() : QString();
        if (target_.pdfFile.isEmpty()) {
            result.status = PrintResult::Cancelled;
            return result;
        }
        result.pdfFile = target_.pdfFile;
    }

    for (const PrintRequest &part : parts) {
        const PrintRun &run = part.run();
        for (std::int32_t i = run.PrintFirst; i <= run.PrintLast; ++i) {
            const TJob *job = run.jobAt(i);
            if (job && !result.leftOut.contains(request_.indexOf(job) + 1))
                ++result.ribbonsInRun;
        }
    }

    WatchedPrinter watched(printer);
    result.status = PrintResult::Printed;
    questions_.busy(true);
    for (std::size_t g = 0; g < parts.size(); ++g) {
        PrintRequest &part = parts[g];
        QString file;
        if (target_.toPdf) {
            QString error;
            file = pdfFileFor(groups, int(g), byWidth, &error);
            if (file.isEmpty()) {
                result.status = PrintResult::Failed;
                result.reason = error;
                break;
            }
            if (target_.selectPdfFile)
                target_.selectPdfFile(file);
        } else if (g > 0) {
            // The next width needs its roll: asked with the window free again.
            questions_.busy(false);
            const bool go =
                ask(PrintQuestion::NextRoll,
                    WidthGroupLine(groups[int(g)]) + QStringLiteral(". Rolle einlegen und OK"));
            if (!go) {
                result.status = PrintResult::Cancelled;
                questions_.busy(true);
                break;
            }
            questions_.busy(true);
        }

        const int pagesBefore = watched.finishedPages();
        const int endedBefore = watched.documentsEnded();
        const int abortedBefore = watched.documentsAborted();
        const QString failure = part.print(watched);
        result.widthMismatch = result.widthMismatch || part.run().WidthMismatch;
        const bool finished = watched.finishedPages() > pagesBefore;
        if (finished) {
            const PrintRun &run = part.run();
            for (std::int32_t i = run.PrintFirst; i <= run.PrintLast; ++i) {
                const TJob *job = run.jobAt(i);
                if (job && !run.LeftOut.contains(job))
                    result.printed.push_back(job);
            }
            const QString output = target_.toPdf ? file : target_.queue;
            if (!result.outputs.contains(output))
                result.outputs << output;
        }

        QString reason = failure.isEmpty() ? watched.failure() : failure;
        const bool stoppedByUser = printer.aborted() && reason.isEmpty();
        if (reason.isEmpty() && !stoppedByUser &&
            (watched.endFailed() || watched.documentsAborted() > abortedBefore ||
             watched.documentsEnded() == endedBefore))
            reason = QStringLiteral("der Druckauftrag wurde nicht abgeschlossen");
        if (stoppedByUser) {
            result.status = PrintResult::Cancelled;
            result.partsMayBePrinted = !result.printed.empty() || watched.endFailed();
        } else if (!reason.isEmpty()) {
            result.status = PrintResult::Failed;
            result.reason = reason;
            // A queue takes each finished document, and may have taken part
            // of one whose end failed; a PDF appears whole or not at all.
            result.partsMayBePrinted =
                !result.printed.empty() ||
                (!target_.toPdf && watched.endFailed() && printer.partHandedOver());
        }
        if (result.status != PrintResult::Printed) {
            // A numbered file was made for this part: no empty or broken file stays.
            if (target_.toPdf && !finished && file != target_.pdfFile)
                QFile::remove(file);
            break;
        }
    }
    questions_.busy(false);
    result.pages = watched.finishedPages();
    return result;
}
