#include "ui/JobEditor.h"
#include "ui/Main.h"

#include <QKeyEvent>
#include <QListView>
#include <QMetaObject>
#include <QScopedValueRollback>

#include "model/Job.h"
#include "model/RibbonList.h"
#include "ui/ColorSwatch.h"
#include "ui/Dlgcolor.h"
#include "ui/Dlginfo.h"
#include "ui/JobListModel.h"
#include "ui/TextMemo.h"

TJob *TMainForm::currentJob() const {
    return Ribbons->current();
}

int TMainForm::JobCount() const {
    return Jobs->count();
}

TJob *TMainForm::JobAt(int index) const {
    return Jobs->jobAt(index);
}

int TMainForm::SelectedJobRow() const {
    const QModelIndexList selected = LBJobs->selectionModel()->selectedRows();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void TMainForm::SelectJobRow(int row) {
    // Selecting from a command is not a click: the commands sync themselves.
    const QScopedValueRollback selecting(SelectingJob, true);
    QItemSelectionModel *selection = LBJobs->selectionModel();
    if (row < 0 || row >= Jobs->count()) {
        selection->clear();
    } else {
        const QModelIndex index = Jobs->index(row);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
        LBJobs->scrollTo(index);
    }
}

void TMainForm::BtnAddClick() {
    auto job = std::make_unique<TJob>();
    if (Ribbons->current()) {
        job->CopyFrom(*Ribbons->current());
    } else {
        // No ribbon yet: the new one takes what the controls show.
        Ribbons->setCurrent(job.get());
        StoreJob();
        Ribbons->setCurrent(nullptr);
    }
    AddJob(std::move(job));
}

void TMainForm::AddJob(std::unique_ptr<TJob> job) {
    const bool adding = job != nullptr;
    StoreJob();
    RemoveJobsWithoutText();
    if (adding) {
        job->Kommission.set(QString());
        Jobs->append(std::move(job));
        SelectJobRow(Jobs->count() - 1);
    } else {
        SelectJobRow(Jobs->count() > 0 ? 0 : -1);
    }
    Ribbons->setCurrent(Jobs->jobAt(SelectedJobRow()));
    LoadJob();
    if (adding) {
        // After the command's own focus changes have settled. Text typed
        // meanwhile is not selected: the next key would replace it.
        QMetaObject::invokeMethod(
            this,
            [this, loaded = Editor->MTextLeft->toPlainText()] {
                if (Editor->MTextLeft->toPlainText() == loaded)
                    MsgFocusText();
            },
            Qt::QueuedConnection);
    }
}

void TMainForm::RemoveJobsWithoutText() {
    // Ribbons without any text are of no use; the current one goes too.
    const QScopedValueRollback selecting(SelectingJob, true);
    for (int row = Jobs->count() - 1; row >= 0; --row) {
        const TJob *listed = Jobs->jobAt(row);
        if (!listed->HasText()) {
            if (listed == Ribbons->current())
                Ribbons->setCurrent(nullptr);
            Jobs->removeAt(row);
        }
    }
}

void TMainForm::BtnClearClick() {
    const int row = SelectedJobRow();
    if (row < 0)
        return;
    Ribbons->setCurrent(nullptr);
    {
        const QScopedValueRollback selecting(SelectingJob, true);
        Jobs->removeAt(row);
    }
    SelectJobRow(row < Jobs->count() ? row : Jobs->count() - 1);
    Ribbons->setCurrent(Jobs->jobAt(SelectedJobRow()));
    LoadJob();
}

void TMainForm::LBJobsClick() {
    StoreJob();
    Ribbons->setCurrent(Jobs->jobAt(SelectedJobRow()));
    LoadJob();
}

bool TMainForm::LBJobsKeyDown(int key) {
    if (key == Qt::Key_Insert) {
        BtnAddClick();
        return true;
    }
    if (key == Qt::Key_Delete) {
        BtnClearClick();
        return true;
    }
    return false;
}

void TMainForm::LBJobsDblClick() {
    const int row = SelectedJobRow();
    if (row < 0 || !DlgTextColor)
        return;
    TJob *job = Jobs->jobAt(row);
    DlgTextColor->setSample(job->FontFarbe, job->FontName);
    if (DlgTextColor->exec() != QDialog::Accepted)
        return;
    job->FontFarbe = DlgTextColor->sampleColor();
    Editor->PanelFontColor->setColor(job->FontFarbe);
    Jobs->refreshAll();
}

void TMainForm::SetTextColorDialog(TDlgTextColor *dialog) {
    DlgTextColor = dialog;
}

void TMainForm::SetAboutBox(TAboutBox *box) {
    AboutBox = box;
}

void TMainForm::BtnCloseClick() {
    close();
}

void TMainForm::BtnInfoClick() {
    if (AboutBox)
        AboutBox->exec();
}
