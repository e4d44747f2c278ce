#include "ui/Dlgfsto.h"

#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QToolTip>

#include "ui/TextField.h"

namespace {

constexpr int ShortestName = 3;

}  // namespace

TDlgStoreFormat::TDlgStoreFormat(StoredFormatsModel *formats, QWidget *parent)
    : QDialog(parent), Formats(formats) {
    setObjectName(QStringLiteral("DlgStoreFormat"));
    setWindowTitle(QStringLiteral("Aktuelles Schleifenformat festhalten:"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(300, 263);

    EDFormatName = new TextField(255, this);
    EDFormatName->setObjectName(QStringLiteral("EDFormatName"));
    EDFormatName->setGeometry(8, 28, 189, 21);
    auto *nameLabel = new QLabel(QStringLiteral("&Name:"), this);
    nameLabel->move(8, 12);
    nameLabel->setBuddy(EDFormatName);

    LBFormatList = new QListView(this);
    LBFormatList->setObjectName(QStringLiteral("LBFormatList"));
    LBFormatList->setModel(formats);
    LBFormatList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LBFormatList->setGeometry(8, 76, 189, 177);
    auto *listLabel = new QLabel(QStringLiteral("&Vorhandene Formate:"), this);
    listLabel->move(8, 60);
    listLabel->setBuddy(LBFormatList);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setGeometry(208, 26, 85, 24);
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("&Abbruch"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setGeometry(208, 59, 85, 24);
    BtnCancel->setAutoDefault(false);
    BtnClear = new QPushButton(QStringLiteral("&L\u00F6schen"), this);
    BtnClear->setObjectName(QStringLiteral("BtnClear"));
    BtnClear->setGeometry(208, 93, 85, 24);
    BtnClear->setAutoDefault(false);
    setTabOrder(EDFormatName, LBFormatList);

    connect(EDFormatName, &QLineEdit::textChanged, this, &TDlgStoreFormat::EDFormatNameChange);
    connect(EDFormatName, &TextField::refused, this, [this](const QString &message) {
        QToolTip::showText(EDFormatName->mapToGlobal(QPoint(0, EDFormatName->height())), message,
                           EDFormatName);
    });
    connect(LBFormatList, &QListView::clicked, this, &TDlgStoreFormat::LBFormatListClick);
    connect(LBFormatList, &QListView::doubleClicked, this, [this] {
        LBFormatListClick();
        accept();
    });
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnClear, &QPushButton::clicked, this, &TDlgStoreFormat::BtnClearClick);

    EDFormatNameChange();
}

TDlgStoreFormat::~TDlgStoreFormat() = default;

QString TDlgStoreFormat::formatName() const {
    return EDFormatName->text();
}

void TDlgStoreFormat::showEvent(QShowEvent *event) {
    QDialog::showEvent(event);
    FormActivate();
}

void TDlgStoreFormat::FormActivate() {
    EDFormatName->clear();
    EDFormatNameChange();
    EDFormatName->setFocus(Qt::ActiveWindowFocusReason);
}

void TDlgStoreFormat::EDFormatNameChange() {
    BtnOK->setEnabled(EDFormatName->text().size() >= ShortestName);
}

void TDlgStoreFormat::LBFormatListClick() {
    const QModelIndex current = LBFormatList->currentIndex();
    if (current.isValid())
        EDFormatName->setText(current.data().toString());
}

void TDlgStoreFormat::BtnClearClick() {
    const QModelIndex current = LBFormatList->currentIndex();
    if (!Formats || !current.isValid() || !LBFormatList->selectionModel()->isSelected(current))
        return;
    Formats->removeAt(current.row());
    LBFormatList->clearSelection();
    LBFormatList->setCurrentIndex(QModelIndex());
    EDFormatName->clear();
}
