#pragma once

#include <QPlainTextEdit>
#include <QStringList>

class QMenu;

// A ribbon-end text: plain lines, no word wrap, at most MaxLength characters
// as stored (a line break counts twice, as CR LF). What the user types or
// pastes is refused whole when it holds a character the phrase and settings
// files cannot store, or when it would not fit; refused() says why. Pasted
// text is cleaned of what mails and web pages bring along (see PastedText.h);
// what an input method commits is composed, an accent with its letter.
class TextMemo : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int MaxLength = 256;

    explicit TextMemo(QWidget *parent = nullptr);

    // The memo's text split at line breaks; an empty last line after a final
    // break is not a line, so an empty memo has no lines.
    QStringList lines() const;
    void setLines(const QStringList &lines);

    // Inserts text at the cursor as typing it would: refused (refused() says
    // why) when it cannot be stored or does not fit. True when inserted.
    bool insertTyped(const QString &text);
    // The standard context menu with "Symbol einfügen…" added.
    QMenu *createContextMenu(const QPoint &pos);

signals:
    void refused(const QString &message);
    void entered();
    // Any mouse button pressed inside, with the modifiers held.
    void pressed(Qt::KeyboardModifiers modifiers);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void insertFromMimeData(const QMimeData *source) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    // Whether the text may replace the selection and the `replacedBefore`
    // characters before it; if not, says why.
    bool acceptInsertion(const QString &text, qsizetype replacedBefore = 0);
};
