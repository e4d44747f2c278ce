#pragma once

#include <QDialog>
#include <QString>

class QListWidget;
class TextMemo;

// A small window with the signs ribbons carry, each drawn in the symbol face
// and named in its tooltip (and to screen readers). The arrow keys move
// through them, Enter or a double click takes one, Esc closes the window.
class SymbolChooser : public QDialog {
    Q_OBJECT
public:
    explicit SymbolChooser(QWidget *parent = nullptr);

    // The sign taken; empty while none is.
    QString chosen() const;

    // Lets the user choose a sign and inserts it at the memo's cursor as a
    // typed character: refused, and said why, when the memo is full.
    static void InsertInto(TextMemo *memo);

private:
    QListWidget *list_ = nullptr;
};
