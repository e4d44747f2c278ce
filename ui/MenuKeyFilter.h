#pragma once

#include <QObject>

// Editors take Ctrl+Z as their own undo before the window's shortcuts see it,
// even with undo switched off. Here Ctrl+Z chooses the centred style from the
// "&Format" menu, so editors carrying this filter leave the key to the menu.
class MenuKeyFilter : public QObject {
    Q_OBJECT
public:
    explicit MenuKeyFilter(QObject *parent = nullptr) : QObject(parent) {}

    // Installs a filter owned by the editor.
    static void Install(QObject *editor);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};
