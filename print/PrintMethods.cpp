#include "print/PrintMethods.h"

#include <algorithm>
#include <new>

#include "model/Job.h"
#include "render/Arith.h"
#include "render/DrawJob.h"
#include "render/ScopedFont.h"

namespace {

// Tenths of a millimetre to eighths, rounded as the platform's MulDiv does.
std::int32_t tenthsToEighths(std::int32_t tenths) {
    return MulDiv(tenths, 8, 10);
}

// More filler pieces than this come only from absurd settings, such as a
// "MaxLaenge" of a tenth of a millimetre under a ribbon of kilometres: the
// plan alone would take gigabytes. Such a plan ends the run like an overflow.
constexpr std::int32_t MaxFillers = 1000000;

// Length of a stretch cut into filler pieces shorter than ML, each followed by
// the printer margin.
void addFillers(std::vector<Piece> &pieces, std::int32_t stretch, std::int32_t PR, std::int32_t ML,
                int flags) {
    if (stretch <= PR)
        return;
    if (Add(ML, PR) == 0)
        throw PrinterError(QStringLiteral(
            "\"MaxLaenge\" und \"Rand\" in [Drucker] ergeben zusammen 0: die "
            "F\u00fcllst\u00fccke lassen sich nicht berechnen (\"MaxLaenge\" muss gr\u00f6\u00dfer "
            "als 0 sein)"));
    const std::int32_t count = Add(Div(stretch, Add(ML, PR)), 1);
    if (count > MaxFillers)
        throw RenderOverflow();
    const std::int32_t filler = Div(Sub(stretch, Mul(count, PR)), count);
    for (std::int32_t i = 0; i < count; ++i)
        pieces.push_back({filler, flags});
}

}  // namespace

const QString PrintMethods::DocumentName = QStringLiteral("Vellumo");

CanvasMapping PageMapping(const PageMetrics &m) {
    CanvasMapping mapping;
    mapping.setMode(CanvasMapping::Mode::Isotropic);
    mapping.setWindowExt(QSize(Mul(m.HS, 8), Mul(m.VS, 8)));
    mapping.setViewportExt(QSize(m.HR, m.VR));
    mapping.setWindowOrg(QPoint(0, 0));
    mapping.setViewportOrg(QPoint(0, 0));
    return mapping;
}

void SetPageMapping(RibbonCanvas &canvas, const PageMetrics &metrics) {
    canvas.setMapping(PageMapping(metrics));
}

std::vector<StripDraw> PlanPageStrip(const PageMetrics &m, const PrintRun &run,
                                     const std::vector<std::int32_t> &takenIndices) {
    std::vector<StripDraw> draws;
    std::int32_t PageNo = 0, PagesInto = 0, StripLength = 0, StartX = 0;
    const CanvasMapping base = PageMapping(m);
    for (std::int32_t index : takenIndices) {
        const TJob &job = *run.jobAt(index);
        const std::int32_t L = job.Laenge;
        const std::int32_t W = job.Breite;
        const std::int32_t Last = Div(Add(L, StripLength), m.HS);
        for (std::int32_t k = PageNo; k <= Last; ++k) {
            CanvasMapping mapping = base;
            const std::int32_t WD = mapping.logicalToDevice(QPoint(0, Mul(W, 8))).y();
            mapping.setViewportOrg(QPoint(Sub(StartX, Mul(PagesInto, m.HR)), Sub(m.VR, WD)));
            StripDraw draw{index, k, mapping.viewportOrg(), k != Last};
            draws.push_back(draw);
            if (k == Last) {
                PagesInto = 0;
                // Where the strip goes on, from its length in millimetres, not
                // from this ribbon's rounded end: rounding per ribbon would add
                // up, and a strip end counted on one page but drawn at the end
                // of the one before would put the next ribbon a page away.
                const std::int32_t into = Sub(Add(StripLength, L), Mul(Last, m.HS));
                StartX = base.logicalToDevice(QPoint(Mul(into, 8), 0)).x();
            } else {
                ++PagesInto;
                ++PageNo;
            }
        }
        StripLength = Add(StripLength, L);
    }
    return draws;
}

