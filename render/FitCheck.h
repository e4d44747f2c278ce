#pragma once

#include <QRectF>
#include <QString>
#include <vector>

class TJob;
struct RenderContext;

// What does not fit on a ribbon, found by drawing it as printing draws it
// onto a recording surface and measuring the ink: the same calls that print,
// no second set of formulas.
struct FitFinding {
    enum class Kind {
        BeyondEnd,       // ink beyond the ribbon's end
        BeyondEdge,      // the block of lines taller than the ribbon is wide
        Overlap,         // the left end's ink runs into the right end's
        MissingPicture,  // a picture named but missing or unreadable
    };
    enum class End { Left, Right, Centre, Both };

    Kind kind = Kind::BeyondEnd;
    End end = End::Left;
    int millimetres = 0;  // how far, rounded up to whole millimetres
    QRectF regionMm;      // where on the ribbon, in millimetres (empty for a picture)
    QString picture;      // the missing picture's name

    // The status bar's words: "Text links ist 84 mm zu lang."
    QString message() const;
    // A short name of the kind for listings: "zu-lang", "zu-breit", "ueberlappung", "bild-fehlt".
    QString kindName() const;
    // "links", "rechts", "mitte", "beide".
    QString endName() const;
};

// The findings of one ribbon, in the order left end, right end, both, as
// printing with the context's settings would draw it. A ribbon whose drawing
// overflows gives no finding (it cannot be drawn at all).
std::vector<FitFinding> CheckFit(const RenderContext &context, const TJob &job);

// The largest letter height in whole millimetres, from `lowest` up to the
// ribbon's own, at which its texts fit (pictures missing or not); 0 when even
// `lowest` does not fit.
int LargestFittingHeight(const RenderContext &context, const TJob &job, int lowest);
