#pragma once

#include <gtest/gtest.h>
#include <QApplication>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "model/SettingsFile.h"
#include "tests/support/TempDataFolder.h"
#include "ui/Main.h"

class QAction;
class QWidget;
class TJob;

// A main window started as the program starts it (with the dialogs that
// follow it), on a temporary data folder, shown and active, after the
// deferred start-up has made the first ribbon.
class MainWindowFixture : public ::testing::Test {
protected:
    void TearDown() override;

    // Settings to find at start: write them before Start().
    SettingsFile &Settings();
    void StoreFormat(int index, const QString &name, const std::function<void(TJob &)> &setup);
    void StoreFormatCount(int count);
    // A 24-bit bitmap in the picture folder, black where `ink` says so.
    void WritePicture(const QString &name, int width, int height,
                      const std::function<bool(int, int)> &ink);

    void Start();
    void Close();

    template <class T>
    T *Child(const char *name) const {
        T *child = form->findChild<T *>(QLatin1String(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
    QAction *Action(const char *name) const;
    // The stored-format entries of the "&Datei" menu, in order.
    QStringList FormatEntryTexts() const;

    void TypeInto(QWidget *widget, const QString &text);
    // What an input method commits (a dead key, compose, a keyboard of
    // another script), in one event.
    void CommitInto(QWidget *widget, const QString &text);
    void ClickJobRow(int row);
    // Press, release, and the second press that the window system reports
    // as a double click.
    void DoubleClick(QWidget *widget, QPoint at);
    // Runs `whileOpen` once the next modal dialog is up (it must close it).
    void WhenModal(std::function<void(QWidget *)> whileOpen);
    void Settle();

    TempDataFolder data;
    std::unique_ptr<TMainForm> form;

private:
    std::unique_ptr<SettingsFile> settings_;
};