PiecePlan PlanPieces(const TJob &job, std::int32_t TL, std::int32_t TR, std::int32_t PR,
                     std::int32_t ML) {
    PiecePlan plan;
    const std::int32_t L10 = Mul(job.Laenge, 10);
    const std::int32_t JR = job.Rand;
    if (job.Stil == Align || job.Stil == UpSide) {
        plan.LeftBlock = Mul(Add(Div(Add(JR, Div(TL, 8)), 10), 2), 100);
        plan.RightBlock = Mul(Add(Div(Add(JR, Div(TR, 8)), 10), 2), 100);
        std::int32_t middle = Sub(Sub(Sub(L10, plan.LeftBlock), PR), plan.RightBlock);
        if (middle < 0)
            middle = 0;
        plan.pieces.push_back(
            {plan.LeftBlock, DrawPrint | DrawOutline | DrawLeftEnd | DrawPrintColors});
        addFillers(plan.pieces, middle, PR, ML, 0);
        plan.pieces.push_back(
            {Add(plan.RightBlock, 300), DrawPrint | DrawOutline | DrawRightEnd | DrawPrintColors});
    } else if (job.Stil == Center) {
        plan.LeftBlock = Mul(Add(Div(Div(TL, 8), 10), 2), 100);
        const std::int32_t half = Div2(Sub(L10, plan.LeftBlock));
        addFillers(plan.pieces, half, PR, ML, DrawPrint);
        plan.pieces.push_back(
            {plan.LeftBlock, DrawPrint | DrawOutline | DrawLeftEnd | DrawPrintColors});
        std::int32_t reached = 0;
        for (const Piece &piece : plan.pieces)
            reached = Add(reached, Add(PR, piece.length));
        addFillers(plan.pieces, Sub(L10, reached), PR, ML, DrawPrint);
    }
    return plan;
}

namespace {

// `length` in `parts` equal pages, the first ones a tenth longer where the
// division leaves a rest.
std::vector<std::int32_t> EqualParts(std::int32_t length, std::int32_t parts) {
    const std::int32_t base = Div(length, parts);
    const std::int32_t rest = length - base * parts;
    std::vector<std::int32_t> lengths;
    lengths.reserve(std::size_t(parts));
    for (std::int32_t i = 0; i < parts; ++i)
        lengths.push_back(base + (i < rest ? 1 : 0));
    return lengths;
}

}  // namespace

void LimitPieceLengths(PiecePlan &plan, std::int32_t maxContent, std::int32_t PR) {
    if (maxContent <= 0)
        return;
    std::vector<Piece> limited;
    limited.reserve(plan.pieces.size());
    for (const Piece &piece : plan.pieces) {
        if (piece.length <= maxContent) {
            limited.push_back(piece);
            continue;
        }
        // k parts and k margins take the piece and its one margin.
        std::int32_t parts = 1;
        std::int32_t content = piece.length;
        do {
            ++parts;
            if (parts > MaxFillers)
                throw RenderOverflow();
            content = Sub(piece.length, Mul(parts - 1, PR));
            if (content < parts)
                throw PrinterError(QStringLiteral(
                    "Der Rand zwischen den St\u00fccken ist zu lang f\u00fcr die l\u00e4ngste "
                    "Seite "
                    "des Druckers: die Schleife l\u00e4sst sich nicht in St\u00fccke teilen."));
        } while (Div(Add(content, parts - 1), parts) > maxContent);
        for (std::int32_t length : EqualParts(content, parts))
            limited.push_back({length, piece.flags});
    }
    plan.pieces = std::move(limited);
}

std::vector<std::int32_t> SplitLength(std::int32_t length, std::int32_t maxLength) {
    if (maxLength <= 0 || length <= maxLength)
        return {length};
    const std::int32_t parts = Add(Div(Sub(length, 1), maxLength), 1);
    if (parts > MaxFillers)
        throw RenderOverflow();
    return EqualParts(length, parts);
}

std::int32_t PieceTextLength(const TJob &job, RibbonCanvas &ic, bool leftEnd) {
    std::int32_t length = JobTextLength(job, ic, PrintScale, leftEnd);
    if (leftEnd && !job.BildNameLinks.isEmpty())
        length = Add(length, Mul(8, Add(job.BildBreiteLinks, job.BildAbstandLinks)));
    if (!leftEnd && !job.BildNameRechts.isEmpty())
        length = Add(length, Mul(8, Add(job.BildBreiteRechts, job.BildAbstandRechts)));
    return length;
}

// The next page with changed settings: the first starts the document, a later
// one takes the settings into the page's context.
void PrintMethods::startPageWith(const DeviceSettings &s) {
    printer_.setDeviceSettings(s);
    if (printer_.printing()) {
        printer_.resetPageContext();
        printer_.startPage();
    } else {
        printer_.beginDocument();
    }
}

