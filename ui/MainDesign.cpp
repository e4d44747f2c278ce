#include "ui/Main.h"

#include <QApplication>
#include <QButtonGroup>
#include <QFrame>
#include <QHBoxLayout>
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
#include "model/RibbonList.h"
#include "model/StoredFormatsModel.h"
#include "model/Workspace.h"
#include "ui/Artwork.h"
#include "ui/Hints.h"
#include "ui/JobEditor.h"
#include "ui/JobListDelegate.h"
#include "ui/JobListModel.h"
#include "ui/MenuMnemonics.h"
#include "ui/OrderPanel.h"
#include "ui/PictureListDelegate.h"
#include "ui/TextMemo.h"

namespace {

constexpr int ToolbarHeight = 38;
constexpr int ToolButtonSize = 26;
constexpr int PictureListWidth = 140;
constexpr int SplitterWidth = 5;
constexpr double PanelPointSize = 8.0;  // the editor is dense; a notch below the desktop's

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
    // The button shows only a picture; a screen reader says its hint.
    button->setAccessibleName(ShortHint(hint));
    button->setAccessibleDescription(LongHint(hint));
    return button;
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
    // What outlives the widgets first: the list shows the workspace's ribbons.
    Work = new Workspace(this);
    Ribbons = Work->ribbons();
    auto *central = new QWidget(this);
    QFont dense = font();
    dense.setPointSizeF(std::min(dense.pointSizeF(), PanelPointSize));
    central->setFont(dense);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(CreateToolbar());
    Editor = new JobEditor(central);
    column->addWidget(Editor);
    column->addWidget(CreateListArea(), 1);
    setCentralWidget(central);

    statusBar()->setObjectName(QStringLiteral("StatusBar"));
    statusBar()->setSizeGripEnabled(true);
    CreateMenus();

    Formats = Work->formats();
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
    LBGraphic->setAccessibleName(QStringLiteral("Bilder"));

    Jobs = new JobListModel(*Ribbons, this);
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
    LBJobs->setAccessibleName(QStringLiteral("Schleifen"));

    LBTexte = new QListWidget(area);
    LBTexte->setObjectName(QStringLiteral("LBTexte"));
    LBTexte->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SetHint(LBTexte, QStringLiteral("Textliste. Einf\u00FCgen von Texten mit Doppelklick. "
                                    "L\u00F6schen mit Taste [Entf]."));
    LBTexte->setAccessibleName(QStringLiteral("Textliste"));

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

    // The orders beside the lists: the ribbon list keeps what room the
    // window gains, the orders keep their width.
    Orders = new OrderPanel(area);
    OrdersSplitter = new QSplitter(Qt::Horizontal, area);
    OrdersSplitter->setObjectName(QStringLiteral("OrdersSplitter"));
    OrdersSplitter->setHandleWidth(SplitterWidth);
    OrdersSplitter->setChildrenCollapsible(false);
    OrdersSplitter->addWidget(Splitter2);
    OrdersSplitter->addWidget(Orders);
    OrdersSplitter->setStretchFactor(0, 1);
    OrdersSplitter->setStretchFactor(1, 0);

    row->addWidget(LBGraphic);
    row->addWidget(OrdersSplitter, 1);
    return area;
}

