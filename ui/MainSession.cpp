#include "ui/Main.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QStatusBar>
#include <QTimer>

#include "model/DataFolder.h"
#include "model/Job.h"
#include "model/RibbonFile.h"
#include "model/RibbonList.h"
#include "model/Workspace.h"
#include "print/PrintRequest.h"
#include "render/Pictures.h"
#include "ui/BundledPictures.h"
#include "ui/JobListModel.h"

namespace {

const QString kRibbonFilter = QStringLiteral("Schleifendateien (*.ini *.txt);;Alle Dateien (*)");

}  // namespace

void TMainForm::OpenDataSession() {
    if (!DataNote) {
        DataNote = new QLabel(this);
        DataNote->setObjectName(QStringLiteral("DataNote"));
        DataNote->setWordWrap(true);
        DataNote->hide();
        statusBar()->addPermanentWidget(DataNote, 1);
        RibbonMetres = new QLabel(this);
        RibbonMetres->setObjectName(QStringLiteral("RibbonMetres"));
        RibbonMetres->setToolTip(
            QStringLiteral("Schleifenl\u00e4nge je Breite, wenn alle Schleifen gedruckt werden"));
        statusBar()->addPermanentWidget(RibbonMetres);
        for (auto changed : {&JobListModel::rowsInserted, &JobListModel::rowsRemoved})
            connect(Jobs, changed, this, &TMainForm::ShowRibbonMetres);
        connect(Jobs, &JobListModel::dataChanged, this, &TMainForm::ShowRibbonMetres);
        connect(Jobs, &JobListModel::modelReset, this, &TMainForm::ShowRibbonMetres);
        for (auto changed : {&JobListModel::rowsInserted, &JobListModel::rowsRemoved})
            connect(Jobs, changed, this, &TMainForm::ScheduleRibbonBackup);
        connect(Jobs, &JobListModel::dataChanged, this, &TMainForm::ScheduleRibbonBackup);
        connect(Jobs, &JobListModel::modelReset, this, &TMainForm::ScheduleRibbonBackup);
        connect(Work, &Workspace::autosaved, this, &TMainForm::WorkspaceAutosaved);
        connect(Work, &Workspace::ribbonNote, this, &TMainForm::AddDataNote);
    }
    DataNote->clear();
    DataNote->hide();
    const QString folder = DataFolder();
    DataFolderMissing = !QFileInfo(folder).isDir();
    Work->setAutosave(!DataFolderMissing);
    if (DataFolderMissing) {
        AddDataNote(QStringLiteral("Der Datenordner %1 fehlt: Formate, Texte und Schleifen "
                                   "k\u00F6nnen nicht gespeichert werden.")
                        .arg(QDir::toNativeSeparators(folder)));
        return;
    }
    for (const QString &note : Work->openSession(folder))
        AddDataNote(note);
}

void TMainForm::AddDataNote(const QString &note) {
    if (!DataNote || DataNote->text().contains(note))
        return;
    DataNote->setText(DataNote->text().isEmpty() ? note
                                                 : DataNote->text() + QLatin1Char(' ') + note);
    DataNote->setToolTip(DataNote->text());
    DataNote->show();
}

void TMainForm::ConnectSessionCommands() {
    connect(FileOpenRibbons, &QAction::triggered, this, &TMainForm::FileOpenRibbonsClick);
    connect(FileSaveRibbons, &QAction::triggered, this, &TMainForm::FileSaveRibbonsClick);
}

void TMainForm::OfferDataFolder() {
    if (!DataFolderMissing || Closed)
        return;
    const QString folder = QDir::toNativeSeparators(DataFolder());
    const auto answer = QMessageBox::question(
        this, windowTitle(),
        QStringLiteral("Der Datenordner %1 fehlt. Ohne ihn k\u00F6nnen Formate, Texte und "
                       "Schleifen nicht gespeichert werden.\n\nSoll er jetzt angelegt werden?")
            .arg(folder));
    if (answer != QMessageBox::Yes || Closed)
        return;
    if (!QDir().mkpath(DataFolder())) {
        QMessageBox::critical(
            this, windowTitle(),
            QStringLiteral("Der Datenordner %1 kann nicht angelegt werden.").arg(folder));
        return;
    }
    // The pictures that come with the program, as the set-up gives them to a
    // new data folder (a picture folder already there is left as it is).
    const QString pictures = PictureFolder();
    const int copied = QFileInfo(pictures).isDir() ? 0 : CopyBundledPictures(pictures);
    OpenDataSession();
    OpenOrderInbox();  // its default folder lives in the new data folder
    ScheduleRibbonBackup();
    if (copied > 0)
        LoadPictureList();
    ShowStatusText(DataFolderCreatedMessage(DataFolder(), copied));
}

