#include "ui/MenuMnemonics.h"

#include <QAction>
#include <QKeySequence>
#include <QLabel>
#include <QMenuBar>
#include <QShortcutEvent>

MenuMnemonics::MenuMnemonics(QMenuBar *bar) : QObject(bar), bar_(bar) {}

void MenuMnemonics::Install(QMenuBar *bar, QWidget *form) {
    auto *filter = new MenuMnemonics(bar);
    for (QLabel *label : form->findChildren<QLabel *>())
        label->installEventFilter(filter);
}

bool MenuMnemonics::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::Shortcut) {
        const QKeySequence key = static_cast<QShortcutEvent *>(event)->key();
        for (QAction *menu : bar_->actions()) {
            if (menu->isVisible() && menu->isEnabled() &&
                QKeySequence::mnemonic(menu->text()) == key) {
                bar_->setActiveAction(menu);
                return true;
            }
        }
    }
    return QObject::eventFilter(watched, event);
}
