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
#include <QTextBlock>
#include <QTextCursor>
#include <memory>

#include "model/UnicodeText.h"
#include "ui/MenuKeyFilter.h"
#include "ui/PastedText.h"
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
    // A letter beyond the first plane comes as two halves.
    if (text.isEmpty() || !QChar::isPrint(text.toUcs4().value(0)))
        return QString();
    return text;
}

bool CombiningMark(char32_t c) {
    const QChar::Category category = QChar::category(c);
    return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
           category == QChar::Mark_Enclosing;
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

bool TextMemo::acceptInsertion(const QString &text, qsizetype replacedBefore) {
    // More than one letter at once is a paste (or a drop): refused whole. A
    // letter with its accent or beyond the first plane is one letter.
    const bool pasted = UnicodeText::letterCount(text) > 1 && text != QLatin1String("\n");
    // Line breaks part the memo's lines; each line must be storable.
    QString message = UnstorableCharacterMessage(
        QString(text).replace(QLatin1Char('\n'), QLatin1Char(' ')), pasted);
    if (message.isEmpty()) {
        // Counted on the text as it would be: an accent typed after its
        // letter adds none.
        const QTextCursor cursor = textCursor();
        QString after = toPlainText();
        const qsizetype from = cursor.selectionStart() - replacedBefore;
        after.replace(from, cursor.selectionEnd() - from, text);
        if (StoredLength(after) > MaxLength)
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
    const QString pasted = PastedPlainText(source);
    if (pasted.isNull()) {
        QPlainTextEdit::insertFromMimeData(source);
        return;
    }
    const QString text = CleanPastedText(pasted, true);
    if (text.isEmpty() || !acceptInsertion(text))
        return;
    textCursor().insertText(text);
    ensureCursorVisible();
}

void TextMemo::inputMethodEvent(QInputMethodEvent *event) {
    if (event->commitString().isEmpty()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    // The text keeps its letters composed, as the ribbon stores them: an
    // accent committed on its own joins the letter before it.
    QString commit = UnicodeText::composed(event->commitString());
    int replaceFrom = event->replacementStart();
    int replaceLength = event->replacementLength();
    qsizetype joinedBefore = 0;
    const QTextCursor cursor = textCursor();
    if (replaceLength == 0 && !cursor.hasSelection() && cursor.positionInBlock() > 0 &&
        CombiningMark(commit.toUcs4().value(0))) {
        const QString before = cursor.block().text().left(cursor.positionInBlock());
        const QString letter = before.right(
            before.size() -
            UnicodeText::firstLetters(before, UnicodeText::letterCount(before) - 1).size());
        const QString joined = UnicodeText::composed(letter + commit);
        if (UnicodeText::letterCount(joined) == 1) {
            replaceFrom = -int(letter.size());
            replaceLength = int(letter.size());
            commit = joined;
            joinedBefore = letter.size();
        }
    }
    if (!acceptInsertion(commit, joinedBefore)) {
        // Keep the preedit state consistent, but drop the committed text.
        QInputMethodEvent dropped(QString(), event->attributes());
        QPlainTextEdit::inputMethodEvent(&dropped);
        return;
    }
    if (commit == event->commitString() && replaceFrom == event->replacementStart()) {
        QPlainTextEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent composed(event->preeditString(), event->attributes());
    composed.setCommitString(commit, replaceFrom, replaceLength);
    QPlainTextEdit::inputMethodEvent(&composed);
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
