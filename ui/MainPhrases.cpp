#include "ui/JobEditor.h"
#include "ui/Main.h"

#include <QFile>
#include <QKeyEvent>
#include <QListWidget>
#include <QMessageBox>

#include "model/DataFolder.h"
#include "ui/SpellSupport.h"
#include "ui/TextMemo.h"

namespace {

constexpr int StoredPhraseLength = 255;

}  // namespace

void TMainForm::LoadPhrases() {
    PhraseFileName = PhraseFilePath();
    QFile file(PhraseFileName);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    Phrases.assign(ParsePhrases(bytes));
    PhrasesRead = Phrases.phrases();
    if (DroppedPhraseBytes(bytes) > 0)
        AddDataNote(
            QStringLiteral("RIBOLANT.TXT enth\u00E4lt NUL-Bytes: sie werden weggelassen, "
                           "der Text um sie herum bleibt."));
    ShowPhrases(-1);
}

void TMainForm::ShowPhrases(qsizetype selectRow) {
    LBTexte->clear();
    LBTexte->addItems(Phrases.phrases());
    if (SpellingSupport *spelling = SpellingSupport::of(this))
        spelling->setPhrases(Phrases.phrases());
    if (selectRow >= 0 && selectRow < LBTexte->count())
        LBTexte->setCurrentRow(int(selectRow));
}

void TMainForm::MTextsStore(TextMemo *memo) {
    const QString phrase = EncodePhrase(memo->toPlainText()).left(StoredPhraseLength);
    if (Phrases.containsIgnoringCase(phrase))
        return;
    const qsizetype at = Phrases.add(phrase);
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
    if (row < 0 || row >= Phrases.size() || !LBTexte->item(row)->isSelected())
        return;
    // An ordinary edit: the change reaches the ribbon and its preview.
    LastTextMemo->setPlainText(DecodePhrase(Phrases.phrases().at(row)));
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
    Phrases.removeAt(row);
    if (Phrases.size() == 0) {
        ShowPhrases(-1);
        return true;
    }
    ShowPhrases(row < Phrases.size() ? row : Phrases.size() - 1);
    return true;
}

void TMainForm::MTextExit(QWidget *old, QWidget *now) {
    if (now != LBTexte)
        return;
    if (old == Editor->MTextLeft || old == Editor->MTextRight)
        LastTextMemo = static_cast<TextMemo *>(old);
}
