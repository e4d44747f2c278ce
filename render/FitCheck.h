#pragma once

#include <QList>
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
        MissingLetters,  // the face has no glyph for characters of the text
    };
    enum class End { Left, Right, Centre, Both, Commission };

    Kind kind = Kind::BeyondEnd;
    End end = End::Left;
    int millimetres = 0;         // how far, rounded up to whole millimetres
    QRectF regionMm;             // where on the ribbon, in millimetres (empty for a picture)
    QString picture;             // the missing picture's name
    QString face;                // the face that lacks the characters, as the ribbon names it
    QList<char32_t> characters;  // the characters it lacks, each once, in the text's order

    // The status bar's words: "Text links ist 84 mm zu lang."
    QString message() const;
    // A short name of the kind for listings: "zu-lang", "zu-breit", "ueberlappung", "bild-fehlt",
    // "zeichen-fehlt".
    QString kindName() const;
    // "links", "rechts", "mitte", "beide", "kommission".
    QString endName() const;
    // Whether the finding is about room on the ribbon (a smaller letter height may mend it).
    bool isAboutRoom() const;
};

// The characters quoted for a message: "„Ж“, „Щ“"; after five of them "…".
QString QuotedCharacters(const QList<char32_t> &characters);

// "Die Schrift „Oldania ADF Std“ hat kein „Ж“, „Щ“."
QString MissingLettersMessage(const QString &face, const QList<char32_t> &characters);

// The texts a ribbon prints in its own face, lines joined by line breaks:
// the left text, and the right one unless the style is centred. The
// commission label has a face of its own.
QString TextInRibbonFace(const TJob &job);

// The findings of one ribbon, in the order left end, right end, both, as
// printing with the context's settings would draw it, then missing pictures,
// then the characters a face lacks (one finding per face). A ribbon whose
// drawing overflows gives no finding (it cannot be drawn at all).
std::vector<FitFinding> CheckFit(const RenderContext &context, const TJob &job);

// The largest letter height in whole millimetres, from `lowest` up to the
// ribbon's own, at which its texts fit (pictures or letters missing or not); 0 when even
// `lowest` does not fit.
int LargestFittingHeight(const RenderContext &context, const TJob &job, int lowest);
