#include "ui/Main.h"

#include <QAction>
#include <QMenu>

#include "model/Job.h"
#include "model/RibbonList.h"
#include "model/StoredFormatsModel.h"
#include "ui/Dlgfsto.h"
#include "ui/Hints.h"
#include "ui/JobEditor.h"
#include "ui/SymbolChooser.h"
#include "ui/TextMemo.h"

namespace {

constexpr int MaxFormatEntries = 15;

}  // namespace

void TMainForm::SetStoreFormatDialog(TDlgStoreFormat *dialog) {
    DlgStoreFormat = dialog;
}

void TMainForm::BuildFormatMenu() {
    for (QAction *entry : std::as_const(FormatEntries)) {
        MenuDatei->removeAction(entry);
        entry->deleteLater();
    }
    FormatEntries.clear();
    const int n = std::min(Formats->count(), MaxFormatEntries);
    if (n == 0)
        return;
    for (int k = 1; k <= n; ++k) {
        // "&1 name": the number's first digit is the accelerator.
        QString name = Formats->nameAt(k - 1);
        name.replace(QLatin1Char('&'), QStringLiteral("&&"));  // shown, not an accelerator
        auto *entry = new QAction(QStringLiteral("&%1 %2").arg(k).arg(name), MenuDatei);
        SetHint(entry, QStringLiteral("Erstellt eine neue Schleife im angezeigten Format. "
                                      "Schleifen ohne Text werden vorher entfernt."));
        const int index = k - 1;
        connect(entry, &QAction::triggered, this, [this, index] { HistoryListClick(index); });
        MenuDatei->insertAction(Beenden1, entry);
        FormatEntries.append(entry);
    }
    auto *separator = new QAction(MenuDatei);
    separator->setSeparator(true);
    MenuDatei->insertAction(Beenden1, separator);
    FormatEntries.append(separator);
}

void TMainForm::HistoryListClick(int formatIndex) {
    const TJob *format = Formats->formatAt(formatIndex);
    if (!format)
        return;
    auto job = std::make_unique<TJob>();
    job->CopyFrom(*format);
    AddJob(std::move(job));
}

void TMainForm::cmUpdateMenu() {
    const bool current = Ribbons->current() != nullptr;
    Textfarbe1->setEnabled(current);
    FormatKeep->setEnabled(current);
    InsertSymbol->setEnabled(current && EnteredMemo()->isEnabled());
    Delete->setEnabled(current);
    FileNew->setEnabled(true);
}

void TMainForm::FormatKeepClick() {
    if (!Ribbons->current() || !DlgStoreFormat)
        return;
    if (DlgStoreFormat->exec() != QDialog::Accepted)
        return;
    Formats->storeFormat(DlgStoreFormat->formatName(), *Ribbons->current());
    BuildFormatMenu();
}

TextMemo *TMainForm::EnteredMemo() const {
    // The memos tell when they are entered; the right one may be closed since.
    if (PictureSide == 2 && Editor->MTextRight->isEnabled() && !Editor->MTextRight->isReadOnly())
        return Editor->MTextRight;
    return Editor->MTextLeft;
}

void TMainForm::InsertSymbolClick() {
    if (Ribbons->current())
        SymbolChooser::InsertInto(EnteredMemo());
}
