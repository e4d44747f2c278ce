#pragma once

#include <QLineEdit>

// A one-line text field for the ribbon: what the user types or pastes is
// refused whole when it holds a character no text may hold (a control
// character) or would make the text longer than maxLength letters; refused()
// says why. A paste is cleaned first of what mails and web pages bring
// along (line breaks become blanks, see PastedText.h); the text is kept
// composed.
class TextField : public QLineEdit {
    Q_OBJECT
public:
    explicit TextField(int maxLength, QWidget *parent = nullptr);

signals:
    void refused(const QString &message);

private:
    class Guard;
    friend class Guard;
    void Refuse(const QString &message);
};
