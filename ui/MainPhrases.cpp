#include "ui/JobEditor.h"
#include "ui/Main.h"

#include <QFile>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QListWidget>
#include <QMessageBox>

#include "model/DataFolder.h"
#include "model/UnicodeText.h"
#include "model/Workspace.h"
#include "print/Session.h"
#include "ui/SpellSupport.h"
#include "ui/TextMemo.h"

namespace {

constexpr int StoredPhraseLength = 255;

}  // namespace

const PhraseList &TMainForm::phrases() const {
    return Work->phrases();
}

void TMainForm::LoadPhrases() {
    const QString note = Work->open(&Setup->settings(), PhraseFilePath());
    if (!note.isEmpty())
        AddDataNote(note);
    ShowPhrases(-1);
}

void TMainForm::ShowPhrases(qsizetype selectRow) {
    LBTexte->clear();
    LBTexte->addItems(phrases().phrases());
    // A screen reader reads the phrase's lines, not the marks that join them.
    for (int row = 0; row < LBTexte->count(); ++row) {
        QListWidgetItem *item = LBTexte->item(row);
        item->setData(Qt::AccessibleTextRole, DecodePhrase(item->text()).simplified());
    }
    if (SpellingSupport *spelling = SpellingSupport::of(this))
        spelling->setPhrases(phrases().phrases());
    if (selectRow >= 0 && selectRow < LBTexte->count())
        LBTexte->setCurrentRow(int(selectRow));
}

void TMainForm::MTextsStore(TextMemo *memo) {
    const QString phrase = EncodePhrase(memo->toPlainText()).left(StoredPhraseLength);
    if (phrases().containsIgnoringCase(phrase))
        return;
    const qsizetype at = Work->addPhrase(phrase);
    if (at < 0) {
        QMessageBox::critical(this, windowTitle(),
                              QStringLiteral("Zeile kann nicht eingef\u00FCgt werden"));
        return;
    }
    ShowPhrases(-1);
}

void TMainForm::LBTexteDblClick() {
    if (!LastTextMemo || !LastTextMemo->isEnabled())
        return;
    const int row = LBTexte->currentRow();
    if (row < 0 || row >= phrases().size() || !LBTexte->item(row)->isSelected())
        return;
    // An ordinary edit: the change reaches the ribbon and its preview.
    LastTextMemo->setPlainText(DecodePhrase(phrases().phrases().at(row)));
    LastTextMemo->setFocus(Qt::OtherFocusReason);
}

bool TMainForm::LBTexteKeyDown(int key) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        LBTexteDblClick();
        return true;
    }
    if (key != Qt::Key_Delete)
        return false;
    const int row = LBTexte->currentRow();
    const bool selected = row >= 0 && LBTexte->item(row)->isSelected();
    if (!selected)
        return true;
    Work->removePhrase(row);
    const qsizetype left = phrases().size();
    ShowPhrases(left == 0 ? -1 : std::min<qsizetype>(row, left - 1));
    return true;
}

bool TMainForm::LBTexteInputMethod(const QInputMethodEvent *event) {
    if (event->commitString().isEmpty())
        return false;
    // The phrases are composed: so is what is looked for ("E" and an accent
    // committed together find "\u00C9milie").
    LBTexte->keyboardSearch(UnicodeText::composed(event->commitString()));
    return true;
}

void TMainForm::MTextExit(QWidget *old, QWidget *now) {
    if (now != LBTexte)
        return;
    if (old == Editor->MTextLeft || old == Editor->MTextRight)
        LastTextMemo = static_cast<TextMemo *>(old);
}
