#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "model/PhraseFile.h"
#include "print/PrintRunner.h"
#include "print/Printer.h"
#include "render/Pictures.h"
#include "render/RenderContext.h"
#include "ui/PrintFlow.h"

class QAction;
class QButtonGroup;
class QInputMethodEvent;
class QLabel;
class QListView;
class QListWidget;
class QMenu;
class QSplitter;
class QToolButton;
class QWidget;

class QTimer;
class FormatSnapshot;
class JobEditor;
class OrderPanel;
class JobListDelegate;
class JobListModel;
class RibbonList;
class RibbonSession;
class SettingsFile;
class StoredFormatsModel;
class TAboutBox;
class TDlgStoreFormat;
class TDlgTextColor;
class TJob;
class TextMemo;
class Workspace;

// The main window: an editor for the current ribbon (JobEditor), the ribbon
// list with its previews, the picture list and the phrase list. The member
// definitions are split by concern: MainDesign (controls and menus),
// MainEditor (loading and storing the current ribbon, enabled states, status
// bar), MainLists (previews, pictures, typefaces), MainCommands (ribbon list
// commands), MainFormatMenu (stored formats), MainPhrases (phrase list),
// MainStartup (start and end), MainPrint (printing), MainOrders (the order
// inbox).
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // Printing (MainPrint.cpp).
    void BtnPrintClick();
    // "Seitenvorschau": the pages the print command would produce now.
    void PrintPreviewClick();
    void cmPrinterSetupClick();
    void SelectStartupPrinter();                  // the printer half of the deferred start-up
    std::optional<QString> PrinterNameToStore();  // the printer list's entry, if one is chosen

    // The print command over `jobs` rather than the list, with all its
    // questions; `selected` is the ribbon the range "Markierung" names.
    PrintResult PrintRibbons(const std::vector<const TJob *> &jobs, const TJob *selected,
                             const std::optional<PrintRange> &preset = std::nullopt);

    // The ribbon list in its order; the list owns the jobs.
    int JobCount() const;
    TJob *JobAt(int index) const;
    TJob *currentJob() const;

    // Appends `job` (taking ownership; null only cleans up) after removing
    // every ribbon without text, and makes the selected ribbon current.
    void AddJob(std::unique_ptr<TJob> job);
    // The current ribbon into the editor's controls, and back.
    void LoadJob();
    void StoreJob();

    // The stored formats of the run: read after start-up, written at the end.
    StoredFormatsModel *storedFormats() const { return Formats; }

    // The windows made after this one at start-up; this window uses them.
    void SetStoreFormatDialog(TDlgStoreFormat *dialog);
    void SetTextColorDialog(TDlgTextColor *dialog);
    void SetAboutBox(TAboutBox *box);

    bool compatibilityMode() const { return CompatibilityMode; }
    // The drawing context of a preview or print run now: the settings as the
    // file holds them, the rasterizer mode of start-up, the picture catalogue.
    RenderContext DrawingContext() const;
    int colorDepth() const { return ColorDepth; }
    const PhraseList &phrases() const;
    // The phrases and stored formats with their saving.
    Workspace *workspace() const { return Work; }

    // The ribbon file to open (saving false) or to save to; empty when the
    // user cancelled. Null: the file dialogs ask (tests answer themselves).
    std::function<QString(bool saving)> AskRibbonFile;

    // Rebuilds the stored-format entries of the "&Datei" menu.
    void BuildFormatMenu();

    // The desktop ends the session: close as "&Beenden" does, once a print
    // run under way has ended, and leave any dialog that is open.
    void EndSession();
    // Appends ribbons (taking ownership) after the clean-up of ribbons
    // without text, and selects the first of them.
    void AppendJobs(std::vector<std::unique_ptr<TJob>> jobs);

    static constexpr QSize MinimumWindowSize{750, 360};
    // The window's size at start for a screen of that width; small screens
    // get a maximised window.
    static QSize StartSize(int screenWidth, bool *maximised);

