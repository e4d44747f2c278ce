#include "ui/TextField.h"

#include <QApplication>
#include <QValidator>

#include "model/UnicodeText.h"
#include "ui/MenuKeyFilter.h"
#include "ui/TextRefusal.h"

// Sees every text the field would take (typing, pasting, dropping, input
// methods) before it takes it.
class TextField::Guard : public QValidator {
public:
    Guard(TextField *field, int limit) : QValidator(field), field_(field), limit_(limit) {}

    State validate(QString &input, int &) const override {
        // More than one character added at once is a paste: refused whole.
        // What was added is what differs from the text last taken.
        qsizetype head = 0;
        while (head < input.size() && head < accepted_.size() && input[head] == accepted_[head])
            ++head;
        qsizetype tail = 0;
        while (tail < input.size() - head && tail < accepted_.size() - head &&
               input[input.size() - 1 - tail] == accepted_[accepted_.size() - 1 - tail])
            ++tail;
        const bool pasted = input.size() - head - tail > 1;
        QString message = UnstorableCharacterMessage(input, pasted);
        if (message.isEmpty() && UnicodeText::letterCount(input) > limit_)
            message = TooLongMessage(limit_, pasted);
        if (message.isEmpty())
            return Acceptable;
        field_->Refuse(message);
        return Invalid;
    }

    QString accepted_;  // the field's text as it stands, however it was set

private:
    TextField *field_;
    int limit_;
};

TextField::TextField(int maxLength, QWidget *parent) : QLineEdit(parent) {
    auto *guard = new Guard(this, maxLength);
    setValidator(guard);
    connect(this, &QLineEdit::textChanged, this,
            [guard](const QString &text) { guard->accepted_ = text; });
    MenuKeyFilter::Install(this);
}

void TextField::Refuse(const QString &message) {
    QApplication::beep();
    emit refused(message);
}
