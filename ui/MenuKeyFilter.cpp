#include "ui/MenuKeyFilter.h"

#include <QKeyEvent>
#include <QKeySequence>

void MenuKeyFilter::Install(QObject *editor) {
    editor->installEventFilter(new MenuKeyFilter(editor));
}

bool MenuKeyFilter::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::ShortcutOverride) {
        auto *key = static_cast<QKeyEvent *>(event);
        const QKeyCombination combination = key->keyCombination();
        if (combination == QKeyCombination(Qt::ControlModifier, Qt::Key_Z) ||
            combination == QKeyCombination(Qt::ControlModifier, Qt::Key_B) ||
            combination == QKeyCombination(Qt::ControlModifier, Qt::Key_Q) ||
            combination == QKeyCombination(Qt::ControlModifier, Qt::Key_H)) {
            // Ignored: the shortcut map then offers the key to the menu.
            event->ignore();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}
