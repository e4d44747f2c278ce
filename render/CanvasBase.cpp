#include "render/CanvasBase.h"

#include <cmath>

#include "render/FaceCoverage.h"
#include "render/FontRecipe.h"
#include "render/NativeOutline.h"

CanvasFont CanvasBase::stockFont() {
    CanvasFont font;
    font.height = FontRecipe::DefaultCellHeight;
    font.face = QStringLiteral("DejaVu Sans");
    return font;
}

FontId CanvasBase::createFont(const CanvasFont &font) {
    const FontId id = nextFont_++;
    fonts_[id] = FontEntry{font, false};
    return id;
}

FontId CanvasBase::selectFont(FontId font) {
    const FontId previous = state_.font;
    if (font != 0) {
        auto it = fonts_.find(font);
        // Selecting a font that does not exist (or no longer) fails and
        // changes nothing, as it does on a device context.
        if (it == fonts_.end() || (it->second.deleted && font != previous))
            return 0;
    }
    state_.font = font;
    purgeDeletedFonts();
    return previous;
}

void CanvasBase::deleteFont(FontId font) {
    auto it = fonts_.find(font);
    if (it == fonts_.end())
        return;
    it->second.deleted = true;
    purgeDeletedFonts();
}

CanvasFont CanvasBase::fontDescription(FontId font) const {
    if (font == 0)
        return stockFont();
    auto it = fonts_.find(font);
    if (it == fonts_.end() || (it->second.deleted && !inUse(font)))
        return CanvasFont();
    return it->second.font;
}

const CanvasFont &CanvasBase::selectedFont() const {
    static const CanvasFont stock = stockFont();
    auto it = fonts_.find(state_.font);
    return it == fonts_.end() ? stock : it->second.font;
}

int CanvasBase::liveFontCount() const {
    int count = 0;
    for (const auto &[id, entry] : fonts_) {
        if (!entry.deleted)
            ++count;
    }
    return count;
}

bool CanvasBase::inUse(FontId font) const {
    if (state_.font == font)
        return true;
    for (const State &s : saved_) {
        if (s.font == font)
            return true;
    }
    return false;
}

// A deleted font stays readable while a state still holds it selected.
void CanvasBase::purgeDeletedFonts() {
    for (auto it = fonts_.begin(); it != fonts_.end();) {
        if (it->second.deleted && !inUse(it->first))
            it = fonts_.erase(it);
        else
            ++it;
    }
}

unsigned CanvasBase::setTextAlign(unsigned align) {
    const unsigned previous = state_.align;
    state_.align = align;
    return previous;
}

BackgroundMode CanvasBase::setBackgroundMode(BackgroundMode mode) {
    const BackgroundMode previous = state_.backgroundMode;
    state_.backgroundMode = mode;
    return previous;
}

TextMetrics CanvasBase::textMetrics() const {
    const CanvasFont &font = selectedFont();
    return FontRecipe::forFace(font.face).metrics(font.height);
}

QSize CanvasBase::textExtent(const QString &text) const {
    const CanvasFont &font = selectedFont();
    return FontRecipe::forFace(font.face).extent(text, font.height);
}

qint64 CanvasBase::glyphOutline(char32_t ch, const GlyphMatrix &matrix, GlyphMetrics *metrics,
                                void *buffer, qint64 bufferSize) {
    const CanvasFont &font = selectedFont();
    const FontRecipe &recipe = FontRecipe::forFace(font.face);
    const QSize window = state_.mapping.windowExt();
    const QSize viewport = state_.mapping.viewportExt();
    const double deviceScale = std::fabs(double(viewport.height()) / window.height());
    const double emPixels = recipe.emHeight(font.height) * deviceScale;
    // A symbol the face lacks comes from the symbol face at the same em, on
    // the same baseline, advancing by its own width.
    const bool symbol =
        FaceCoverage::IsSymbol(ch) && FaceCoverage::DrawnFromSymbolFace(font.face, ch);
    return NativeGlyphOutline(symbol ? FaceCoverage::SymbolFace() : font.face, emPixels, ch, matrix,
                              metrics, buffer, bufferSize);
}

void CanvasBase::setMapping(const CanvasMapping &mapping) {
    state_.mapping = mapping;
    mappingChanged();
}

void CanvasBase::setPen(ColorRef colour, int width) {
    state_.penColour = colour;
    state_.penWidth = width < 0 ? 0 : width;
}

void CanvasBase::lineTo(int x, int y) {
    const QPoint from = state_.position;
    state_.position = QPoint(x, y);
    drawLine(from, state_.position);
}

void CanvasBase::saveState() {
    saved_.append(state_);
    stateSaved();
}

void CanvasBase::restoreState() {
    if (saved_.isEmpty())
        return;
    state_ = saved_.takeLast();
    purgeDeletedFonts();
    stateRestored();
}

void CanvasBase::setClipRect(const QRect &r) {
    state_.clip = r;
    clipChanged();
}
