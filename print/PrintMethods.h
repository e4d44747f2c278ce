#pragma once

#include <QPoint>
#include <cstdint>
#include <vector>

#include "print/PrintRun.h"
#include "print/PrintSettings.h"
#include "print/Printer.h"
#include "render/CanvasMapping.h"
#include "render/RenderContext.h"
#include "render/RibbonCanvas.h"

class TJob;

// The page mapping of every printed page: one logical unit is 1/8 mm of the
// printable area, isotropic, y downwards, both origins 0.
CanvasMapping PageMapping(const PageMetrics &metrics);
void SetPageMapping(RibbonCanvas &canvas, const PageMetrics &metrics);

// --- Page strips: the ribbons end to end on the printer's own pages.

struct StripDraw {
    std::int32_t jobIndex = 0;
    std::int32_t page = 0;  // counted from 0, the feed page not counted
    QPoint viewportOrg;     // device pixels
    bool newPageAfter = false;
};

// Where each taken ribbon is drawn: a ribbon is drawn once on every page it
// touches, shifted left by the pages it has already used.
std::vector<StripDraw> PlanPageStrip(const PageMetrics &metrics, const PrintRun &run,
                                     const std::vector<std::int32_t> &takenIndices);

// --- Pieces: pages of computed length, in tenths of a millimetre.

struct Piece {
    std::int32_t length = 0;  // content length; the page is PR div 2 longer
    int flags = 0;            // DrawJob flags, 0 = the ribbon is not drawn (filler)
};

struct PiecePlan {
    std::int32_t LeftBlock = 0;
    std::int32_t RightBlock = 0;
    std::vector<Piece> pieces;
};

// TL and TR: text length of each end in 1/8 mm, pictures included; PR the
// printer margin and ML the longest filler, tenths of a millimetre. A style
// other than Align, Center and UpSide gives no piece.
PiecePlan PlanPieces(const TJob &job, std::int32_t TL, std::int32_t TR, std::int32_t PR,
                     std::int32_t ML);

// Splits every piece longer than `maxContent` (tenths of a millimetre, 0:
// no limit) into equal parts that are not, keeping its flags: the parts
// show the same end one after the other. Each part is followed by the
// printer margin PR as every piece is, so the parts with their margins take
// as much ribbon as the piece did.
void LimitPieceLengths(PiecePlan &plan, std::int32_t maxContent, std::int32_t PR);

// The lengths of the pages a stretch of `length` is cut into so that none is
// longer than `maxLength` (0: no limit): equal pages, the first ones a tenth
// longer where the division leaves a rest.
std::vector<std::int32_t> SplitLength(std::int32_t length, std::int32_t maxLength);

// Text length of each end of a ribbon as piece printing measures it, in 1/8 mm:
// the text, plus picture width and distance when the end has a picture.
std::int32_t PieceTextLength(const TJob &job, RibbonCanvas &ic, bool leftEnd);

// The four print methods over a prepared run. Each begins and ends its own
// document, checks for cancellation before every page, and catches every
// error after aborting its document (the run then just ends); failure() says
// why, for whoever reports the run.
class PrintMethods {
public:
    // The context's and the settings' values hold for the whole run; the
    // context's DrawOrigin places each ribbon piece.
    PrintMethods(RibbonPrinter &printer, PrintRun &run, const RenderContext &context,
                 const PrintSettings &settings)
        : printer_(printer), run_(run), context_(context), settings_(settings) {}

    void PrintPageStrip();
    void PrintPieces() { runPieces(false); }
    void PrintPiecesFitted() { runPieces(true); }
    void PrintSingleSheets();

    static const QString DocumentName;

    // Why the run failed, in the user's words; empty when it did not (a run
    // the user cancelled has not failed).
    const QString &failure() const { return failure_; }

private:
    // Notes the exception being handled as the run's failure (the first one counts).
    void noteFailure();
    void runPieces(bool fitted);
    // The printer margin and the longest piece content for this printer:
    // the stricter of [Drucker] and what the queue takes.
    std::int32_t margin() const;
    std::int32_t longestContent() const;
    // The blank feed page's width: 200 mm, or the queue's widest page where
    // that is less.
    std::int32_t feedWidth() const;
    void printJobPieces(const TJob &job);
    void StartPiecePage(std::int32_t length, std::int32_t width);
    void StartSheetPage(std::int32_t length, std::int32_t width);
    void DrawPieceMarks(ColorRef colour);
    void mapPage();
    void startPageWith(const DeviceSettings &s);
    // Ends an open document, aborts it when anything failed.
    void finish(bool failed);

    RibbonPrinter &printer_;
    PrintRun &run_;
    RenderContext context_;
    PrintSettings settings_;
    PageMetrics metrics_;
    bool fitted_ = false;
    bool cancelled_ = false;
    QString failure_;
    std::int32_t PR_ = 0;                   // the printer margin of the piece methods
    std::int32_t PiecePosition_ = 0;        // tenths (pieces) or eighths (fitted)
    std::int32_t piecePositionTenths_ = 0;  // fitted: the same position in tenths
};