protected:
    bool event(QEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    // MainDesign.cpp
    void CreateControls();
    QWidget *CreateToolbar();
    QWidget *CreateListArea();
    void CreateMenus();
    void ConnectControls();

    // MainStartup.cpp
    void FormCreate();
    void MsgStartup();
    void MsgFocusText();
    void FormClose();
    void FormDestroy();
    void ApplyWindowSizeRule();

    // MainEditor.cpp
    void JobChanged();
    void InvalidateCurrentJob();
    void UpdateEnabledStates();
    void UpdateStyleChecks(int style);
    void PressStyleButton(int style);
    int PressedStyle() const;
    void MenuStyleClick(int tag);
    void MTextLeftEnter() { PictureSide = 1; }
    void MTextRightEnter() { PictureSide = 2; }
    void ApplicationHint(const QString &hint);
    void ShowStatusText(const QString &text);
    // A refused character or paste: the message stays until the user types
    // on or clicks; hints and fit messages wait behind it.
    void ShowRefusal(const QString &text);
    void ReleaseRefusal();
    // Says in the status bar what of the current ribbon does not fit.
    void ShowFitStatus();
    void FormResize();
    void Splitter2Moved();
    bool SomeJobHasText() const;

    // MainLists.cpp
    void FillFontList();
    void LoadPictureList();
    void LBGraphicDblClick();

    // MainCommands.cpp
    void BtnAddClick();
    void BtnClearClick();
    void LBJobsClick();
    bool LBJobsKeyDown(int key);
    void LBJobsDblClick();
    void BtnCloseClick();
    void BtnInfoClick();
    void SelectJobRow(int row);
    void RemoveJobsWithoutText();
    int SelectedJobRow() const;

    // MainPrint.cpp: the print command with the range already chosen (by the
    // page preview) or, without one, asked for.
    void PrintWithRange(const std::optional<PrintRange> &preset);

    // MainFit.cpp
    void FitLettersClick();

    // MainFormatMenu.cpp
    void HistoryListClick(int formatIndex);
    void cmUpdateMenu();
    void FormatKeepClick();
    // "Symbol &einfügen…": into the memo the user was in last, else the left one.
    void InsertSymbolClick();
    TextMemo *EnteredMemo() const;

    // MainSession.cpp
    void OpenDataSession();
    void ConnectSessionCommands();
    void OfferDataFolder();
    void OfferRecovery();
    void ScheduleRibbonBackup();
    bool WriteRibbonBackup();
    void WorkspaceAutosaved(const QStringList &errors);
    void AddDataNote(const QString &note);
    // The status bar's metres of ribbon per width for printing the whole list.
    void ShowRibbonMetres();
    void FileOpenRibbonsClick();
    QString AskRibbonFilePath(bool saving);
    void FileSaveRibbonsClick();
    std::vector<const TJob *> ListedJobs() const;

    // MainOrders.cpp: the order inbox beside the ribbon list.
    void OpenOrderInbox();
    QStringList OrderRibbonFindings(const TJob &job);
    bool AppendOrderRibbons(std::vector<std::unique_ptr<TJob>> &ribbons, QString *reason);
    void ShareOrdersRoom();

    // MainPhrases.cpp
    void LoadPhrases();
    void ShowPhrases(qsizetype selectRow);
    void MTextsStore(TextMemo *memo);
    void LBTexteDblClick();
    bool LBTexteKeyDown(int key);
    // The type-ahead for what an input method commits (a dead key, compose).
    bool LBTexteInputMethod(const QInputMethodEvent *event);
    void MTextExit(QWidget *old, QWidget *now);

    // Tool bar
    QToolButton *SBtnNew = nullptr;
    QToolButton *SBtnPrint = nullptr;
    QToolButton *SBtnPreview = nullptr;
    QToolButton *SBtnDelete = nullptr;
    QToolButton *SBtnAlign = nullptr;
    QToolButton *SBtnCenter = nullptr;
    QToolButton *SBtnUpSide = nullptr;
    QButtonGroup *StyleGroup = nullptr;

    // The editor of the current ribbon: the format and text panels.
    JobEditor *Editor = nullptr;

    // List area
    QListWidget *LBGraphic = nullptr;
    QListView *LBJobs = nullptr;
    QListWidget *LBTexte = nullptr;
    QSplitter *Splitter2 = nullptr;
    JobListModel *Jobs = nullptr;
    JobListDelegate *JobsDelegate = nullptr;
    QSplitter *OrdersSplitter = nullptr;  // the lists, and the orders beside them
    OrderPanel *Orders = nullptr;
    std::shared_ptr<FormatSnapshot> OrderFormats;  // for the inbox's reader thread
    bool OrdersDividerMoved = false;

    // Menus
    QMenu *MenuDatei = nullptr;
    QMenu *MenuFormat = nullptr;
    QMenu *MenuInfo = nullptr;
    QAction *FileNew = nullptr;
    QAction *Delete = nullptr;
    QAction *cmPrinterSetup = nullptr;
    QAction *Print = nullptr;
    QAction *PrintPreview = nullptr;
    QAction *FormatSeparator = nullptr;  // the separator below "&Drucken"
    QAction *Beenden1 = nullptr;
    QAction *FileOpenRibbons = nullptr;
    QAction *FileSaveRibbons = nullptr;
    QAction *Info1 = nullptr;
    QAction *MenuAlign = nullptr;
    QAction *MenuCenter = nullptr;
    QAction *MenuUpSide = nullptr;
    QAction *Textfarbe1 = nullptr;
    QAction *FitLetters = nullptr;
    QAction *InsertSymbol = nullptr;
    QAction *FormatKeep = nullptr;
    QList<QAction *> FormatEntries;  // the entries and their closing separator

    // State
    // The day's ribbons and the one being edited; the workspace's.
    RibbonList *Ribbons = nullptr;
    bool Updating = false;
    bool SelectingJob = false;  // the commands select rows; that is no click
    int PictureSide = 0;
    int ColorDepth = 1;
    bool CompatibilityMode = false;
    bool Closed = false;
    std::array<QToolButton *, 3> StyleButtons{};
    std::array<QAction *, 3> StyleMenuItems{};
    TextMemo *LastTextMemo = nullptr;
    QString FitStatusShown;  // the fit message last put in the status bar
    Workspace *Work = nullptr;

    // The refusal in the status bar while it stands, and what sees the key or
    // click that ends it.
    QString RefusalShown;
    QObject *RefusalWatch = nullptr;

    // The settings file, what start-up reads from it, the picture list's
    // names and thumbnails.
    std::unique_ptr<RibbonSession> Setup;
    QLabel *DataNote = nullptr;      // what the window says about its data folder
    QLabel *RibbonMetres = nullptr;  // the ribbon the list takes, per width
    bool DataFolderMissing = false;
    bool EndingSession = false;  // the desktop ends the session: no more questions

    StoredFormatsModel *Formats = nullptr;  // the workspace's
    QPointer<TDlgStoreFormat> DlgStoreFormat;
    QPointer<TDlgTextColor> DlgTextColor;
    QPointer<TAboutBox> AboutBox;
};
