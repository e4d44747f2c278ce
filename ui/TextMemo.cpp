#include "ui/TextMemo.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>
#include <memory>

#include "ui/MenuKeyFilter.h"
#include "ui/SymbolChooser.h"
#include "ui/TextRefusal.h"

namespace {

// The text a key press would insert; empty for keys that insert nothing.
QString InsertedByKey(const QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return QStringLiteral("\n");
    if (event->modifiers() & (Qt::ControlModifier | Qt::MetaModifier))
        return QString();
    const QString text = event->text();
    if (text.isEmpty() || !text.at(0).isPrint())
        return QString();
    return text;
}

}  // namespace

TextMemo::TextMemo(QWidget *parent) : QPlainTextEdit(parent) {
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setWordWrapMode(QTextOption::NoWrap);
    setTabChangesFocus(true);
    MenuKeyFilter::Install(this);
}

QStringList TextMemo::lines() const {
    QStringList result = toPlainText().split(QLatin1Char('\n'));
    if (!result.isEmpty() && result.last().isEmpty())
        result.removeLast();
    return result;
}

void TextMemo::setLines(const QStringList &lines) {
    const QString text = lines.join(QLatin1Char('\n'));
    if (text != toPlainText())
        setPlainText(text);
}

bool TextMemo::insertTyped(const QString &text) {
    if (text.isEmpty() || isReadOnly() || !acceptInsertion(text))
        return false;
    textCursor().insertText(text);
    ensureCursorVisible();
    return true;
}

QMenu *TextMemo::createContextMenu(const QPoint &pos) {
    QMenu *menu = createStandardContextMenu(pos);
    menu->addSeparator();
    QAction *symbol = menu->addAction(QStringLiteral("Symbol &einf\u00FCgen\u2026"));
    symbol->setObjectName(QStringLiteral("InsertSymbol"));
    symbol->setEnabled(!isReadOnly());
    // Queued: the chooser opens once the menu is gone.
    connect(
        symbol, &QAction::triggered, this, [this] { SymbolChooser::InsertInto(this); },
        Qt::QueuedConnection);
    return menu;
}

void TextMemo::contextMenuEvent(QContextMenuEvent *event) {
    std::unique_ptr<QMenu> menu(createContextMenu(event->pos()));
    menu->exec(event->globalPos());
}

bool TextMemo::acceptInsertion(const QString &text) {
    // More than one character at once is a paste (or a drop): refused whole.
    const bool pasted = text.size() > 1 && text != QLatin1String("\n");
    QString message = UnstorableCharacterMessage(text, pasted);
    if (message.isEmpty()) {
        const QString selected = textCursor().selectedText();
        const qsizetype after =
            StoredLength(toPlainText()) - StoredLength(selected) + StoredLength(text);
        if (after > MaxLength)
            message = TooLongMessage(MaxLength, pasted);
    }
    if (message.isEmpty())
        return true;
    QApplication::beep();
    emit refused(message);
    return false;
}

void TextMemo::keyPressEvent(QKeyEvent *event) {
    const QString inserted = InsertedByKey(event);
    if (!inserted.isEmpty() && !isReadOnly() && !acceptInsertion(inserted)) {
        event->accept();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void TextMemo::insertFromMimeData(const QMimeData *source) {
    if (source && source->hasText()) {
        QString text = source->text();
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
        if (!acceptInsertion(text))
            return;
        textCursor().insertText(text);
        ensureCursorVisible();
        return;
    }
    QPlainTextEdit::insertFromMimeData(source);
}

void TextMemo::inputMethodEvent(QInputMethodEvent *event) {
    if (!event->commitString().isEmpty() && !acceptInsertion(event->commitString())) {
        // Keep the preedit state consistent, but drop the committed text.
        QInputMethodEvent dropped(QString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&dropped);
        return;
    }
    QPlainTextEdit::inputMethodEvent(event);
}

void TextMemo::focusInEvent(QFocusEvent *event) {
    QPlainTextEdit::focusInEvent(event);
    emit entered();
}

void TextMemo::mousePressEvent(QMouseEvent *event) {
    emit pressed(event->modifiers());
    QPlainTextEdit::mousePressEvent(event);
}

// A second click soon after the first arrives as a double-click; it is a
// press all the same (Ctrl+click stores a phrase however fast it follows).
void TextMemo::mouseDoubleClickEvent(QMouseEvent *event) {
    emit pressed(event->modifiers());
    QPlainTextEdit::mouseDoubleClickEvent(event);
}
