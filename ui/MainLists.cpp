#include "ui/JobEditor.h"
#include "ui/Main.h"

#include <QComboBox>
#include <QListView>
#include <QListWidget>

#include "model/Job.h"
#include "model/RibbonList.h"
#include "print/Session.h"
#include "render/Pictures.h"
#include "render/Typefaces.h"
#include "ui/JobListModel.h"
#include "ui/PictureCatalogueLoader.h"
#include "ui/PictureListDelegate.h"
#include "ui/TextMemo.h"

void TMainForm::FillFontList() {
    Editor->CBFontName->clear();
    Editor->CBFontName->addItems(PrintableFamilies());
}

void TMainForm::LoadPictureList() {
    PictureCatalogue &pictures = Setup->pictures();
    LoadPictureCatalogue(pictures);
    LBGraphic->clear();
    LBGraphic->addItem(QStringLiteral("Ohne Bild"));
    for (qsizetype i = 1; i < pictures.files.size(); ++i)
        LBGraphic->addItem(pictures.files.at(i));
    for (int row = 0; row < LBGraphic->count(); ++row)
        LBGraphic->item(row)->setSizeHint(QSize(LBGraphic->width(), PictureItemHeight));
}

void TMainForm::LBGraphicDblClick() {
    const int row = LBGraphic->currentRow();
    const PictureCatalogue &pictures = Setup->pictures();
    if (!Ribbons->current() || row < 0 || row >= pictures.files.size())
        return;
    const QString &name = pictures.files.at(row);
    if (PictureSide == 1) {
        Ribbons->current()->BildNameLinks.set(name);
        if (Editor->MTextLeft->isEnabled())
            Editor->MTextLeft->setFocus(Qt::OtherFocusReason);
    } else if (PictureSide == 2) {
        Ribbons->current()->BildNameRechts.set(name);
        if (Editor->MTextRight->isEnabled())
            Editor->MTextRight->setFocus(Qt::OtherFocusReason);
    }
    InvalidateCurrentJob();
    LoadJob();
}
