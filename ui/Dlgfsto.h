#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "model/StoredFormats.h"

class QLabel;
class QListWidget;
class QPushButton;
class SettingsFile;
class TJob;
class TextField;

// Owns the stored formats for the whole run: read from the settings file when
// made, written back by the main window at shut-down. Shown modally to pick or
// type the name under which the current ribbon's layout is stored, and to
// delete formats. The list keeps the file's order; new formats go at the end.
class TDlgStoreFormat : public QDialog {
    Q_OBJECT
public:
    // Reads the stored formats; with no settings file the list starts empty.
    explicit TDlgStoreFormat(SettingsFile *settings, QWidget *parent = nullptr);
    ~TDlgStoreFormat() override;

    int count() const { return int(formats_.size()); }
    TJob *formatAt(int index) const;
    QString itemText(int index) const;
    const StoredFormatList &formats() const { return formats_; }
    // The formats as read at start, and where each listed format came from
    // among them (-1: stored in this run), to tell what this run changed.
    const StoredFormatList &formatsRead() const { return read_; }
    const std::vector<int> &formatOrigin() const { return origin_; }

    // The index of the format listed under `name` in any letter case, or -1.
    int findFormat(const QString &name) const;
    // Appends a new format under `name` and returns it.
    TJob *appendFormat(const QString &name);

    // The name in the name field, as the user left it.
    QString formatName() const;

    void BtnClearClick();

signals:
    // The list lost or gained a format; the menu of formats follows it.
    void formatsChanged();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void FormActivate();
    void EDFormatNameChange();
    void LBFormatListClick();

    TextField *EDFormatName = nullptr;
    QListWidget *LBFormatList = nullptr;
    QPushButton *BtnOK = nullptr;
    QPushButton *BtnCancel = nullptr;
    QPushButton *BtnClear = nullptr;
    StoredFormatList formats_;
    StoredFormatList read_;
    std::vector<int> origin_;
};
