#include "ui/Main.h"

#include <QCloseEvent>

#include "model/Job.h"
#include "model/SettingsFile.h"

TMainForm::TMainForm(QWidget *parent) : QMainWindow(parent)
{
    setWindowTitle(QStringLiteral("Vellumo"));
}

TMainForm::~TMainForm() = default;

int TMainForm::JobCount() const { return 0; }

TJob *TMainForm::JobAt(int) const { return nullptr; }

void TMainForm::AddJob(TJob *job) { delete job; }

void TMainForm::SyncJob(bool) {}

void TMainForm::SetStoreFormatDialog(TDlgStoreFormat *dialog) { DlgStoreFormat = dialog; }

void TMainForm::BuildFormatMenu() {}

bool TMainForm::event(QEvent *e) { return QMainWindow::event(e); }

bool TMainForm::eventFilter(QObject *watched, QEvent *e)
{
    return QMainWindow::eventFilter(watched, e);
}

void TMainForm::closeEvent(QCloseEvent *e) { QMainWindow::closeEvent(e); }

void TMainForm::resizeEvent(QResizeEvent *e) { QMainWindow::resizeEvent(e); }
