#pragma once

#include <QString>
#include <QWidget>
#include <array>

class ColorSwatch;
class FaceMarks;
class QCheckBox;
class QComboBox;
class QLabel;
class QToolButton;
class SpinField;
class TJob;
class TextField;
class TextMemo;

// The editor of one ribbon: the format panel (lengths, typeface, colour,
// shadow, commission) above the text panel (the two texts and the picture
// sizes). It loads a ribbon into its controls and stores them back; the
// style buttons belong to the window's tool bar, and the window decides when
// to load and store (it guards the two copies from feeding each other).
class JobEditor : public QWidget {
    Q_OBJECT
public:
    explicit JobEditor(QWidget *parent = nullptr);

    // Ribbon -> controls (all but the style). Returns what to tell the user
    // about a typeface that is not installed; empty when it is.
    QString load(const TJob &job, bool compatibilityMode);
    // Controls -> ribbon (all but the style).
    void store(TJob &job, bool compatibilityMode) const;
    // No ribbon: the texts are emptied, the other controls keep their values.
    void clearTexts();
    // The typeface list marks the faces that lack characters of `text` (the
    // texts the ribbon prints in its face), a moment after the last change.
    void markFaces(const QString &text);
    // `job` is the ribbon shown (or none), `listed` whether the list has any.
    void updateEnabledStates(const TJob *job, bool listed, bool compatibilityMode);

    // While one end has no picture, its picture sizes follow the other end's.
    void edBildBreiteLChange();
    void edBildBreiteRChange();
    void edBildAbstandLChange();
    void edBildAbstandRChange();

    // Format panel
    QLabel *Image1 = nullptr;
    QLabel *Image2 = nullptr;
    QLabel *lbLaenge = nullptr;
    QLabel *lbBreite = nullptr;
    QLabel *lbRand = nullptr;
    QLabel *lbRandMm = nullptr;
    QLabel *lbFontSize = nullptr;
    SpinField *edLaenge = nullptr;
    SpinField *edBreite = nullptr;
    SpinField *edRand = nullptr;
    SpinField *edFontSize = nullptr;
    ColorSwatch *PanelFontColor = nullptr;
    QToolButton *BtnFontColor = nullptr;
    QComboBox *CBFontName = nullptr;
    QCheckBox *CBShadow = nullptr;
    TextField *edKommission = nullptr;

    // Text panel
    QLabel *Image3 = nullptr;
    QLabel *Image4 = nullptr;
    QLabel *lbBildLinks = nullptr;
    QLabel *lbBildRechts = nullptr;
    std::array<QLabel *, 2> lbBildLinksMm{};
    std::array<QLabel *, 2> lbBildRechtsMm{};
    SpinField *edBildBreiteL = nullptr;
    SpinField *edBildAbstandL = nullptr;
    SpinField *edBildBreiteR = nullptr;
    SpinField *edBildAbstandR = nullptr;
    QLabel *lbTextLeft = nullptr;
    QLabel *lbTextRight = nullptr;
    TextMemo *MTextLeft = nullptr;
    TextMemo *MTextRight = nullptr;
    QCheckBox *CBFlip = nullptr;

signals:
    // A value was changed in a control (also by loading: the window ignores
    // it then).
    void changed();
    // A text field refused input; the message says why.
    void refused(const QString &message);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *CreateFormatPanel();
    QWidget *CreateTextPanel();
    void ConnectControls();
    void CopySpinValue(SpinField *from, SpinField *to);

    // Which ends of the ribbon loaded last have a picture.
    bool LeftPicture = false;
    bool RightPicture = false;
    // The face the ribbon loaded last asked for, and the entry shown for it
    // (the face drawn in its place when it is not installed).
    QString LoadedFace;
    int LoadedFaceRow = -1;
    FaceMarks *Marks = nullptr;
};
