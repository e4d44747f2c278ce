#include "ui/Main.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "model/Job.h"
#include "ui/Artwork.h"
#include "ui/ColorSwatch.h"
#include "ui/Hints.h"
#include "ui/JobListDelegate.h"
#include "ui/JobListModel.h"
#include "ui/PictureListDelegate.h"
#include "ui/SpinField.h"
#include "ui/TextField.h"
#include "ui/TextMemo.h"

namespace {

constexpr int ToolbarHeight = 38;
constexpr int FormatPanelHeight = 104;
constexpr int TextPanelHeight = 95;
constexpr int ToolButtonSize = 26;
constexpr int PictureListWidth = 140;
constexpr int SplitterWidth = 5;
constexpr int SpinWidth = 56;
constexpr double PanelPointSize = 8.0;  // the editor is dense; a notch below the desktop's

const char *const MemoLeftHint =
    "Texteigabefeld f\u00FCr linken Schleifenteil. Text in Textliste speichern mit "
    "[Strg]+Mausklick.";
const char *const MemoRightHint =
    "Texteigabefeld f\u00FCr rechten Schleifenteil. Text in Textliste speichern mit "
    "[Strg]+Mausklick.";

// The printer with a magnifying glass over it.
QIcon PreviewIcon() {
    QPixmap pixmap = ArtworkIcon(QStringLiteral("print")).pixmap(QSize(20, 20));
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(30, 30, 30), 2));
    painter.setBrush(QColor(255, 255, 255, 200));
    painter.drawEllipse(QPointF(12.5, 11.5), 4.5, 4.5);
    painter.drawLine(QPointF(15.8, 14.8), QPointF(19, 18));
    return QIcon(pixmap);
}

QToolButton *MakeToolButton(QWidget *parent, const char *name, const QString &icon,
                            const QString &hint) {
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoRaise(true);
    button->setFixedSize(ToolButtonSize, ToolButtonSize);
    button->setIconSize(QSize(20, 20));
    button->setIcon(ArtworkIcon(icon));
    button->setFocusPolicy(Qt::NoFocus);
    SetHint(button, hint);
    return button;
}

QLabel *MakeLabel(QWidget *parent, const QString &text, QWidget *buddy = nullptr) {
    auto *label = new QLabel(text, parent);
    if (buddy)
        label->setBuddy(buddy);
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

QAction *MakeAction(QMenu *menu, const char *name, const QString &text, const QString &hint) {
    QAction *action = menu->addAction(text);
    action->setObjectName(QLatin1String(name));
    if (!hint.isEmpty())
        SetHint(action, hint);
    return action;
}

}  // namespace

void TMainForm::CreateControls() {
    auto *central = new QWidget(this);
    QFont dense = font();
    dense.setPointSizeF(std::min(dense.pointSizeF(), PanelPointSize));
    central->setFont(dense);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(CreateToolbar());
    column->addWidget(CreateFormatPanel());
    column->addWidget(CreateTextPanel());
    column->addWidget(CreateListArea(), 1);
    setCentralWidget(central);

    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(true);
    CreateMenus();

    StyleButtons = {SBtnAlign, SBtnCenter, SBtnUpSide};
    StyleMenuItems = {MenuAlign, MenuCenter, MenuUpSide};
    ConnectControls();
}

