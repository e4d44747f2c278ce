#include "ui/JobEditor.h"
#include "ui/Main.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QMetaObject>
#include <QScopedValueRollback>
#include <QScreen>
#include <QSplitter>
#include <QStatusTipEvent>
#include <QTimer>
#include <cstdio>

#include "model/DataFolder.h"
#include "model/DataSave.h"
#include "model/FileError.h"
#include "model/Job.h"
#include "model/RibbonList.h"
#include "model/SettingsFile.h"
#include "model/StoredFormats.h"
#include "model/StoredFormatsModel.h"
#include "model/Workspace.h"
#include "print/Session.h"
#include "render/Pictures.h"
#include "render/Typefaces.h"
#include "ui/Artwork.h"
#include "ui/ColorSwatch.h"
#include "ui/JobListDelegate.h"
#include "ui/JobListModel.h"
#include "ui/OrderPanel.h"
#include "ui/PictureListDelegate.h"
#include "ui/PrintFlow.h"
#include "ui/SpellSupport.h"
#include "ui/SpinField.h"
#include "ui/TextMemo.h"

namespace {

constexpr int LengthMinimum = 250;
constexpr int SpinLimit = 32767;

PictureListDelegate *PictureDelegate(QListWidget *list) {
    return static_cast<PictureListDelegate *>(list->itemDelegate());
}

}  // namespace

TMainForm::TMainForm(QWidget *parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("Vellumo"));
    setWindowIcon(ArtworkIcon(QStringLiteral("vellumo")));
    CreateControls();
    // Never so small that the panels' controls would overlap.
    setMinimumSize(MinimumWindowSize.expandedTo(minimumSizeHint()));
    FormCreate();
}

TMainForm::~TMainForm() {
    FormDestroy();
}

QSize TMainForm::StartSize(int screenWidth, bool *maximised) {
    const bool small = screenWidth <= 800;
    if (maximised)
        *maximised = small;
    return small ? QSize(550, 420) : QSize(800, 600);
}

void TMainForm::ApplyWindowSizeRule() {
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    bool maximised = false;
    const QSize size =
        StartSize(screen ? screen->geometry().width() : 1024, &maximised).expandedTo(minimumSize());
    resize(size);
    move(available.center() - QPoint(size.width() / 2, size.height() / 2));
    if (maximised)
        setWindowState(windowState() | Qt::WindowMaximized);
}

void TMainForm::FormCreate() {
    ApplyWindowSizeRule();
    ColorDepth = 1;
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        ColorDepth = screen->depth();
    JobsDelegate->setColorDepth(ColorDepth);
    LastTextMemo = Editor->MTextLeft;

    FillFontList();
    int face = Editor->CBFontName->findText(QStringLiteral("Marigold"), Qt::MatchFixedString);
    if (face < 0)
        face = Editor->CBFontName->findText(QStringLiteral("Arial"), Qt::MatchFixedString);
    // The list holds only installed families; without Arial itself the face
    // that stands in for it (its metric twin) is chosen, never no face.
    if (face < 0)
        face = Editor->CBFontName->findText(ResolveFace(QStringLiteral("Arial")).family,
                                            Qt::MatchFixedString);
    Editor->CBFontName->setCurrentIndex(face);

    Ribbons->setCurrent(nullptr);
    Updating = false;

    Setup = std::make_unique<RibbonSession>(SettingsFilePath());
    OpenDataSession();
    ConnectSessionCommands();

    CompatibilityMode = Setup->compatibilityMode();
    if (CompatibilityMode) {
        // The spin field cannot go below its minimum nor past 16 bits: a
        // missing or tiny "MaxLaenge" leaves only the shortest ribbon.
        Editor->edLaenge->setMaximum(std::clamp(Setup->maxLength() / 10, LengthMinimum, SpinLimit));
    }

    LoadPhrases();
    auto *spelling = new SpellingSupport(this, {Editor->MTextLeft, Editor->MTextRight}, MenuFormat,
                                         phrases().phrases());  // a child
    connect(spelling, &SpellingSupport::notice, this, &TMainForm::AddDataNote);
    OpenOrderInbox();
    QMetaObject::invokeMethod(this, &TMainForm::MsgStartup, Qt::QueuedConnection);
    Editor->PanelFontColor->setColor(0);
    LoadJob();

    PictureDelegate(LBGraphic)->setCatalogue(&Setup->pictures());
    LoadPictureList();
    // The first ribbon is made now, from the controls as they stand, rather
    // than by the deferred start-up: keys typed as soon as the window shows
    // go into its text, however long the rest of the start-up takes.
    BtnAddClick();
    MsgFocusText();
}

