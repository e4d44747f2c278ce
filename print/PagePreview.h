#pragma once

#include <QString>
#include <QVector>
#include <cstdint>
#include <memory>
#include <vector>

#include "print/PrintRequest.h"
#include "print/PrintRun.h"
#include "print/PrintSettings.h"
#include "print/Printer.h"

class QPainter;
class RecordingPrinter;
struct RenderContext;

// The pages a print run would produce, found by running the very print
// method on a recording printer that has the real printer's settings and
// page metrics; each page can then be drawn at any size from what was
// recorded. Nothing reaches the real printer.
class PagePreview {
public:
    struct Page {
        int number = 0;  // from 1, as the printer would count
        PageRole role = PageRole::Strip;
        double lengthMm = 0;  // along the ribbon (the landscape page's width)
        double widthMm = 0;   // across it
        int recorded = 0;     // index among the recording printer's pages
        int group = 0;        // by widths: the index of its width in groups()
    };

    // `printer` supplies the current device settings and page metrics; the
    // settings select the method and its values, the context the drawing's
    // settings, as for printing.
    // With `byWidth` the run is printed one width after the other, as the
    // print command does when asked to.
    PagePreview(const RibbonPrinter &printer, PrintRun run, const PrintSettings &settings,
                const RenderContext &context, bool byWidth = false);
    ~PagePreview();
    PagePreview(const PagePreview &) = delete;
    PagePreview &operator=(const PagePreview &) = delete;

    const std::vector<Page> &pages() const { return pages_; }
    // Ribbons the width rule left out, in order.
    const QVector<const TJob *> &leftOut() const { return run_.LeftOut; }
    const PrintRun &run() const { return run_; }
    // Why the run would fail (empty when it would not).
    const QString &failure() const { return failure_; }
    // Paper the run takes along the feed, feed pages included.
    double paperLengthMm() const;
    // By widths: the widths in the order they print; otherwise empty.
    const QList<WidthGroup> &groups() const { return groups_; }
    // The paper each width takes, in the order they print: "75 mm: 5,3 m · …".
    QString paperPerWidth() const;

    // Draws page `index` with its top left corner at the painter's origin,
    // pxPerMm pixels to the millimetre, white paper included.
    void drawPage(std::size_t index, QPainter &painter, double pxPerMm) const;

    // "Anfang", "Füllstück", ... for a page's role.
    static QString RoleName(PageRole role);

private:
    PrintRun run_;
    std::unique_ptr<RecordingPrinter> recorder_;
    std::vector<Page> pages_;
    QString failure_;
    QList<WidthGroup> groups_;
};