QWidget *TMainForm::CreateToolbar() {
    auto *panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("PanelToolbar"));
    panel->setFixedHeight(ToolbarHeight);
    auto *row = new QHBoxLayout(panel);
    row->setContentsMargins(6, 6, 6, 6);
    row->setSpacing(1);

    SBtnNew = MakeToolButton(panel, "SBtnNew", QStringLiteral("new"),
                             QStringLiteral("Neue Schleife|Erstellt eine neue Schleife mit den "
                                            "Eigenschaften der aktuellen Schleife."));
    SBtnPrint = MakeToolButton(panel, "SBtnPrint", QStringLiteral("print"),
                               QStringLiteral("Drucken|Drucken aller in der Vorschau befindlichen "
                                              "Schleifen. Schleifen ohne Text werden vorher "
                                              "entfernt."));
    SBtnPreview = MakeToolButton(panel, "SBtnPreview", QStringLiteral("print"),
                                 QStringLiteral("Seitenvorschau|Zeigt die Seiten, die der Druck "
                                                "ergeben w\u00FCrde."));
    SBtnPreview->setIcon(PreviewIcon());
    SBtnDelete = MakeToolButton(panel, "SBtnDelete", QStringLiteral("delete"),
                                QStringLiteral("L\u00F6schen|L\u00F6scht die aktuelle Schleife."));
    SBtnAlign = MakeToolButton(panel, "SBtnAlign", QStringLiteral("align"),
                               QStringLiteral("Rand b\u00FCndig|Ausrichten des Textes links und "
                                              "rechts b\u00FCndig zum Schleifenrand."));
    SBtnCenter = MakeToolButton(panel, "SBtnCenter", QStringLiteral("center"),
                                QStringLiteral("Zentriert|Ausrichten des Textes zentriert zur "
                                               "Schleifenmitte."));
    SBtnUpSide = MakeToolButton(panel, "SBtnUpSide", QStringLiteral("upside"),
                                QStringLiteral("Quer b\u00FCndig|Ausrichten des Textes links und "
                                               "rechts b\u00FCndig zum Schleifenrand im "
                                               "Querformat."));
    StyleGroup = new QButtonGroup(this);
    StyleGroup->setExclusive(true);
    int id = 0;
    for (QToolButton *button : {SBtnAlign, SBtnCenter, SBtnUpSide}) {
        button->setCheckable(true);
        StyleGroup->addButton(button, id++);
    }
    SBtnAlign->setChecked(true);

    row->addWidget(SBtnNew);
    row->addWidget(SBtnPrint);
    row->addWidget(SBtnPreview);
    row->addWidget(SBtnDelete);
    row->addSpacing(12);
    row->addWidget(SBtnAlign);
    row->addWidget(SBtnCenter);
    row->addWidget(SBtnUpSide);
    row->addStretch(1);
    return panel;
}

