#pragma once

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QMutex>
#include <QSize>
#include <QString>

#include "render/RibbonCanvas.h"

// One typeface measured once at a large reference size. Qt rounds pixel sizes
// to whole pixels, so a font made at the wanted size misses small cells by up
// to half a pixel; instead every surface draws the reference font scaled by
// scaleFor(height) and answers metrics as reference metrics times that scale.
// A face draws only its own glyphs, never a merged stand-in from another
// face; a symbol it lacks is measured (and drawn) from the symbol face at the
// same em, so a line's width counts it.
// Not thread-safe: fonts are made and measured on the GUI thread only.
class FontRecipe {
public:
    static constexpr double ReferencePixels = 1024.0;
    // A height of 0 asks for the surface's default size, as GDI does.
    static constexpr int DefaultCellHeight = 16;

    // The recipe of a face, made on first use and kept for the run. A face the
    // system lacks gets fontconfig's nearest match.
    static const FontRecipe &forFace(const QString &face);

    FontRecipe(const FontRecipe &) = delete;
    FontRecipe &operator=(const FontRecipe &) = delete;

    const QFont &referenceFont() const { return font_; }
    // The reference font allowed to borrow letters from other faces: for
    // invisible text only, which must name every letter, drawn or not.
    QFont searchFont() const {
        QFont font = font_;
        font.setStyleStrategy(QFont::StyleStrategy(QFont::PreferOutline | QFont::PreferNoShaping));
        return font;
    }
    // The family actually drawn (the fallback for a missing face).
    QString family() const { return font_.family(); }

    // Reference metrics at ReferencePixels em.
    double referenceAscent() const { return ascent_; }
    double referenceDescent() const { return descent_; }
    double referenceCell() const { return ascent_ + descent_; }
    // The width of a text at ReferencePixels em, symbols from the symbol
    // face included.
    double referenceAdvance(const QString &text) const;

    // Factor from reference pixels to units of a font of the given height:
    // positive = cell height, negative = em height.
    double scaleFor(int height) const;
    // Cell height and em height, in the units of the requested height.
    double cellHeight(int height) const { return referenceCell() * scaleFor(height); }
    double emHeight(int height) const { return ReferencePixels * scaleFor(height); }
    // The em size that gives this cell height; glyph outlines are asked by em.
    double emForCell(double cell) const { return cell * ReferencePixels / referenceCell(); }

    // Metrics in whole units. For a positive height the cell height is exactly
    // that height and ascent + descent add up to it.
    TextMetrics metrics(int height) const;
    QSize extent(const QString &text, int height) const;

private:
    explicit FontRecipe(const QString &face);

    double measure(const QString &text) const;

    QString face_;  // the name asked for, as the symbol runs are found for it
    QFont font_;
    QFontMetricsF metrics_;
    // Widths measured before: a ribbon's letters and lines are measured
    // again and again while they are laid out and drawn.
    mutable QHash<QString, double> advances_;
    mutable QMutex advancesGuard_;
    double ascent_ = 0;
    double descent_ = 0;
};