void PrintMethods::mapPage() {
    metrics_ = printer_.metrics();
    SetPageMapping(printer_.canvas(), metrics_);
}

void PrintMethods::noteFailure() {
    if (!failure_.isEmpty())
        return;
    try {
        throw;
    } catch (const PrinterError &e) {
        failure_ = e.message();
    } catch (const PaperRangeError &) {
        failure_ = QStringLiteral(
            "eine Papierl\u00e4nge oder -breite passt nicht in die Druckereinstellungen "
            "(h\u00f6chstens 3276,7 mm)");
    } catch (const RenderOverflow &) {
        failure_ = QStringLiteral(
            "die Seiten lassen sich mit diesen Ma\u00dfen und Einstellungen nicht berechnen "
            "(Zahlen\u00fcberlauf)");
    } catch (const std::bad_alloc &) {
        failure_ = QStringLiteral("zu wenig Speicher");
    } catch (const std::exception &e) {
        failure_ = QString::fromLocal8Bit(e.what());
    } catch (...) {
        failure_ = QStringLiteral("unbekannter Fehler");
    }
}

void PrintMethods::finish(bool failed) {
    if (failed) {
        if (printer_.printing())
            printer_.abortDocument();
        return;
    }
    if (printer_.printing()) {
        try {
            printer_.endDocument();
        } catch (...) {
            noteFailure();
            if (printer_.printing())
                printer_.abortDocument();
        }
    }
}

void PrintMethods::PrintPageStrip() {
    bool failed = false;
    try {
        context_.DrawOrigin = QPoint(0, 0);
        const std::int32_t feed = settings_.Papiervorschub;
        DeviceSettings settings;
        if (feed > 0 && printer_.deviceSettings(&settings)) {
            const DeviceSettings remembered = settings;
            settings.fields |= DeviceSettings::FieldPaperSize | DeviceSettings::FieldPaperLength;
            settings.paperSize = DeviceSettings::UserDefinedPaper;
            settings.paperLength = PaperField(feed);
            printer_.setDeviceSettings(settings);
            printer_.beginDocument();
            printer_.notePageRole(PageRole::Feed);
            printer_.endPage();
            settings.paperSize = remembered.paperSize;
            settings.paperLength = remembered.paperLength;
            printer_.setDeviceSettings(settings);
            printer_.resetPageContext();
            printer_.startPage();
        }
        if (!printer_.printing())
            printer_.beginDocument();

        // Decide the ribbons first (the width rule), then the pages, then draw.
        const PageMetrics m = printer_.metrics();
        std::vector<std::int32_t> taken;
        for (std::int32_t i = run_.PrintFirst; i <= run_.PrintLast; ++i) {
            const TJob *job = run_.jobAt(i);
            if (!job)
                continue;
            if (run_.TakeJob(*job))
                taken.push_back(i);
            run_.JobDone();
        }
        const std::vector<StripDraw> draws = PlanPageStrip(m, run_, taken);
        for (const StripDraw &draw : draws) {
            if (!printer_.checkAbort()) {
                cancelled_ = true;
                break;
            }
            RibbonCanvas &canvas = printer_.canvas();
            CanvasMapping mapping = PageMapping(m);
            mapping.setViewportOrg(draw.viewportOrg);
            canvas.setMapping(mapping);
            DrawJob(context_, *run_.jobAt(draw.jobIndex), canvas, PrintScale, PrintFlags);
            if (draw.newPageAfter)
                printer_.newPage();
        }
    } catch (...) {
        failed = true;
        noteFailure();
    }
    if (!cancelled_)
        finish(failed);
}

void PrintMethods::StartPiecePage(std::int32_t length, std::int32_t width) {
    if (printer_.printing())
        printer_.endPage();
    DeviceSettings s;
    if (printer_.deviceSettings(&s)) {
        s.fields |= DeviceSettings::FieldOrientation | DeviceSettings::FieldPaperSize |
                    DeviceSettings::FieldPaperLength;
        s.orientation = DeviceSettings::Landscape;
        s.paperSize = DeviceSettings::UserDefinedPaper;
        s.paperLength = PaperField(Add(Div2(PR_), length));
        if (fitted_) {
            s.fields |= DeviceSettings::FieldPaperWidth;
            s.paperWidth = PaperField(width);
        }
        startPageWith(s);
    }
    mapPage();
    if (!fitted_) {
        RibbonCanvas &canvas = printer_.canvas();
        const QPoint d =
            canvas.logicalToDevice(QPoint(tenthsToEighths(PiecePosition_), tenthsToEighths(width)));
        canvas.setViewportOrg(QPoint(-d.x(), Sub(metrics_.VR, d.y())));
        PiecePosition_ = Add(PiecePosition_, Add(PR_, length));
    } else {
        PiecePosition_ = Add(PiecePosition_, tenthsToEighths(Add(PR_, length)));
        piecePositionTenths_ = Add(piecePositionTenths_, Add(PR_, length));
    }
}

