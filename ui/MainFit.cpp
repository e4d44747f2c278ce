#include "ui/JobEditor.h"
#include "ui/Main.h"

#include <QStatusBar>

#include "model/Job.h"
#include "model/RibbonList.h"
#include "render/FitCheck.h"
#include "ui/SpinField.h"

// "Schrifthöhe anpassen": the largest whole millimetre, not above the current
// height and not below what the field offers, at which both ends fit.
void TMainForm::FitLettersClick() {
    if (!Ribbons->current())
        return;
    StoreJob();
    const int current = Ribbons->current()->FontGroesse;
    const int height =
        LargestFittingHeight(DrawingContext(), *Ribbons->current(), Editor->edFontSize->minimum());
    if (height == 0) {
        ShowStatusText(QStringLiteral("Bei keiner Schrifth\u00F6he ab %1 mm passt der Text; die "
                                      "Schrifth\u00F6he bleibt %2 mm.")
                           .arg(Editor->edFontSize->minimum())
                           .arg(current));
        return;
    }
    if (height == current) {
        ShowStatusText(
            QStringLiteral("Der Text passt bereits bei %1 mm Schrifth\u00F6he.").arg(current));
        return;
    }
    Editor->edFontSize->setValue(height);  // the field's change writes it into the ribbon
    ShowStatusText(
        QStringLiteral("Schrifth\u00F6he auf %1 mm gesetzt: der Text passt.").arg(height));
}