RenderContext TMainForm::DrawingContext() const {
    // Before start-up and after the end only the defaults are known.
    return Setup ? Setup->context() : RenderContext();
}

void TMainForm::MsgStartup() {
    if (Closed)
        return;
    // CUPS is asked for its queues off the GUI thread: a scheduler that does
    // not answer never holds up the window. The stored printer is chosen
    // once the queues are known.
    PrintFlow::of(this).listPrinters([this](const QString &failure) {
        if (Closed)
            return;
        if (!failure.isEmpty())
            AddDataNote(failure);
        SelectStartupPrinter();
    });
    OfferDataFolder();
    OfferRecovery();
}

void TMainForm::MsgFocusText() {
    if (Closed || !Editor->MTextLeft->isEnabled())
        return;
    Editor->MTextLeft->setFocus(Qt::OtherFocusReason);
    Editor->MTextLeft->selectAll();
}

void TMainForm::closeEvent(QCloseEvent *e) {
    FormClose();
    e->accept();
}

void TMainForm::FormClose() {
    if (Closed)
        return;
    Closed = true;
    // What this window changed goes onto what the files hold now: another
    // Vellumo may have saved into them since this one started. A settings
    // file that cannot be written must not cost the phrases, nor the phrases
    // the settings: each is tried, and each failure is shown.
    const DataSaveResult saved = Work->save(PrinterNameToStore());
    // The desktop is ending the session and will not wait for anyone to read
    // a message: failures go to stderr, and the ribbons stay kept against a
    // crash so that the next start offers them again. Otherwise a normal end:
    // the ribbons kept against a crash are given up, as the list itself is.
    if (Work->endSession(EndingSession && !saved.errors.isEmpty()))
        std::fprintf(stderr, "vellumo: %s\n",
                     qPrintable(QStringLiteral("Die Schleifen bleiben in %1 erhalten.")
                                    .arg(QDir::toNativeSeparators(Work->ribbonFilePath()))));
    Ribbons->setCurrent(nullptr);
    {
        const QScopedValueRollback selecting(SelectingJob, true);
        Jobs->clear();
    }
    for (const QString &error : saved.errors) {
        if (EndingSession)
            std::fprintf(stderr, "vellumo: %s\n", qPrintable(error));
        else
            QMessageBox::critical(this, windowTitle(), error);
    }
}

void TMainForm::FormDestroy() {
    // Nothing may reach this window while its parts are taken down.
    disconnect(qApp, nullptr, this, nullptr);
    LBJobs->selectionModel()->disconnect(this);
    Orders->model()->setFindingsOf(nullptr);
    Ribbons->setCurrent(nullptr);
    Jobs->clear();
    PictureDelegate(LBGraphic)->setCatalogue(nullptr);
    Work->closeSession();
    Setup.reset();
}

bool TMainForm::event(QEvent *e) {
    if (e->type() == QEvent::StatusTip) {
        ApplicationHint(static_cast<QStatusTipEvent *>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

bool TMainForm::eventFilter(QObject *watched, QEvent *e) {
    if (watched == Splitter2 && e->type() == QEvent::Resize)
        FormResize();
    if (watched == OrdersSplitter && e->type() == QEvent::Resize)
        ShareOrdersRoom();
    if (e->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(e)->key();
        if (watched == LBJobs && LBJobsKeyDown(key))
            return true;
        if (watched == LBTexte && LBTexteKeyDown(key))
            return true;
    }
    if (watched == LBTexte && e->type() == QEvent::InputMethod &&
        LBTexteInputMethod(static_cast<QInputMethodEvent *>(e)))
        return true;
    return QMainWindow::eventFilter(watched, e);
}
