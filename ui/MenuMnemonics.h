#pragma once

#include <QObject>

class QMenuBar;
class QWidget;

// Alt with a letter opens the menu of that letter, also where a label of the
// form moves the focus with the same letter. Two owners of one accelerator
// take turns in receiving it; the labels' turn is handed to the menu, so the
// key does the same every time.
class MenuMnemonics : public QObject {
    Q_OBJECT
public:
    // Watches every label below `form`; the filter belongs to the menu bar.
    static void Install(QMenuBar *bar, QWidget *form);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit MenuMnemonics(QMenuBar *bar);
    QMenuBar *bar_;
};