void PrintMethods::DrawPieceMarks(ColorRef colour) {
    RibbonCanvas &canvas = printer_.canvas();
    const QPoint origin = canvas.deviceToLogical(QPoint(1, metrics_.VR));
    const std::int32_t X0 = origin.x(), Y0 = origin.y();
    const std::int32_t X1 = canvas.deviceToLogical(QPoint(metrics_.HR - 1, metrics_.VR)).x();

    CanvasFont font;
    font.height = 20;
    font.face = QStringLiteral("Arial");
    ScopedFont markFont(canvas, font);
    markFont.select();
    canvas.setTextColor(colour);
    canvas.setPen(colour, canvas.penWidth());
    const bool marks = settings_.Mark;
    auto line = [&canvas](std::int32_t x1, std::int32_t y1, std::int32_t x2, std::int32_t y2) {
        canvas.moveTo(x1, y1);
        canvas.lineTo(x2, y2);
    };

    if (marks) {
        canvas.setTextAlign(TextAlign::Left | TextAlign::Top);
        line(Add(X0, 16), Sub(Y0, 100), Add(X0, 16), Sub(Y0, 120));
        canvas.textOut(Add(X0, 24), Sub(Y0, 120), QStringLiteral("A: %1 mm").arg(metrics_.HS));
    }
    if (!fitted_)
        line(Sub(X1, 16), Sub(Y0, 100), Sub(X1, 16), Sub(Y0, 101));
    else
        line(0, Sub(Y0, 100), 0, Sub(Y0, 140));
    if (marks) {
        canvas.setTextAlign(TextAlign::Right | TextAlign::Top);
        line(Sub(X1, 16), Sub(Y0, 100), Sub(X1, 16), Sub(Y0, 120));
        canvas.textOut(Sub(X1, 24), Sub(Y0, 120), QStringLiteral("E"));
    }
}

void PrintMethods::printJobPieces(const TJob &job) {
    PageMetrics icMetrics;
    std::int32_t TL = 0, TR = 0;
    {
        std::unique_ptr<RibbonCanvas> ic = printer_.informationContext(&icMetrics);
        SetPageMapping(*ic, icMetrics);
        TL = PieceTextLength(job, *ic, true);
        TR = PieceTextLength(job, *ic, false);
    }
    PiecePosition_ = 0;
    piecePositionTenths_ = 0;
    const std::int32_t longest = longestContent();
    const std::int32_t ML =
        longest > 0 ? std::min(settings_.MaxLaenge, longest) : settings_.MaxLaenge;
    PiecePlan plan = PlanPieces(job, TL, TR, PR_, ML);
    LimitPieceLengths(plan, longest, PR_);
    if (!plan.pieces.empty())
        printer_.setDocumentName(DocumentName);
    for (std::size_t p = 0; p < plan.pieces.size(); ++p) {
        const Piece &piece = plan.pieces[p];
        if (!printer_.checkAbort()) {
            cancelled_ = true;
            return;
        }
        if (fitted_ && piece.flags != 0)
            context_.DrawOrigin = QPoint(-PiecePosition_, 0);
        StartPiecePage(piece.length, Mul(job.Breite, 10));
        printer_.notePageRole((piece.flags & DrawLeftEnd)
                                  ? (job.Stil == Center ? PageRole::Middle : PageRole::Start)
                              : (piece.flags & DrawRightEnd) ? PageRole::End
                                                             : PageRole::Filler);
        if (piece.flags != 0)
            DrawJob(context_, job, printer_.canvas(), PrintScale, piece.flags);
        DrawPieceMarks(job.FontFarbe);
        if (p + 1 == plan.pieces.size())
            printer_.noteRibbonEnd();
    }
}

std::int32_t PrintMethods::margin() const {
    const std::int32_t least = settings_.limits.minMargin;
    return least > 0 ? std::max(settings_.Rand, least) : settings_.Rand;
}

std::int32_t PrintMethods::feedWidth() const {
    constexpr std::int32_t kFeedWidth = 2000;
    const std::int32_t widest = settings_.limits.maxWidth;
    return widest > 0 ? std::min(kFeedWidth, widest) : kFeedWidth;
}