QWidget *TMainForm::CreateFormatPanel() {
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
    SetHint(BtnFontColor, QStringLiteral("Einstellen der Farbe des Textes."));
    CBFontName = new QComboBox(panel);
    CBFontName->setObjectName(QStringLiteral("CBFontName"));
    CBFontName->setEditable(false);
    CBFontName->setMaxVisibleItems(20);
    CBFontName->setMinimumContentsLength(3);
    CBFontName->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
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

QWidget *TMainForm::CreateTextPanel() {
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
    lbBildLinks->setBuddy(MTextLeft);
    QGridLayout *right = pictureFields(lbBildRechts, QStringLiteral("Bild rechts:"), edBildBreiteR,
                                       edBildAbstandR, lbBildRechtsMm);

    lbTextLeft = MakeLabel(panel, QStringLiteral("Text lin&ks/zentriert:"), MTextLeft);
    lbTextRight = MakeLabel(panel, QStringLiteral("Text rechts:"));
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

QWidget *TMainForm::CreateListArea() {
    auto *area = new QWidget(this);
    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(0, 2, 0, 0);
    row->setSpacing(2);

    LBGraphic = new QListWidget(area);
    LBGraphic->setObjectName(QStringLiteral("LBGraphic"));
    LBGraphic->setFixedWidth(PictureListWidth);
    LBGraphic->setUniformItemSizes(true);
    auto *pictureDelegate = new PictureListDelegate(LBGraphic);
    LBGraphic->setItemDelegate(pictureDelegate);
    LBGraphic->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SetHint(LBGraphic, QStringLiteral("Einf\u00FCgen von Bildern mit Doppelklick. "));

    Jobs = new JobListModel(this);
    LBJobs = new QListView(area);
    LBJobs->setObjectName(QStringLiteral("LBJobs"));
    LBJobs->setModel(Jobs);
    JobsDelegate = new JobListDelegate(Jobs, LBJobs);
    JobsDelegate->setContextSource([this] { return DrawingContext(); });
    LBJobs->setItemDelegate(JobsDelegate);
    LBJobs->setUniformItemSizes(true);
    LBJobs->setSelectionMode(QAbstractItemView::SingleSelection);
    LBJobs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LBJobs->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    LBJobs->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    LBTexte = new QListWidget(area);
    LBTexte->setObjectName(QStringLiteral("LBTexte"));
    LBTexte->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SetHint(LBTexte, QStringLiteral("Textliste. Einf\u00FCgen von Texten mit Doppelklick. "
                                    "L\u00F6schen mit Taste [Entf]."));

    Splitter2 = new QSplitter(Qt::Horizontal, area);
    Splitter2->setObjectName(QStringLiteral("Splitter2"));
    Splitter2->setHandleWidth(SplitterWidth);
    Splitter2->setChildrenCollapsible(false);
    Splitter2->addWidget(LBJobs);
    Splitter2->addWidget(LBTexte);
    Splitter2->setStretchFactor(0, 1);
    Splitter2->setStretchFactor(1, 0);
    LBJobs->setMinimumWidth(100);
    LBTexte->setMinimumWidth(40);

    row->addWidget(LBGraphic);
    row->addWidget(Splitter2, 1);
    return area;
}

void TMainForm::CreateMenus() {
    MenuDatei = menuBar()->addMenu(QStringLiteral("&Datei"));
    MenuDatei->setObjectName(QStringLiteral("MenuDatei"));
    FileNew = MakeAction(MenuDatei, "FileNew", QStringLiteral("&Neue Schleife"),
                         QStringLiteral("Erstellet eine neue Schleife mit den Eigenschaften der "
                                        "aktuellen Schleife."));
    FileNew->setIcon(ArtworkIcon(QStringLiteral("new")));
    Delete = MakeAction(MenuDatei, "Delete", QStringLiteral("Schleife &l\u00F6schen"),
                        QStringLiteral("L\u00F6scht die aktuelle Schleife."));
    Delete->setIcon(ArtworkIcon(QStringLiteral("delete")));
    MenuDatei->addSeparator();
    FileOpenRibbons = MakeAction(MenuDatei, "FileOpenRibbons",
                                 QStringLiteral("Schleifen \u00F6&ffnen\u2026"),
                                 QStringLiteral("H\u00E4ngt die Schleifen einer Schleifendatei an "
                                                "die Liste an."));
    FileSaveRibbons = MakeAction(MenuDatei, "FileSaveRibbons",
                                 QStringLiteral("Schleifen &speichern unter\u2026"),
                                 QStringLiteral("Speichert alle Schleifen der Liste in einer "
                                                "Schleifendatei, die vellumo-cli drucken kann."));
    MenuDatei->addSeparator();
    cmPrinterSetup = MakeAction(MenuDatei, "cmPrinterSetup",
                                QStringLiteral("Drucker&einrichtung..."), QString());
    Print = MakeAction(MenuDatei, "Print", QStringLiteral("&Drucken"),
                       QStringLiteral("Drucken aller in der Vorschau befindlichen Schleifen. "
                                      "Schleifen ohne Text werden vorher entfernt."));
    Print->setIcon(ArtworkIcon(QStringLiteral("print")));
    PrintPreview =
        MakeAction(MenuDatei, "PrintPreview", QStringLiteral("Seiten&vorschau\u2026"),
                   QStringLiteral("Zeigt die Seiten, die der Druck ergeben w\u00FCrde."));
    PrintPreview->setIcon(PreviewIcon());
    FormatSeparator = MenuDatei->addSeparator();
    Beenden1 = MakeAction(MenuDatei, "Beenden1", QStringLiteral("&Beenden"),
                          QStringLiteral("Beendet das Programm."));

    MenuFormat = menuBar()->addMenu(QStringLiteral("&Format"));
    MenuFormat->setObjectName(QStringLiteral("MenuFormat"));
    MenuAlign = MakeAction(MenuFormat, "MenuAlign", QStringLiteral("&B\u00FCndig"),
                           QStringLiteral("Ausrichten des Textes links und rechts b\u00FCndig "
                                          "zum Schleifenrand."));
    MenuCenter = MakeAction(MenuFormat, "MenuCenter", QStringLiteral("&Zentriert"),
                            QStringLiteral("Ausrichten des Textes zentriert zur "
                                           "Schleifenmitte."));
    MenuUpSide = MakeAction(MenuFormat, "MenuUpSide", QStringLiteral("&Quer b\u00FCndig"),
                            QStringLiteral("Ausrichten des Textes links und rechts b\u00FCndig "
                                           "zum Schleifenrand im Querformat."));
    const std::array<QKeyCombination, 3> keys{QKeyCombination(Qt::ControlModifier, Qt::Key_B),
                                              QKeyCombination(Qt::ControlModifier, Qt::Key_Z),
                                              QKeyCombination(Qt::ControlModifier, Qt::Key_Q)};
    const std::array<const char *, 3> icons{"align", "center", "upside"};
    const std::array<QAction *, 3> items{MenuAlign, MenuCenter, MenuUpSide};
    for (std::size_t i = 0; i < items.size(); ++i) {
        items[i]->setShortcut(QKeySequence(keys[i]));
        items[i]->setShortcutContext(Qt::WindowShortcut);
        items[i]->setIcon(ArtworkIcon(QLatin1String(icons[i])));
        items[i]->setIconVisibleInMenu(true);
        items[i]->setCheckable(true);
    }
    MenuAlign->setChecked(true);
    MenuFormat->addSeparator();
    Textfarbe1 = MakeAction(MenuFormat, "Textfarbe1", QStringLiteral("&Textfarbe..."),
                            QStringLiteral("Einstellen der Farbe des Textes."));
    Textfarbe1->setIcon(ArtworkIcon(QStringLiteral("color")));
    FitLetters = MakeAction(MenuFormat, "FitLetters", QStringLiteral("Schrift&h\u00F6he anpassen"),
                            QStringLiteral("Setzt die gr\u00F6\u00DFte Schrifth\u00F6he, bei der "
                                           "der Text der Schleife passt."));
    FitLetters->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_H));
    FitLetters->setShortcutContext(Qt::WindowShortcut);
    MenuFormat->addSeparator();
    FormatKeep = MakeAction(MenuFormat, "FormatKeep", QStringLiteral("&Festhalten..."),
                            QStringLiteral("Speichert das aktuelle Schleifenformat unter einem "
                                           "Namen ab."));
    FormatKeep->setIcon(ArtworkIcon(QStringLiteral("keep")));

    MenuInfo = menuBar()->addMenu(QStringLiteral("&Info"));
    MenuInfo->setObjectName(QStringLiteral("MenuInfo"));
    Info1 = MakeAction(MenuInfo, "Info1", QStringLiteral("&Info..."),
                       QStringLiteral("Information zum Programm."));
}

