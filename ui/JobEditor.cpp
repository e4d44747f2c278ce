#include "ui/JobEditor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdint>
#include <utility>

#include "model/Job.h"
#include "render/Typefaces.h"
#include "ui/Artwork.h"
#include "ui/ColorSwatch.h"
#include "ui/FaceMarks.h"
#include "ui/Hints.h"
#include "ui/SpinField.h"
#include "ui/TextField.h"
#include "ui/TextMemo.h"

namespace {

constexpr int FormatPanelHeight = 104;
constexpr int TextPanelHeight = 95;
constexpr int SpinWidth = 56;

const char *const MemoLeftHint =
    "Texteigabefeld f\u00FCr linken Schleifenteil. Text in Textliste speichern mit "
    "[Strg]+Mausklick.";
const char *const MemoRightHint =
    "Texteigabefeld f\u00FCr rechten Schleifenteil. Text in Textliste speichern mit "
    "[Strg]+Mausklick.";

const QStringList &CompatibilityNotice() {
    static const QStringList lines{QStringLiteral("Der Kompatibilit\u00E4tsmodus unterst\u00FCtzt"),
                                   QStringLiteral("keinen beidseitigen Druck.")};
    return lines;
}

// What a screen reader says for a field: its label as shown, without the
// accelerator mark and the colon.
QString SpokenLabel(const QString &text) {
    QString spoken = text;
    spoken.remove(QLatin1Char('&'));
    if (spoken.endsWith(QLatin1Char(':')))
        spoken.chop(1);
    return spoken;
}

// A label that moves the focus to `buddy` and gives it its name.
QLabel *MakeLabel(QWidget *parent, const QString &text, QWidget *buddy = nullptr) {
    auto *label = new QLabel(text, parent);
    if (buddy) {
        label->setBuddy(buddy);
        buddy->setAccessibleName(SpokenLabel(text));
    }
    return label;
}

QLabel *MakeLegend(QWidget *parent, const char *name, const QString &resource) {
    auto *legend = new QLabel(parent);
    legend->setObjectName(QLatin1String(name));
    const QPixmap picture = LegendPicture(resource);
    legend->setPixmap(picture);
    legend->setFixedSize(picture.isNull() ? QSize(60, 55) : picture.size());
    legend->setAlignment(Qt::AlignCenter);
    return legend;
}

SpinField *MakeSpin(QWidget *parent, const char *name, int minimum, int maximum, int step,
                    int value) {
    auto *spin = new SpinField(minimum, maximum, step, value, parent);
    spin->setObjectName(QLatin1String(name));
    spin->setAccessibleDescription(QStringLiteral("in Millimetern"));
    spin->setFixedWidth(SpinWidth);
    return spin;
}

QFrame *MakePanel(QWidget *parent, const char *name, int height) {
    auto *panel = new QFrame(parent);
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    panel->setFixedHeight(height);
    return panel;
}

}  // namespace