std::int32_t PrintMethods::longestContent() const {
    const std::int32_t longest = settings_.limits.maxLength;
    if (longest <= 0)
        return 0;
    const std::int32_t content = Sub(longest, Div2(PR_));
    if (content <= 0)
        throw PrinterError(QStringLiteral(
            "Der Rand zwischen den St\u00fccken (\"Rand\" in [Drucker]) ist l\u00e4nger als die "
            "l\u00e4ngste Seite des Druckers."));
    return content;
}

void PrintMethods::runPieces(bool fitted) {
    fitted_ = fitted;
    bool failed = false;
    try {
        PR_ = margin();
        context_.DrawOrigin = QPoint(0, 0);
        const std::int32_t feed = settings_.Papiervorschub;
        if (feed > 0) {
            // Blank paper longer than the printer's longest page is fed in parts.
            for (std::int32_t length : SplitLength(feed, longestContent())) {
                StartPiecePage(length, feedWidth());
                printer_.notePageRole(PageRole::Feed);
            }
        }
        for (std::int32_t i = run_.PrintFirst; i <= run_.PrintLast; ++i) {
            const TJob *job = run_.jobAt(i);
            if (!job)
                continue;
            if (run_.TakeJob(*job) && !cancelled_)
                printJobPieces(*job);
            run_.JobDone();
        }
    } catch (...) {
        failed = true;
        noteFailure();
    }
    if (!cancelled_)
        finish(failed);
    if (fitted_)
        context_.DrawOrigin = QPoint(0, 0);
    printer_.resetToDriverDefaults();
}

void PrintMethods::StartSheetPage(std::int32_t length, std::int32_t width) {
    if (printer_.printing())
        printer_.endPage();
    DeviceSettings s;
    if (printer_.deviceSettings(&s)) {
        s.fields |= DeviceSettings::FieldOrientation | DeviceSettings::FieldPaperSize |
                    DeviceSettings::FieldPaperLength | DeviceSettings::FieldPaperWidth;
        s.paperSize = DeviceSettings::UserDefinedPaper;
        s.paperLength = PaperField(length);
        s.paperWidth = PaperField(width);
        s.orientation = DeviceSettings::Landscape;
        startPageWith(s);
    }
    mapPage();
}

void PrintMethods::PrintSingleSheets() {
    bool failed = false;
    try {
        context_.DrawOrigin = QPoint(0, 0);
        const std::int32_t longest = settings_.limits.maxLength;
        const std::int32_t feed = settings_.Papiervorschub;
        if (feed > 0) {
            for (std::int32_t length : SplitLength(feed, longest)) {
                StartSheetPage(length, feedWidth());
                printer_.notePageRole(PageRole::Feed);
            }
        }
        for (std::int32_t i = run_.PrintFirst; i <= run_.PrintLast; ++i) {
            const TJob *job = run_.jobAt(i);
            if (!job)
                continue;
            if (run_.TakeJob(*job) && !cancelled_) {
                if (!printer_.checkAbort()) {
                    cancelled_ = true;
                } else if (job->Stil == Align || job->Stil == Center || job->Stil == UpSide) {
                    printer_.setDocumentName(DocumentName);
                    // A ribbon longer than the printer's longest page takes
                    // several sheets, each showing the ribbon from where the
                    // one before ended.
                    std::int32_t position = 0;  // tenths
                    for (std::int32_t length : SplitLength(Mul(job->Laenge, 10), longest)) {
                        if (position > 0 && !printer_.checkAbort()) {
                            cancelled_ = true;
                            break;
                        }
                        context_.DrawOrigin = QPoint(-tenthsToEighths(position), 0);
                        StartSheetPage(length, Mul(job->Breite, 10));
                        printer_.notePageRole(PageRole::Sheet);
                        // A sheet carries the left end only.
                        DrawJob(context_, *job, printer_.canvas(), PrintScale,
                                PrintFlags & ~DrawRightEnd);
                        position = Add(position, length);
                    }
                    context_.DrawOrigin = QPoint(0, 0);
                    if (!cancelled_)
                        printer_.noteRibbonEnd();
                }
            }
            run_.JobDone();
        }
    } catch (...) {
        failed = true;
        noteFailure();
    }
    if (!cancelled_)
        finish(failed);
    context_.DrawOrigin = QPoint(0, 0);
    printer_.resetToDriverDefaults();
}
