#include "ui/Main.h"

#include <QComboBox>
#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QListView>
#include <QListWidget>

#include "model/Job.h"
#include "render/NativeOutline.h"
#include "render/Pictures.h"
#include "ui/JobListModel.h"
#include "ui/PictureCatalogueLoader.h"
#include "ui/PictureListDelegate.h"
#include "ui/TextMemo.h"

namespace {

// Ribbons and stored formats made on Windows name its core faces; here
// fontconfig maps them onto installed faces of the same metrics. They are
// offered under their own names when such a face is really there.
const char *const CoreFaces[] = {"Arial", "Times New Roman", "Courier New"};

bool AcceptedFace(const QString &family) {
    if (family == QLatin1String("Symbol") || family == QLatin1String("Wingdings"))
        return false;
    return IsTrueTypeFace(family);
}

// The family fontconfig settles on for a name it does not know at all.
QString FallbackFamily() {
    return QFontInfo(QFont(QStringLiteral("Vellumo No Such Face"))).family();
}

}  // namespace

void TMainForm::FillFontList() {
    QStringList faces;
    const QStringList families = QFontDatabase::families();
    for (const QString &family : families) {
        if (QFontDatabase::isPrivateFamily(family))
            continue;
        if (AcceptedFace(family) && !faces.contains(family))
            faces.append(family);
    }
    const QString fallback = FallbackFamily();
    for (const char *core : CoreFaces) {
        const QString name = QLatin1String(core);
        const QString resolved = QFontInfo(QFont(name)).family();
        if (!faces.contains(name) && resolved != fallback && faces.contains(resolved))
            faces.append(name);
    }
    faces.sort(Qt::CaseInsensitive);
    CBFontName->clear();
    CBFontName->addItems(faces);
}

void TMainForm::LoadPictureList() {
    LoadPictureCatalogue(PictureFiles);
    LBGraphic->clear();
    LBGraphic->addItem(QStringLiteral("Ohne Bild"));
    for (qsizetype i = 1; i < PictureFiles.files.size(); ++i)
        LBGraphic->addItem(PictureFiles.files.at(i));
    for (int row = 0; row < LBGraphic->count(); ++row)
        LBGraphic->item(row)->setSizeHint(QSize(LBGraphic->width(), PictureItemHeight));
}

void TMainForm::LBGraphicDblClick() {
    const int row = LBGraphic->currentRow();
    if (!CurrentJob || row < 0 || row >= PictureFiles.files.size())
        return;
    const QString &name = PictureFiles.files.at(row);
    if (PictureSide == 1) {
        CurrentJob->BildNameLinks.set(name);
        if (MTextLeft->isEnabled())
            MTextLeft->setFocus(Qt::OtherFocusReason);
    } else if (PictureSide == 2) {
        CurrentJob->BildNameRechts.set(name);
        if (MTextRight->isEnabled())
            MTextRight->setFocus(Qt::OtherFocusReason);
    }
    InvalidateCurrentJob();
    SyncJob(true);
}
