#include "ui/TextField.h"

#include <QApplication>
#include <QValidator>

#include "ui/MenuKeyFilter.h"
#include "ui/TextRefusal.h"

// Sees every text the field would take (typing, pasting, dropping, input
// methods) before it takes it.
class TextField::Guard : public QValidator {
public:
    Guard(TextField *field, int limit) : QValidator(field), field_(field), limit_(limit) {}

    State validate(QString &input, int &) const override {
        QString message = UnstorableCharacterMessage(input);
        if (message.isEmpty() && input.size() > limit_)
            message = TooLongMessage(limit_);
        if (message.isEmpty())
            return Acceptable;
        field_->Refuse(message);
        return Invalid;
    }

private:
    TextField *field_;
    int limit_;
};

TextField::TextField(int maxLength, QWidget *parent) : QLineEdit(parent) {
    setValidator(new Guard(this, maxLength));
    MenuKeyFilter::Install(this);
}

void TextField::Refuse(const QString &message) {
    QApplication::beep();
    emit refused(message);
}
