#include "ui/Main.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QKeyEvent>
#include <QListView>
#include <QListWidget>
#include <QScopedValueRollback>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <algorithm>
#include <functional>
#include <utility>

#include "model/Job.h"
#include "model/RibbonList.h"
#include "ui/FitCache.h"
#include "ui/JobEditor.h"
#include "ui/JobListModel.h"

namespace {

constexpr int PictureListWidth = 140;
constexpr int ListGap = 2;
constexpr int PhraseListRoom = 170;
constexpr int MinimumJobListWidth = 300;

// Tells when the user next presses a key (a modifier alone is no typing) or
// a mouse button anywhere in the program.
class NextUserAction : public QObject {
public:
    NextUserAction(std::function<void()> acted, QObject *parent)
        : QObject(parent), acted_(std::move(acted)) {}

protected:
    bool eventFilter(QObject *watched, QEvent *event) override {
        if (event->type() == QEvent::MouseButtonPress ||
            (event->type() == QEvent::KeyPress &&
             !IsModifier(static_cast<QKeyEvent *>(event)->key())))
            acted_();
        return QObject::eventFilter(watched, event);
    }

private:
    static bool IsModifier(int key) {
        return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt ||
               key == Qt::Key_AltGr || key == Qt::Key_Meta || key == Qt::Key_CapsLock;
    }

    std::function<void()> acted_;
};

}  // namespace

void TMainForm::LoadJob() {
    {
        const QScopedValueRollback updating(Updating, true);
        if (!Ribbons->current()) {
            Editor->clearTexts();
        } else {
            const QString missing = Editor->load(*Ribbons->current(), CompatibilityMode);
            if (!missing.isEmpty())
                ShowStatusText(missing);
            else if (statusBar()->currentMessage().contains(
                         QStringLiteral(" ist nicht installiert; ")))
                statusBar()->clearMessage();  // it spoke of the ribbon selected before
            PressStyleButton(Ribbons->current()->Stil);
            UpdateStyleChecks(Ribbons->current()->Stil);
        }
        UpdateEnabledStates();
    }
    Editor->markFaces(Ribbons->current() ? TextInRibbonFace(*Ribbons->current()) : QString());
    ShowFitStatus();
}

void TMainForm::StoreJob() {
    const QScopedValueRollback updating(Updating, true);
    if (!Ribbons->current()) {
        Editor->clearTexts();
    } else {
        Editor->store(*Ribbons->current(), CompatibilityMode);
        const int style = PressedStyle();
        if (style >= 0)
            Ribbons->current()->Stil = style;
        UpdateStyleChecks(Ribbons->current()->Stil);
    }
    UpdateEnabledStates();
}

void TMainForm::JobChanged() {
    if (Updating)
        return;
    {
        const QScopedValueRollback updating(Updating, true);
        StoreJob();
        InvalidateCurrentJob();
    }
    Editor->markFaces(Ribbons->current() ? TextInRibbonFace(*Ribbons->current()) : QString());
    ShowFitStatus();
}

void TMainForm::ShowFitStatus() {
    QStringList messages;
    if (Ribbons->current()) {
        for (const FitFinding &finding : FitFindings(DrawingContext(), *Ribbons->current()))
            messages << finding.message();
    }
    const QString text = messages.join(QLatin1Char(' '));
    if (!RefusalShown.isEmpty()) {
        FitStatusShown = text;  // shown once the refusal is released
        return;
    }
    // A fit message stays until the ribbon fits; other texts are left alone.
    if (!text.isEmpty())
        ShowStatusText(text);
    else if (!FitStatusShown.isEmpty() &&
             statusBar()->currentMessage() == QLatin1Char(' ') + FitStatusShown)
        statusBar()->clearMessage();
    FitStatusShown = text;
}

void TMainForm::InvalidateCurrentJob() {
    const int row = Jobs->rowOf(Ribbons->current());
    if (row >= 0)
        Jobs->refresh(row);
}

bool TMainForm::SomeJobHasText() const {
    for (int row = 0; row < Jobs->count(); ++row) {
        const TJob *job = Jobs->jobAt(row);
        if (job->HasText())
            return true;
    }
    return false;
}

void TMainForm::UpdateEnabledStates() {
    const bool listed = Jobs->count() > 0;
    Editor->updateEnabledStates(Ribbons->current(), listed, CompatibilityMode);

    const bool printable = SomeJobHasText();
    SBtnPrint->setEnabled(printable);
    Print->setEnabled(printable);
    SBtnPreview->setEnabled(printable);
    PrintPreview->setEnabled(printable);
    SBtnDelete->setEnabled(listed);
}

void TMainForm::PressStyleButton(int style) {
    if (style >= 0 && style < int(StyleButtons.size())) {
        StyleButtons[std::size_t(style)]->setChecked(true);
        return;
    }
    // A style from a hand-edited settings file that no button stands for:
    // no button is down, and the job keeps its value until one is pressed.
    StyleGroup->setExclusive(false);
    for (QToolButton *button : StyleButtons)
        button->setChecked(false);
    StyleGroup->setExclusive(true);
}

int TMainForm::PressedStyle() const {
    for (std::size_t i = 0; i < StyleButtons.size(); ++i) {
        if (StyleButtons[i]->isChecked())
            return int(i);
    }
    return -1;
}

void TMainForm::UpdateStyleChecks(int style) {
    for (std::size_t i = 0; i < StyleMenuItems.size(); ++i)
        StyleMenuItems[i]->setChecked(int(i) == style);
}

void TMainForm::MenuStyleClick(int tag) {
    PressStyleButton(tag);
    JobChanged();
    // A menu item checks itself when chosen; the marks follow the buttons.
    UpdateStyleChecks(Ribbons->current() ? Ribbons->current()->Stil : PressedStyle());
}

void TMainForm::ApplicationHint(const QString &hint) {
    if (RefusalShown.isEmpty())
        ShowStatusText(hint);
}

void TMainForm::ShowRefusal(const QString &text) {
    ShowStatusText(text);
    if (!RefusalWatch)
        RefusalWatch = new NextUserAction([this] { ReleaseRefusal(); }, this);
    if (RefusalShown.isEmpty())
        qApp->installEventFilter(RefusalWatch);
    RefusalShown = text;
}

void TMainForm::ReleaseRefusal() {
    if (RefusalShown.isEmpty())
        return;
    qApp->removeEventFilter(RefusalWatch);
    RefusalShown.clear();
    // What the refusal stood over comes back: the fit of the ribbon.
    if (!FitStatusShown.isEmpty())
        ShowStatusText(FitStatusShown);
    else
        statusBar()->clearMessage();
}

void TMainForm::ShowStatusText(const QString &text) {
    statusBar()->showMessage(QLatin1Char(' ') + text);
}

void TMainForm::FormResize() {
    // The list area is laid out after the window; its splitter knows the room.
    const int client = Splitter2->width() + PictureListWidth + ListGap;
    const int jobs = std::max(client - PictureListWidth - PhraseListRoom, MinimumJobListWidth);
    const int rest = std::max(Splitter2->width() - jobs - Splitter2->handleWidth(), 0);
    Splitter2->setSizes({jobs, rest});
    LBJobs->viewport()->update();
    LBGraphic->viewport()->update();
}

void TMainForm::Splitter2Moved() {
    LBJobs->viewport()->update();
    LBTexte->viewport()->update();
}
