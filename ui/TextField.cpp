#include "ui/TextField.h"

#include <QApplication>
#include <QValidator>
#include <algorithm>

#include "model/UnicodeText.h"
#include "ui/MenuKeyFilter.h"
#include "ui/PastedText.h"
#include "ui/TextRefusal.h"

// Sees every text the field would take (typing, pasting, dropping, input
// methods) before it takes it.
class TextField::Guard : public QValidator {
public:
    Guard(TextField *field, int limit) : QValidator(field), field_(field), limit_(limit) {}

    State validate(QString &input, int &pos) const override {
        // More than one letter added at once is a paste: cleaned of what
        // mails and web pages bring along, or refused whole. What was added
        // is what differs from the text last taken; a letter with its accent
        // or beyond the first plane is one letter.
        qsizetype head = 0;
        while (head < input.size() && head < accepted_.size() && input[head] == accepted_[head])
            ++head;
        qsizetype tail = 0;
        while (tail < input.size() - head && tail < accepted_.size() - head &&
               input[input.size() - 1 - tail] == accepted_[accepted_.size() - 1 - tail])
            ++tail;
        const QString added = input.sliced(head, input.size() - head - tail);
        const bool pasted = UnicodeText::letterCount(added) > 1;
        if (!added.isEmpty()) {
            // Kept composed, as the ribbon stores it: an accent joins its letter.
            const QString cleaned = pasted ? CleanPastedText(added, false) : added;
            const QString before = UnicodeText::composed(input.first(head) + cleaned);
            const QString text = UnicodeText::composed(before + input.last(tail));
            if (text != input) {
                if (pos >= input.size() - tail)
                    pos = int(std::min(before.size(), text.size()));
                input = text;
            }
        }
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
