#pragma once

#include <QDialog>
#include <QPointer>
#include <QString>

#include "model/StoredFormatsModel.h"

class QListView;
class QPushButton;
class StoredFormatsModel;
class TextField;

// Shown modally to pick or type the name under which the current ribbon's
// layout is stored, and to delete formats: a view on the window's stored
// formats.
class TDlgStoreFormat : public QDialog {
    Q_OBJECT
public:
    explicit TDlgStoreFormat(StoredFormatsModel *formats, QWidget *parent = nullptr);
    ~TDlgStoreFormat() override;

    // The name in the name field, as the user left it.
    QString formatName() const;

    void BtnClearClick();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormActivate();
    void EDFormatNameChange();
    void LBFormatListClick();

    QPointer<StoredFormatsModel> Formats;
    TextField *EDFormatName = nullptr;
    QListView *LBFormatList = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCancel = nullptr;
    QPushButton *BtnClear = nullptr;
};
