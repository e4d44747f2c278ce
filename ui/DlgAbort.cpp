#include "ui/DlgAbort.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "print/Printer.h"

TDlgPrinterAbort::TDlgPrinterAbort(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName(QStringLiteral("DlgPrinterAbort"));
    setWindowTitle(QStringLiteral("Drucken"));
    setModal(false);
    QFont f = font();
    f.setPixelSize(11);
    setFont(f);
    setFixedSize(278, 133);

    auto *bevel = new QFrame(this);
    bevel->setObjectName(QStringLiteral("Bevel1"));
    bevel->setFrameShape(QFrame::Box);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setGeometry(8, 8, 261, 81);

    auto *label1 = new QLabel(QStringLiteral("Es wird gedruckt"), this);
    label1->setObjectName(QStringLiteral("Label1"));
    label1->move(99, 28);
    auto *label2 = new QLabel(QStringLiteral("Sie können den Ausdruck abbrechen."), this);
    label2->setObjectName(QStringLiteral("Label2"));
    label2->move(49, 56);

    BtnCancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(97, 101, 85, 24);
    BtnCancel->setDefault(true);
    connect(BtnCancel, &QPushButton::clicked, this, &TDlgPrinterAbort::BtnCancelClick);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TDlgPrinterAbort::BtnCancelClick() {
    if (printer_)
        printer_->abortDocument();
    if (mainWindow_) {
        mainWindow_->setEnabled(true);
        mainWindow_->activateWindow();
    }
    QCoreApplication::processEvents();
    hide();
}

void TDlgPrinterAbort::reject() {
    BtnCancelClick();
}

void TDlgPrinterAbort::FormClose() {
    if (mainWindow_)
        mainWindow_->setEnabled(true);
}

void TDlgPrinterAbort::closeEvent(QCloseEvent *event) {
    FormClose();
    QDialog::closeEvent(event);
}
