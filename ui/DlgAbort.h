#pragma once

#include <QDialog>

class QPushButton;
class RibbonPrinter;

// "Es wird gedruckt": shown without a close box while a run is under way;
// "Abbrechen" (or Esc) discards the printer's open document.
class TDlgPrinterAbort : public QDialog {
    Q_OBJECT
public:
    explicit TDlgPrinterAbort(QWidget *parent = nullptr);

    void setPrinter(RibbonPrinter *printer) { printer_ = printer; }
    // The window that is disabled while printing and enabled again on cancel.
    void setMainWindow(QWidget *window) { mainWindow_ = window; }
    QPushButton *cancelButton() const { return BtnCancel; }

    void BtnCancelClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void reject() override;  // Esc

private:
    void FormClose();

    RibbonPrinter *printer_ = nullptr;
    QWidget *mainWindow_ = nullptr;
    QPushButton *BtnCancel = nullptr;
};