void TMainForm::CreateMenus() {
    MenuDatei = menuBar()->addMenu(QStringLiteral("&Datei"));
    MenuDatei->setObjectName(QStringLiteral("MenuDatei"));
    FileNew = MakeAction(MenuDatei, "FileNew", QStringLiteral("&Neue Schleife"),
                         QStringLiteral("Erstellet eine neue Schleife mit den Eigenschaften der "
                                        "aktuellen Schleife."));
    FileNew->setIcon(ArtworkIcon(QStringLiteral("new")));
    FileNew->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    FileNew->setShortcutContext(Qt::WindowShortcut);
    Delete = MakeAction(MenuDatei, "Delete", QStringLiteral("Schleife &l\u00F6schen"),
                        QStringLiteral("L\u00F6scht die aktuelle Schleife."));
    Delete->setIcon(ArtworkIcon(QStringLiteral("delete")));
    MenuDatei->addSeparator();
    FileOpenRibbons =
        MakeAction(MenuDatei, "FileOpenRibbons", QStringLiteral("Schleifen \u00F6&ffnen\u2026"),
                   QStringLiteral("H\u00E4ngt die Schleifen einer Schleifendatei an "
                                  "die Liste an."));
    FileSaveRibbons =
        MakeAction(MenuDatei, "FileSaveRibbons", QStringLiteral("Schleifen &speichern unter\u2026"),
                   QStringLiteral("Speichert alle Schleifen der Liste in einer "
                                  "Schleifendatei, die vellumo-cli drucken kann."));
    MenuDatei->addSeparator();
    cmPrinterSetup = MakeAction(MenuDatei, "cmPrinterSetup",
                                QStringLiteral("Drucker&einrichtung..."), QString());
    Print = MakeAction(MenuDatei, "Print", QStringLiteral("&Drucken"),
                       QStringLiteral("Drucken aller in der Vorschau befindlichen Schleifen. "
                                      "Schleifen ohne Text werden vorher entfernt."));
    Print->setIcon(ArtworkIcon(QStringLiteral("print")));
    Print->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    Print->setShortcutContext(Qt::WindowShortcut);
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
    InsertSymbol =
        MakeAction(MenuFormat, "InsertSymbol", QStringLiteral("Symbol &einf\u00FCgen\u2026"),
                   QStringLiteral("F\u00FCgt ein Kreuz, einen Stern, ein Herz oder ein "
                                  "anderes Zeichen in den Text ein."));
    MenuFormat->addSeparator();
    FormatKeep = MakeAction(MenuFormat, "FormatKeep", QStringLiteral("&Festhalten..."),
                            QStringLiteral("Speichert das aktuelle Schleifenformat unter einem "
                                           "Namen ab."));
    FormatKeep->setIcon(ArtworkIcon(QStringLiteral("keep")));

    MenuInfo = menuBar()->addMenu(QStringLiteral("&Info"));
    MenuInfo->setObjectName(QStringLiteral("MenuInfo"));
    Info1 = MakeAction(MenuInfo, "Info1", QStringLiteral("&Info..."),
                       QStringLiteral("Information zum Programm."));

    // "Schrift&farbe:" and "Bild l&inks:" share their letters with "&Format"
    // and "&Info"; Alt with the letter opens the menu, and the fields are
    // reached with Tab (the left text also with Alt+K).
    MenuMnemonics::Install(menuBar(), Editor);
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
    connect(InsertSymbol, &QAction::triggered, this, &TMainForm::InsertSymbolClick);
    connect(Editor->BtnFontColor, &QToolButton::clicked, this, &TMainForm::LBJobsDblClick);
    connect(Formats, &StoredFormatsModel::formatsChanged, this, &TMainForm::BuildFormatMenu);
    for (QMenu *menu : {MenuDatei, MenuFormat, MenuInfo})
        connect(menu, &QMenu::aboutToShow, this, &TMainForm::cmUpdateMenu);

    connect(StyleGroup, &QButtonGroup::idClicked, this, &TMainForm::JobChanged);
    for (int tag = 0; tag < 3; ++tag) {
        connect(StyleMenuItems[std::size_t(tag)], &QAction::triggered, this,
                [this, tag] { MenuStyleClick(tag); });
    }

    connect(Editor, &JobEditor::changed, this, &TMainForm::JobChanged);
    connect(Editor, &JobEditor::refused, this, &TMainForm::ShowRefusal);

    for (TextMemo *memo : {Editor->MTextLeft, Editor->MTextRight}) {
        connect(memo, &TextMemo::pressed, this, [this, memo](Qt::KeyboardModifiers modifiers) {
            if (modifiers & Qt::ControlModifier)
                MTextsStore(memo);
        });
    }
    connect(Editor->MTextLeft, &TextMemo::entered, this, &TMainForm::MTextLeftEnter);
    connect(Editor->MTextRight, &TextMemo::entered, this, &TMainForm::MTextRightEnter);
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
    connect(OrdersSplitter, &QSplitter::splitterMoved, this, [this] { OrdersDividerMoved = true; });
    OrdersSplitter->installEventFilter(this);
}