void TMainForm::ConnectControls() {
    connect(SBtnNew, &QToolButton::clicked, this, &TMainForm::BtnAddClick);
    connect(FileNew, &QAction::triggered, this, &TMainForm::BtnAddClick);
    connect(SBtnPrint, &QToolButton::clicked, this, &TMainForm::BtnPrintClick);
    connect(Print, &QAction::triggered, this, &TMainForm::BtnPrintClick);
    connect(SBtnPreview, &QToolButton::clicked, this, &TMainForm::PrintPreviewClick);
    connect(PrintPreview, &QAction::triggered, this, &TMainForm::PrintPreviewClick);
    connect(cmPrinterSetup, &QAction::triggered, this, &TMainForm::cmPrinterSetupClick);
    connect(SBtnDelete, &QToolButton::clicked, this, &TMainForm::BtnClearClick);
    connect(Delete, &QAction::triggered, this, &TMainForm::BtnClearClick);
    connect(Beenden1, &QAction::triggered, this, &TMainForm::BtnCloseClick);
    connect(Info1, &QAction::triggered, this, &TMainForm::BtnInfoClick);
    connect(FormatKeep, &QAction::triggered, this, &TMainForm::FormatKeepClick);
    connect(Textfarbe1, &QAction::triggered, this, &TMainForm::LBJobsDblClick);
    connect(FitLetters, &QAction::triggered, this, &TMainForm::FitLettersClick);
    connect(BtnFontColor, &QToolButton::clicked, this, &TMainForm::LBJobsDblClick);
    for (QMenu *menu : {MenuDatei, MenuFormat, MenuInfo})
        connect(menu, &QMenu::aboutToShow, this, &TMainForm::cmUpdateMenu);

    connect(StyleGroup, &QButtonGroup::idClicked, this, &TMainForm::JobChanged);
    for (int tag = 0; tag < 3; ++tag) {
        connect(StyleMenuItems[std::size_t(tag)], &QAction::triggered, this,
                [this, tag] { MenuStyleClick(tag); });
    }

    for (SpinField *spin : {edLaenge, edBreite, edRand, edFontSize})
        connect(spin, &QSpinBox::valueChanged, this, &TMainForm::JobChanged);
    connect(edBildBreiteL, &QSpinBox::valueChanged, this, &TMainForm::edBildBreiteLChange);
    connect(edBildBreiteR, &QSpinBox::valueChanged, this, &TMainForm::edBildBreiteRChange);
    connect(edBildAbstandL, &QSpinBox::valueChanged, this, &TMainForm::edBildAbstandLChange);
    connect(edBildAbstandR, &QSpinBox::valueChanged, this, &TMainForm::edBildAbstandRChange);
    connect(edKommission, &QLineEdit::textChanged, this, &TMainForm::JobChanged);
    connect(edKommission, &TextField::refused, this, &TMainForm::ShowStatusText);
    connect(CBFontName, &QComboBox::currentIndexChanged, this, &TMainForm::JobChanged);
    connect(CBFlip, &QCheckBox::clicked, this, &TMainForm::JobChanged);
    connect(CBShadow, &QCheckBox::clicked, this, &TMainForm::JobChanged);

    for (TextMemo *memo : {MTextLeft, MTextRight}) {
        connect(memo, &QPlainTextEdit::textChanged, this, &TMainForm::JobChanged);
        connect(memo, &TextMemo::refused, this, &TMainForm::ShowStatusText);
        connect(memo, &TextMemo::pressed, this, [this, memo](Qt::KeyboardModifiers modifiers) {
            if (modifiers & Qt::ControlModifier)
                MTextsStore(memo);
        });
    }
    connect(MTextLeft, &TextMemo::entered, this, &TMainForm::MTextLeftEnter);
    connect(MTextRight, &TextMemo::entered, this, &TMainForm::MTextRightEnter);
    connect(qApp, &QApplication::focusChanged, this, &TMainForm::MTextExit);

    // The selection, not the current index: a click moves the current index
    // before it selects.
    connect(LBJobs->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!SelectingJob)
            LBJobsClick();
    });
    connect(LBJobs, &QListView::doubleClicked, this, &TMainForm::LBJobsDblClick);
    LBJobs->installEventFilter(this);
    connect(LBGraphic, &QListWidget::itemDoubleClicked, this, &TMainForm::LBGraphicDblClick);
    connect(LBTexte, &QListWidget::itemDoubleClicked, this, &TMainForm::LBTexteDblClick);
    LBTexte->installEventFilter(this);
    connect(Splitter2, &QSplitter::splitterMoved, this, &TMainForm::Splitter2Moved);
    Splitter2->installEventFilter(this);
}