JobEditor::JobEditor(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("JobEditor"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(CreateFormatPanel());
    column->addWidget(CreateTextPanel());
    ConnectControls();
}

QWidget *JobEditor::CreateFormatPanel() {
    QFrame *panel = MakePanel(this, "PanelFormat", FormatPanelHeight);
    auto *row = new QHBoxLayout(panel);
    // Tight enough that the two legends and the fields fit a window of 750
    // pixels; the typeface box takes what the window has beyond that.
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(4);

    Image1 = MakeLegend(panel, "Image1", QStringLiteral("BMP_LEGENDE_L"));
    Image2 = MakeLegend(panel, "Image2", QStringLiteral("BMP_LEGENDE_R"));

    edLaenge = MakeSpin(panel, "edLaenge", 250, 3200, 5, 1000);
    edBreite = MakeSpin(panel, "edBreite", 0, 300, 5, 150);
    edRand = MakeSpin(panel, "edRand", 0, 200, 1, 30);
    edFontSize = MakeSpin(panel, "edFontSize", 20, 200, 1, 80);

    auto *sizes = new QGridLayout();
    sizes->setHorizontalSpacing(3);
    sizes->setVerticalSpacing(1);
    lbLaenge = MakeLabel(panel, QStringLiteral("&L\u00E4nge:"), edLaenge);
    lbBreite = MakeLabel(panel, QStringLiteral("&Breite:"), edBreite);
    lbRand = MakeLabel(panel, QStringLiteral("&Rand:"), edRand);
    lbFontSize = MakeLabel(panel, QStringLiteral("Schrift&h\u00F6he:"), edFontSize);
    lbRandMm = MakeLabel(panel, QStringLiteral("mm"));
    const std::array<QLabel *, 4> labels{lbLaenge, lbBreite, lbRand, lbFontSize};
    const std::array<SpinField *, 4> spins{edLaenge, edBreite, edRand, edFontSize};
    for (int i = 0; i < 4; ++i) {
        sizes->addWidget(labels[std::size_t(i)], i, 0);
        sizes->addWidget(spins[std::size_t(i)], i, 1);
        sizes->addWidget(i == 2 ? lbRandMm : MakeLabel(panel, QStringLiteral("mm")), i, 2);
    }

    PanelFontColor = new ColorSwatch(panel);
    PanelFontColor->setObjectName(QStringLiteral("PanelFontColor"));
    PanelFontColor->setFixedSize(21, 21);
    BtnFontColor = new QToolButton(panel);
    BtnFontColor->setObjectName(QStringLiteral("BtnFontColor"));
    BtnFontColor->setText(QStringLiteral("..."));
    BtnFontColor->setFixedSize(21, 21);
    // A tool button answers only the space bar; users expect Enter as well.
    BtnFontColor->installEventFilter(this);
    SetHint(BtnFontColor, QStringLiteral("Einstellen der Farbe des Textes."));
    CBFontName = new QComboBox(panel);
    CBFontName->setObjectName(QStringLiteral("CBFontName"));
    CBFontName->setEditable(false);
    CBFontName->setMaxVisibleItems(20);
    CBFontName->setMinimumContentsLength(3);
    CBFontName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    Marks = new FaceMarks(CBFontName);
    CBShadow = new QCheckBox(QStringLiteral("Scha&tten"), panel);
    CBShadow->setObjectName(QStringLiteral("CBShadow"));
    edKommission = new TextField(255, panel);
    edKommission->setObjectName(QStringLiteral("edKommission"));

    auto *colourRow = new QHBoxLayout();
    colourRow->setSpacing(4);
    colourRow->addWidget(PanelFontColor);
    colourRow->addWidget(BtnFontColor);
    colourRow->addStretch(1);
    auto *looks = new QGridLayout();
    looks->setHorizontalSpacing(3);
    looks->setVerticalSpacing(1);
    looks->addWidget(MakeLabel(panel, QStringLiteral("Schrift&farbe:"), BtnFontColor), 0, 0);
    PanelFontColor->setAccessibleName(BtnFontColor->accessibleName());
    looks->addLayout(colourRow, 0, 1);
    looks->addWidget(MakeLabel(panel, QStringLiteral("&Schriftart:"), CBFontName), 1, 0);
    looks->addWidget(CBFontName, 1, 1);
    looks->addWidget(CBShadow, 2, 1);
    looks->addWidget(MakeLabel(panel, QStringLiteral("Ko&mmission:"), edKommission), 3, 0);
    looks->addWidget(edKommission, 3, 1);
    looks->setColumnStretch(1, 1);

    row->addWidget(Image1, 0, Qt::AlignVCenter);
    row->addLayout(sizes);
    row->addLayout(looks, 1);
    row->addWidget(Image2, 0, Qt::AlignVCenter);
    return panel;
}

QWidget *JobEditor::CreateTextPanel() {
    QFrame *panel = MakePanel(this, "PanelTextBase", TextPanelHeight);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(6, 3, 6, 3);
    row->setSpacing(8);

    Image4 = MakeLegend(panel, "Image4", QStringLiteral("BMP_LEGENDE_BILD_L"));
    Image3 = MakeLegend(panel, "Image3", QStringLiteral("BMP_LEGENDE_BILD_R"));
    edBildBreiteL = MakeSpin(panel, "edBildBreiteL", 10, 300, 1, 40);
    edBildAbstandL = MakeSpin(panel, "edBildAbstandL", 0, 100, 1, 30);
    edBildBreiteR = MakeSpin(panel, "edBildBreiteR", 10, 300, 1, 40);
    edBildAbstandR = MakeSpin(panel, "edBildAbstandR", 0, 100, 1, 30);

    MTextLeft = new TextMemo(panel);
    MTextLeft->setObjectName(QStringLiteral("MTextLeft"));
    SetHint(MTextLeft, QString::fromUtf8(MemoLeftHint));
    MTextRight = new TextMemo(panel);
    MTextRight->setObjectName(QStringLiteral("MTextRight"));
    SetHint(MTextRight, QString::fromUtf8(MemoRightHint));
    CBFlip = new QCheckBox(QStringLiteral("k&opfstehend"), panel);
    CBFlip->setObjectName(QStringLiteral("CBFlip"));

    // One picture's size fields: the caption, then width and distance in the
    // order the legend picture beside them labels them.
    auto pictureFields = [panel](QLabel *&caption, const QString &text, SpinField *width,
                                 SpinField *distance, std::array<QLabel *, 2> &mm) {
        auto *grid = new QGridLayout();
        grid->setHorizontalSpacing(4);
        grid->setVerticalSpacing(2);
        caption = MakeLabel(panel, text);
        mm = {MakeLabel(panel, QStringLiteral("mm")), MakeLabel(panel, QStringLiteral("mm"))};
        grid->addWidget(caption, 0, 0, 1, 2);
        grid->addWidget(width, 1, 0);
        grid->addWidget(mm[0], 1, 1);
        grid->addWidget(distance, 2, 0);
        grid->addWidget(mm[1], 2, 1);
        grid->setRowStretch(3, 1);
        return grid;
    };
    QGridLayout *left = pictureFields(lbBildLinks, QStringLiteral("Bild l&inks:"), edBildBreiteL,
                                      edBildAbstandL, lbBildLinksMm);
    QGridLayout *right = pictureFields(lbBildRechts, QStringLiteral("Bild rechts:"), edBildBreiteR,
                                       edBildAbstandR, lbBildRechtsMm);
    // The caption stands over both fields of an end; the legend beside them
    // tells picture width from distance, so their names say it too.
    const std::array<std::pair<SpinField *, const char *>, 4> pictureNames{{
        {edBildBreiteL, "Bild links: Bildbreite"},
        {edBildAbstandL, "Bild links: Abstand"},
        {edBildBreiteR, "Bild rechts: Bildbreite"},
        {edBildAbstandR, "Bild rechts: Abstand"},
    }};
    for (const auto &[field, name] : pictureNames)
        field->setAccessibleName(QString::fromUtf8(name));

    lbTextLeft = MakeLabel(panel, QStringLiteral("Text lin&ks/zentriert:"), MTextLeft);
    // "Bild l&inks:" moves the focus to the left text as well; the text keeps
    // the name of its own label.
    lbBildLinks->setBuddy(MTextLeft);
    lbTextRight = MakeLabel(panel, QStringLiteral("Text rechts:"), MTextRight);
    auto *leftText = new QVBoxLayout();
    leftText->setSpacing(1);
    leftText->addWidget(lbTextLeft);
    leftText->addWidget(MTextLeft, 1);
    auto *rightCaption = new QHBoxLayout();
    rightCaption->addWidget(lbTextRight);
    rightCaption->addStretch(1);
    rightCaption->addWidget(CBFlip);
    auto *rightText = new QVBoxLayout();
    rightText->setSpacing(1);
    rightText->addLayout(rightCaption);
    rightText->addWidget(MTextRight, 1);

    row->addWidget(Image4, 0, Qt::AlignVCenter);
    row->addLayout(left);
    row->addLayout(leftText, 1);
    row->addLayout(rightText, 1);
    row->addLayout(right);
    row->addWidget(Image3, 0, Qt::AlignVCenter);
    return panel;
}

void JobEditor::ConnectControls() {
    for (SpinField *spin : {edLaenge, edBreite, edRand, edFontSize})
        connect(spin, &QSpinBox::valueChanged, this, &JobEditor::changed);
    connect(edBildBreiteL, &QSpinBox::valueChanged, this, &JobEditor::edBildBreiteLChange);
    connect(edBildBreiteR, &QSpinBox::valueChanged, this, &JobEditor::edBildBreiteRChange);
    connect(edBildAbstandL, &QSpinBox::valueChanged, this, &JobEditor::edBildAbstandLChange);
    connect(edBildAbstandR, &QSpinBox::valueChanged, this, &JobEditor::edBildAbstandRChange);
    connect(edKommission, &QLineEdit::textChanged, this, &JobEditor::changed);
    connect(edKommission, &TextField::refused, this, &JobEditor::refused);
    connect(CBFontName, &QComboBox::currentIndexChanged, this, &JobEditor::changed);
    connect(CBFlip, &QCheckBox::clicked, this, &JobEditor::changed);
    connect(CBShadow, &QCheckBox::clicked, this, &JobEditor::changed);
    for (TextMemo *memo : {MTextLeft, MTextRight}) {
        connect(memo, &QPlainTextEdit::textChanged, this, &JobEditor::changed);
        connect(memo, &TextMemo::refused, this, &JobEditor::refused);
    }
}

QString JobEditor::load(const TJob &job, bool compatibilityMode) {
    LeftPicture = !job.BildNameLinks.isEmpty();
    RightPicture = !job.BildNameRechts.isEmpty();
    // A face that is not installed shows as the face that is drawn in its
    // place, and the user is told which.
    const QString missing = MissingFaceMessage(job.FontName);
    int font = CBFontName->findText(job.FontName, Qt::MatchFixedString);
    if (font < 0)
        font = CBFontName->findText(ResolveFace(job.FontName).family, Qt::MatchFixedString);
    if (font >= 0)
        CBFontName->setCurrentIndex(font);
    LoadedFace = job.FontName;
    LoadedFaceRow = CBFontName->currentIndex();
    MTextLeft->setLines(job.TextLeft.lines());
    MTextRight->setLines(compatibilityMode ? CompatibilityNotice() : job.TextRight.lines());
    edFontSize->setValue(job.FontGroesse);
    edKommission->setText(job.Kommission);
    CBFlip->setChecked(job.Flip);
    CBShadow->setChecked(job.Shadow);
    PanelFontColor->setColor(job.FontFarbe);
    edLaenge->setValue(job.Laenge);
    edBreite->setValue(job.Breite);
    edRand->setValue(job.Rand);
    // The picture fields run their coupling as if the user had set them.
    const std::array<std::pair<SpinField *, void (JobEditor::*)()>, 4> pictures{{
        {edBildAbstandR, &JobEditor::edBildAbstandRChange},
        {edBildAbstandL, &JobEditor::edBildAbstandLChange},
        {edBildBreiteL, &JobEditor::edBildBreiteLChange},
        {edBildBreiteR, &JobEditor::edBildBreiteRChange},
    }};
    const std::array<std::int32_t, 4> values{job.BildAbstandRechts, job.BildAbstandLinks,
                                             job.BildBreiteLinks, job.BildBreiteRechts};
    for (std::size_t i = 0; i < pictures.size(); ++i) {
        {
            const QSignalBlocker quiet(pictures[i].first);
            pictures[i].first->setValue(values[i]);
        }
        (this->*pictures[i].second)();
    }
    return missing;
}

void JobEditor::store(TJob &job, bool compatibilityMode) const {
    // Until another face is chosen, the ribbon keeps the name it asked for:
    // the face drawn in its place is the drawing's business, and the Windows
    // version knows only the name.
    const int row = CBFontName->currentIndex();
    if (row != LoadedFaceRow || LoadedFace.isEmpty())
        job.FontName.set(row >= 0 ? CBFontName->currentText() : QString());
    else
        job.FontName.set(LoadedFace);
    job.FontFarbe = PanelFontColor->color();
    job.TextLeft.set(MTextLeft->lines());
    if (!compatibilityMode)
        job.TextRight.set(MTextRight->lines());
    job.FontGroesse = edFontSize->value();
    job.Kommission.set(edKommission->text());
    job.Flip = CBFlip->isChecked();
    job.Shadow = CBShadow->isChecked();
    job.Laenge = edLaenge->value();
    job.Breite = edBreite->value();
    job.Rand = edRand->value();
    job.BildBreiteLinks = edBildBreiteL->value();
    job.BildBreiteRechts = edBildBreiteR->value();
    job.BildAbstandRechts = edBildAbstandR->value();
    job.BildAbstandLinks = edBildAbstandL->value();
}

void JobEditor::clearTexts() {
    LeftPicture = false;
    RightPicture = false;
    MTextLeft->clear();
    MTextRight->clear();
}

void JobEditor::markFaces(const QString &text) {
    Marks->setText(text);
}

void JobEditor::updateEnabledStates(const TJob *job, bool listed, bool compatibilityMode) {
    lbTextLeft->setEnabled(listed);
    MTextLeft->setEnabled(listed);
    lbTextRight->setEnabled(listed && !compatibilityMode);
    MTextRight->setEnabled(listed && !compatibilityMode);
    CBFlip->setEnabled(job && job->Stil == Align && !compatibilityMode);

    const bool leftPicture = job && !job->BildNameLinks.isEmpty();
    const bool rightPicture = job && !job->BildNameRechts.isEmpty();
    for (QWidget *control : std::initializer_list<QWidget *>{
             lbBildLinks, edBildBreiteL, edBildAbstandL, lbBildLinksMm[0], lbBildLinksMm[1]})
        control->setEnabled(leftPicture);
    for (QWidget *control : std::initializer_list<QWidget *>{
             lbBildRechts, edBildBreiteR, edBildAbstandR, lbBildRechtsMm[0], lbBildRechtsMm[1]})
        control->setEnabled(rightPicture);

    const bool margin = job && (job->Stil != Center || leftPicture || rightPicture);
    for (QWidget *control : std::initializer_list<QWidget *>{lbRand, edRand, lbRandMm})
        control->setEnabled(margin);
}

bool JobEditor::eventFilter(QObject *watched, QEvent *event) {
    if (watched == BtnFontColor && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            BtnFontColor->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void JobEditor::CopySpinValue(SpinField *from, SpinField *to) {
    // The other side's handler stays out, so the copy does not bounce back.
    const QSignalBlocker detached(to);
    to->setValue(from->value());
}

void JobEditor::edBildBreiteLChange() {
    if (!RightPicture)
        CopySpinValue(edBildBreiteL, edBildBreiteR);
    emit changed();
}

void JobEditor::edBildBreiteRChange() {
    if (!LeftPicture)
        CopySpinValue(edBildBreiteR, edBildBreiteL);
    emit changed();
}

void JobEditor::edBildAbstandLChange() {
    if (!RightPicture)
        CopySpinValue(edBildAbstandL, edBildAbstandR);
    emit changed();
}

void JobEditor::edBildAbstandRChange() {
    if (!LeftPicture)
        CopySpinValue(edBildAbstandR, edBildAbstandL);
    emit changed();
}