void TMainForm::OfferRecovery() {
    if (!Work->recoveryPending() || Closed)
        return;
    const auto answer = QMessageBox::question(
        this, windowTitle(), QStringLiteral("Die Schleifen der letzten Sitzung wiederherstellen?"));
    if (Closed)
        return;  // ended meanwhile (logout): the question comes again next time
    if (answer != QMessageBox::Yes) {
        Work->refuseRecovery();
        return;
    }
    Workspace::Recovery recovery = Work->recover();
    AppendJobs(std::move(recovery.jobs));
    Work->recovered();
    if (!recovery.faults.isEmpty())
        QMessageBox::warning(this, windowTitle(), recovery.faults.join(QStringLiteral("\n\n")));
}

std::vector<const TJob *> TMainForm::ListedJobs() const {
    return Ribbons->listed();
}

void TMainForm::ScheduleRibbonBackup() {
    if (!Closed)
        Work->ribbonsChanged();
}

bool TMainForm::WriteRibbonBackup() {
    return !Closed && Work->keepRibbons();
}

void TMainForm::WorkspaceAutosaved(const QStringList &errors) {
    for (const QString &error : errors)
        AddDataNote(error);
}

void TMainForm::AppendJobs(std::vector<std::unique_ptr<TJob>> jobs) {
    if (jobs.empty())
        return;
    StoreJob();
    RemoveJobsWithoutText();
    const int first = Jobs->count();
    for (auto &job : jobs)
        Jobs->append(std::move(job));
    SelectJobRow(first);
    Ribbons->setCurrent(Jobs->jobAt(SelectedJobRow()));
    LoadJob();
}

QString TMainForm::AskRibbonFilePath(bool saving) {
    if (AskRibbonFile)
        return AskRibbonFile(saving);
    if (saving)
        return QFileDialog::getSaveFileName(this, QStringLiteral("Schleifen speichern unter"),
                                            QString(), kRibbonFilter, nullptr,
                                            QFileDialog::DontUseNativeDialog);
    return QFileDialog::getOpenFileName(this, QStringLiteral("Schleifen \u00F6ffnen"), QString(),
                                        kRibbonFilter, nullptr, QFileDialog::DontUseNativeDialog);
}

void TMainForm::FileOpenRibbonsClick() {
    const QString path = AskRibbonFilePath(false);
    if (path.isEmpty())
        return;
    RibbonFileResult read = LoadRibbonFile(path);
    if (!read.ok()) {
        QMessageBox::critical(this, windowTitle(), read.error->text());
        return;
    }
    // A list longer than a ribbon file may be could not be kept against a crash.
    if (Jobs->count() + qsizetype(read.ribbons.size()) > MaxRibbons) {
        QMessageBox::critical(
            this, windowTitle(),
            QStringLiteral("Die Liste kann h\u00F6chstens %1 Schleifen aufnehmen; mit den %2 "
                           "Schleifen aus \"%3\" w\u00E4ren es %4.")
                .arg(MaxRibbons)
                .arg(read.ribbons.size())
                .arg(path)
                .arg(Jobs->count() + qsizetype(read.ribbons.size())));
        return;
    }
    std::vector<std::unique_ptr<TJob>> jobs;
    for (RibbonEntry &entry : read.ribbons)
        jobs.push_back(std::move(entry.job));
    AppendJobs(std::move(jobs));
}

void TMainForm::FileSaveRibbonsClick() {
    const QString path = AskRibbonFilePath(true);
    if (path.isEmpty())
        return;
    StoreJob();
    QString reason;
    if (!SaveRibbonFile(path, ListedJobs(), &reason))
        QMessageBox::critical(
            this, windowTitle(),
            QStringLiteral("Datei \"%1\" kann nicht erstellt werden. %2").arg(path, reason));
}

void TMainForm::EndSession() {
    EndingSession = true;
    if (Closed) {
        QCoreApplication::quit();
        return;
    }
    if (!isEnabled()) {
        // A print run is under way; its ribbons must not be freed under it.
        QTimer::singleShot(200, this, &TMainForm::EndSession);
        return;
    }
    close();
    QCoreApplication::quit();  // leaves any dialog that is still open
}

void TMainForm::ShowRibbonMetres() {
    if (!RibbonMetres)
        return;
    PrintRun all;
    for (const TJob *job : ListedJobs()) {
        if (job && job->HasText())
            all.jobs.append(job);
    }
    all.PrintLast = std::int32_t(all.jobs.size()) - 1;
    RibbonMetres->setText(MetresPerWidth(WidthGroupsOf(all)));
}
