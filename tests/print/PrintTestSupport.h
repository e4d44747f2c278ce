#pragma once

#include <QString>
#include <memory>
#include <vector>

#include "model/Job.h"
#include "model/SettingsFile.h"
#include "print/PrintRun.h"
#include "print/RecordingPrinter.h"
#include "render/RenderContext.h"
#include "tests/support/TempDataFolder.h"

// A temporary data folder with its own RIBOLANT.INI made the current settings
// file, and a list of ribbons to print.
class PrintFixture {
public:
    PrintFixture();
    ~PrintFixture();

    void setDrucker(const char *key, int value);
    // The drawing context of the fixture's settings as they stand now.
    RenderContext context() const;

    // A ribbon with one line at each end.
    TJob &addJob(int laenge, int breite, int stil = Align);
    PrintRun run(int first = 0, int last = -1) const;

    // A printer whose landscape page has a printable width of 280 mm: A4 with
    // an 8.5 mm border, 600 dpi.
    static RecordingPrinter::Config a4With280();

    TempDataFolder data;
    std::unique_ptr<SettingsFile> settings;
    std::vector<std::unique_ptr<TJob>> jobs;
};

// Device x of a logical point under the mapping an operation was drawn with.
int deviceX(const CanvasOp &op, QPoint logical);
// The upper cut marks drawn on a page (vertical lines of 80 units starting 40
// units in); with HR given only those that land on the page's pixels 0..HR.
std::vector<const CanvasOp *> cutMarks(const RecordingCanvas &canvas, int HR = -1);

// The file holds together as a PDF: `qpdf --check` finds nothing wrong (not
// checked where qpdf is missing).
void ExpectSoundPdf(const QString &pdf);
// The text pdftotext reads from a PDF.
QString PdfText(const QString &pdf);
