#include "ui/Main.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <algorithm>

#include "model/Job.h"
#include "render/Typefaces.h"
#include "ui/ColorSwatch.h"
#include "ui/FitCache.h"
#include "ui/JobListModel.h"
#include "ui/SpinField.h"
#include "ui/TextField.h"
#include "ui/TextMemo.h"

namespace {

const QStringList &CompatibilityNotice() {
    static const QStringList lines{QStringLiteral("Der Kompatibilit\u00E4tsmodus unterst\u00FCtzt"),
                                   QStringLiteral("keinen beidseitigen Druck.")};
    return lines;
}

constexpr int PictureListWidth = 140;
constexpr int ListGap = 2;
constexpr int PhraseListRoom = 170;
constexpr int MinimumJobListWidth = 300;

}  // namespace

void TMainForm::SyncJob(bool ToControls) {
    {
        const QScopedValueRollback updating(Updating, true);
        if (!CurrentJob) {
            MTextLeft->clear();
            MTextRight->clear();
        } else if (ToControls) {
            TJob &job = *CurrentJob;
            // A face that is not installed shows as the face that is drawn in its
            // place, and the user is told which.
            const QString missing = MissingFaceMessage(job.FontName);
            int font = CBFontName->findText(job.FontName, Qt::MatchFixedString);
            if (font < 0 && !missing.isEmpty())
                font = CBFontName->findText(ResolveFace(job.FontName).family, Qt::MatchFixedString);
            if (font >= 0)
                CBFontName->setCurrentIndex(font);
            if (!missing.isEmpty())
                ShowStatusText(missing);
            else if (statusBar()->currentMessage().contains(
                         QStringLiteral(" ist nicht installiert; ")))
                statusBar()->clearMessage();  // it spoke of the ribbon selected before
            MTextLeft->setLines(job.TextLeft.lines());
            MTextRight->setLines(CompatibilityMode ? CompatibilityNotice() : job.TextRight.lines());
            edFontSize->setValue(job.FontGroesse);
            edKommission->setText(job.Kommission);
            PressStyleButton(job.Stil);
            UpdateStyleChecks(job.Stil);
            CBFlip->setChecked(job.Flip);
            CBShadow->setChecked(job.Shadow);
            PanelFontColor->setColor(job.FontFarbe);
            edLaenge->setValue(job.Laenge);
            edBreite->setValue(job.Breite);
            edRand->setValue(job.Rand);
            // The picture fields run their coupling as if the user had set them.
            const std::array<std::pair<SpinField *, void (TMainForm::*)()>, 4> pictures{{
                {edBildAbstandR, &TMainForm::edBildAbstandRChange},
                {edBildAbstandL, &TMainForm::edBildAbstandLChange},
                {edBildBreiteL, &TMainForm::edBildBreiteLChange},
                {edBildBreiteR, &TMainForm::edBildBreiteRChange},
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
        } else {
            TJob &job = *CurrentJob;
            job.FontName.set(CBFontName->currentIndex() >= 0 ? CBFontName->currentText()
                                                             : QString());
            job.FontFarbe = PanelFontColor->color();
            job.TextLeft.set(MTextLeft->lines());
            if (!CompatibilityMode)
                job.TextRight.set(MTextRight->lines());
            job.FontGroesse = edFontSize->value();
            job.Kommission.set(edKommission->text());
            const int style = PressedStyle();
            if (style >= 0)
                job.Stil = style;
            UpdateStyleChecks(job.Stil);
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
        UpdateEnabledStates();
    }
    if (ToControls)
        ShowFitStatus();
}

void TMainForm::JobChanged() {
    if (Updating)
        return;
    {
        const QScopedValueRollback updating(Updating, true);
        SyncJob(false);
        InvalidateCurrentJob();
    }
    ShowFitStatus();
}

void TMainForm::ShowFitStatus() {
    QStringList messages;
    if (CurrentJob) {
        for (const FitFinding &finding : FitFindings(DrawingContext(), *CurrentJob))
            messages << finding.message();
    }
    const QString text = messages.join(QLatin1Char(' '));
    // A fit message stays until the ribbon fits; other texts are left alone.
    if (!text.isEmpty())
        ShowStatusText(text);
    else if (!FitStatusShown.isEmpty() &&
             statusBar()->currentMessage() == QLatin1Char(' ') + FitStatusShown)
        statusBar()->clearMessage();
    FitStatusShown = text;
}

void TMainForm::InvalidateCurrentJob() {
    const int row = Jobs->rowOf(CurrentJob);
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
    lbTextLeft->setEnabled(listed);
    MTextLeft->setEnabled(listed);
    lbTextRight->setEnabled(listed && !CompatibilityMode);
    MTextRight->setEnabled(listed && !CompatibilityMode);
    CBFlip->setEnabled(CurrentJob && CurrentJob->Stil == Align && !CompatibilityMode);

    const bool printable = SomeJobHasText();
    SBtnPrint->setEnabled(printable);
    Print->setEnabled(printable);
    SBtnPreview->setEnabled(printable);
    PrintPreview->setEnabled(printable);
    SBtnDelete->setEnabled(listed);

    const bool leftPicture = CurrentJob && !CurrentJob->BildNameLinks.isEmpty();
    const bool rightPicture = CurrentJob && !CurrentJob->BildNameRechts.isEmpty();
    for (QWidget *control : std::initializer_list<QWidget *>{
             lbBildLinks, edBildBreiteL, edBildAbstandL, lbBildLinksMm[0], lbBildLinksMm[1]})
        control->setEnabled(leftPicture);
    for (QWidget *control : std::initializer_list<QWidget *>{
             lbBildRechts, edBildBreiteR, edBildAbstandR, lbBildRechtsMm[0], lbBildRechtsMm[1]})
        control->setEnabled(rightPicture);

    const bool margin = CurrentJob && (CurrentJob->Stil != Center || leftPicture || rightPicture);
    for (QWidget *control : std::initializer_list<QWidget *>{lbRand, edRand, lbRandMm})
        control->setEnabled(margin);
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
    UpdateStyleChecks(CurrentJob ? CurrentJob->Stil : PressedStyle());
}

void TMainForm::CopySpinValue(SpinField *from, SpinField *to) {
    // The other side's handler stays out, so the copy does not bounce back.
    const QSignalBlocker detached(to);
    to->setValue(from->value());
}

void TMainForm::edBildBreiteLChange() {
    if (!CurrentJob || CurrentJob->BildNameRechts.isEmpty())
        CopySpinValue(edBildBreiteL, edBildBreiteR);
    JobChanged();
}

void TMainForm::edBildBreiteRChange() {
    if (!CurrentJob || CurrentJob->BildNameLinks.isEmpty())
        CopySpinValue(edBildBreiteR, edBildBreiteL);
    JobChanged();
}

void TMainForm::edBildAbstandLChange() {
    if (!CurrentJob || CurrentJob->BildNameRechts.isEmpty())
        CopySpinValue(edBildAbstandL, edBildAbstandR);
    JobChanged();
}

void TMainForm::edBildAbstandRChange() {
    if (!CurrentJob || CurrentJob->BildNameLinks.isEmpty())
        CopySpinValue(edBildAbstandR, edBildAbstandL);
    JobChanged();
}

void TMainForm::ApplicationHint(const QString &hint) {
    ShowStatusText(hint);
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
