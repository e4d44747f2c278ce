#pragma once

#include <QRect>
#include <QVector>
#include <map>

#include "render/RibbonCanvas.h"

// The state every surface keeps in the same way: the font table and the
// selected font, colours, alignment, background, mapping, pen, brush, current
// position, clip and the stack of saved states. Metrics, extents and glyph
// outlines follow from that state alone; the subclasses draw.
//
// Defaults are those of a fresh device context: stock font, black text on an
// opaque white background, top-left alignment, text mapping, thinnest black
// pen, white brush.
class CanvasBase : public RibbonCanvas {
public:
    FontId createFont(const CanvasFont &font) override;
    FontId selectFont(FontId font) override;
    void deleteFont(FontId font) override;
    FontId currentFont() const override { return state_.font; }
    CanvasFont fontDescription(FontId font) const override;

    void setTextColor(ColorRef colour) override { state_.textColour = colour; }
    ColorRef textColor() const override { return state_.textColour; }
    unsigned setTextAlign(unsigned align) override;
    unsigned textAlign() const override { return state_.align; }
    BackgroundMode setBackgroundMode(BackgroundMode mode) override;
    BackgroundMode backgroundMode() const override { return state_.backgroundMode; }
    void setBackgroundColor(ColorRef colour) override { state_.backgroundColour = colour; }
    ColorRef backgroundColor() const { return state_.backgroundColour; }

    TextMetrics textMetrics() const override;
    QSize textExtent(const QString &text) const override;
    // Asks the FreeType outline source for the current font's face, at the em
    // size that the font's cell height has in device units under the mapping;
    // a symbol that face lacks is asked of the symbol face at that em.
    qint64 glyphOutline(char32_t ch, const GlyphMatrix &matrix, GlyphMetrics *metrics, void *buffer,
                        qint64 bufferSize) override;

    const CanvasMapping &mapping() const override { return state_.mapping; }
    void setMapping(const CanvasMapping &mapping) override;

    void setPen(ColorRef colour, int width) override;
    ColorRef penColor() const override { return state_.penColour; }
    int penWidth() const override { return state_.penWidth; }
    void setBrush(ColorRef colour) override { state_.brushColour = colour; }
    ColorRef brushColor() const override { return state_.brushColour; }

    void moveTo(int x, int y) override { state_.position = QPoint(x, y); }
    void lineTo(int x, int y) override;
    QPoint currentPosition() const { return state_.position; }

    void saveState() override;
    void restoreState() override;
    // Replaces the clip; a null rectangle removes it.
    void setClipRect(const QRect &r) override;
    QRect clipRect() const { return state_.clip; }

    bool isPrinting() const override { return printing_; }

    // Fonts created and not deleted yet; a drawing that leaks fonts shows here.
    int liveFontCount() const;

    // The font the surface starts with and falls back to (GDI's system font).
    static CanvasFont stockFont();

protected:
    explicit CanvasBase(bool printing = false) : printing_(printing) {}

    // The description of the selected font (the stock font for id 0).
    const CanvasFont &selectedFont() const;
    void setPrintingFlag(bool printing) { printing_ = printing; }

    // Hooks for the drawing subclasses; the state is already updated.
    virtual void drawLine(QPoint from, QPoint to) = 0;
    virtual void mappingChanged() {}
    virtual void clipChanged() {}
    virtual void stateSaved() {}
    virtual void stateRestored() {}

private:
    struct FontEntry {
        CanvasFont font;
        bool deleted = false;
    };
    struct State {
        FontId font = 0;
        ColorRef textColour = 0;
        ColorRef backgroundColour = 0xFFFFFF;
        unsigned align = TextAlign::Left | TextAlign::Top;
        BackgroundMode backgroundMode = BackgroundMode::Opaque;
        CanvasMapping mapping;
        ColorRef penColour = 0;
        int penWidth = 0;
        ColorRef brushColour = 0xFFFFFF;
        QPoint position;
        QRect clip;
    };

    bool inUse(FontId font) const;
    void purgeDeletedFonts();

    std::map<FontId, FontEntry> fonts_;
    FontId nextFont_ = 1;
    State state_;
    QVector<State> saved_;
    bool printing_ = false;
};
