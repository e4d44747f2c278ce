#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "print/PrintQuestions.h"
#include "print/PrintRequest.h"
#include "print/QueueCapabilities.h"
#include "render/FitCheck.h"

class RibbonPrinter;
class SettingsFile;
class TJob;

// Where a print goes: the printer, selected already (a queue, the PDF
// printer, a recording printer), and what the runner needs to know of it.
struct PrintTarget {
    RibbonPrinter *printer = nullptr;
    // The queue as messages name it; empty for the PDF printer.
    QString queue;
    // What the queue's driver says it takes; asked once per print. Unset:
    // the queue says nothing (a recording printer, the PDF printer).
    std::function<QueueCapabilities(const QString &queue)> readCapabilities;

    // PDF output (the PDF printer): the file written. Several widths go to
    // files beside it ("Schleifen-75mm.pdf"), each a new one: an existing
    // file of that name is kept and the new one numbered
    // ("Schleifen-75mm (2).pdf").
    bool toPdf = false;
    QString pdfFile;
    // Asked for the file when `pdfFile` is empty, once the questions are
    // answered and just before the paper would be used; empty: cancelled.
    std::function<QString()> askPdfFile;
    // Whether `pdfFile` itself may be replaced (the florist chose it in a
    // save dialog that asked); otherwise it is numbered like the others.
    bool replacePdfFile = true;
    // Points the printer at the file a part writes.
    std::function<void(const QString &file)> selectPdfFile;
};

// The checks that need more than printing knows. Spelling stays outside the
// print layer: the front end hands in its dictionary as a function.
struct PrintChecks {
    // The words of a ribbon's printed texts the dictionary does not know;
    // unset: no spelling check.
    std::function<QStringList(const TJob &job)> unknownWords;
    // A ribbon's fit findings; unset: measured now (the window hands in its cache).
    std::function<std::vector<FitFinding>(const TJob &job)> findings;
};

// What one print did, for every front end alike.
struct PrintResult {
    enum Status {
        Printed,         // every part reached paper (or its file)
        NothingToPrint,  // no ribbon with text in the range
        Declined,        // a question was answered no; nothing was printed
        Refused,         // the printer cannot take the ribbons; nothing was printed
        Cancelled,       // stopped by the florist
        Failed,          // the printer or a file failed
    };
    Status status = NothingToPrint;
    // Declined: the question; Refused and Failed: the reason, in the florist's words.
    QString reason;
    // After a failure: pages may be on paper (or files written) already.
    bool partsMayBePrinted = false;
    int pages = 0;                      // the pages of the finished documents
    QStringList outputs;                // the queue, or each PDF file written
    QString pdfFile;                    // the PDF file chosen, when asked for
    std::vector<const TJob *> printed;  // the ribbons that reached paper, in order
    int ribbonsInRun = 0;               // the ribbons the print set out to print
    QList<int> leftOut;                 // left out by the width rule, counted from 1
    bool widthMismatch = false;         // the width rule left out ribbons not foreseen
    QStringList unknownWords;           // each once, in order

    // "Druck fehlgeschlagen, nichts wurde gedruckt: …" or "…, ein Teil kann
    // gedruckt sein (1 von 2 Schleifen gedruckt): …"; for a Failed result.
    QString failureText() const;
};

// One print, whoever asks for it: reads the queue (its capabilities and
// its set-up in the settings file, once), checks, asks, prints the parts
// and reports one outcome. The window, its page preview, vellumo-cli and
// the order service all go through here; none keeps its own sequence.
// Needs no window: the questions go to `questions`, which the window
// answers with its dialogs and an unattended run by rule.
class PrintRunner {
public:
    PrintRunner(PrintRequest &request, const SettingsFile *settings, PrintTarget target,
                PrintQuestions &questions, PrintChecks checks = {});

    // Reads the queue and sets the limits its pages must keep to; the
    // printer gets the queue's cutting and length factor. Done once; run()
    // does it when it has not been done.
    void readQueue();
    const QueueCapabilities &capabilities() const { return capabilities_; }

    PrintResult run();

private:
    bool ask(PrintQuestion::Kind kind, const QString &text);
    bool askUnknownWords(PrintResult &result);
    bool askFit();
    QString pdfFileFor(const QList<WidthGroup> &groups, int part, bool byWidth, QString *error);

    PrintRequest &request_;
    const SettingsFile *settings_;
    PrintTarget target_;
    PrintQuestions &questions_;
    PrintChecks checks_;
    QueueCapabilities capabilities_;
    bool queueRead_ = false;
    QString asked_;  // the last question asked
};

// "<label>.pdf" in the folder, or "<label> (2).pdf", ...: created empty at
// once, so that two prints writing into one folder never share a file.
// Empty with the reason when no file can be made.
QString NewPdfFile(const QString &folder, const QString &label, QString *error);
