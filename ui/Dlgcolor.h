#pragma once

#include <QDialog>
#include <array>

#include "render/RibbonCanvas.h"

class QFrame;
class QPushButton;
class ColorSwatch;

// Chooses a ribbon's text colour from sixteen swatches of the system palette
// and shows the word "MUSTER" in the chosen colour and the ribbon's typeface.
// The caller sets the sample before showing the dialog and reads it after OK.
class TDlgTextColor : public QDialog {
    Q_OBJECT
public:
    static constexpr int SwatchCount = 16;

    explicit TDlgTextColor(QWidget *parent = nullptr);

    void setSample(ColorRef colour, const QString &face);
    ColorRef sampleColor() const { return colour_; }
    QString sampleFace() const { return face_; }

    // The palette entry a swatch selects (Palette::TextColours).
    static int SwatchTag(int row, int column);
    ColorSwatch *swatch(int index) const { return ColorPanels[std::size_t(index)]; }
    void SwatchClick(int tag);

private:
    class SamplePanel;

    std::array<ColorSwatch *, SwatchCount> ColorPanels{};
    SamplePanel *Panel1 = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCancel = nullptr;
    ColorRef colour_ = 0;
    QString face_;
};
