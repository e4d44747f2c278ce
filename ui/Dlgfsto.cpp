#include "ui/Dlgfsto.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QToolTip>
#include <QVBoxLayout>

#include "ui/DialogButtons.h"
#include "ui/TextField.h"

namespace {

constexpr int ShortestName = 3;
constexpr QSize DesignSize(300, 263);
constexpr int FieldWidth = 189;
constexpr int ListHeight = 177;

}  // namespace

TDlgStoreFormat::TDlgStoreFormat(StoredFormatsModel *formats, QWidget *parent)
    : QDialog(parent), Formats(formats) {
    setObjectName(QStringLiteral("DlgStoreFormat"));
    setWindowTitle(QStringLiteral("Aktuelles Schleifenformat festhalten:"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    EDFormatName = new TextField(255, this);
    EDFormatName->setObjectName(QStringLiteral("EDFormatName"));
    EDFormatName->setMinimumWidth(FieldWidth);
    auto *nameLabel = new QLabel(QStringLiteral("&Name:"), this);
    nameLabel->setBuddy(EDFormatName);

    LBFormatList = new QListView(this);
    LBFormatList->setObjectName(QStringLiteral("LBFormatList"));
    LBFormatList->setModel(formats);
    LBFormatList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LBFormatList->setMinimumSize(FieldWidth, ListHeight);
    auto *listLabel = new QLabel(QStringLiteral("&Vorhandene Formate:"), this);
    listLabel->setBuddy(LBFormatList);

    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setObjectName(QStringLiteral("BtnOK"));
    BtnOK->setDefault(true);
    BtnCancel = new QPushButton(QStringLiteral("&Abbruch"), this);
    BtnCancel->setObjectName(QStringLiteral("BtnCancel"));
    BtnCancel->setAutoDefault(false);
    BtnClear = new QPushButton(QStringLiteral("&L\u00F6schen"), this);
    BtnClear->setObjectName(QStringLiteral("BtnClear"));
    BtnClear->setAutoDefault(false);

    // The fields on the left, each under its caption; the buttons on the
    // right, the first level with the name field.
    auto *fields = new QVBoxLayout();
    fields->setSpacing(0);
    fields->addWidget(nameLabel);
    fields->addSpacing(2);
    fields->addWidget(EDFormatName);
    fields->addSpacing(10);
    fields->addWidget(listLabel);
    fields->addSpacing(2);
    fields->addWidget(LBFormatList, 1);
    auto *buttons = new QVBoxLayout();
    buttons->setSpacing(0);
    buttons->addSpacing(nameLabel->sizeHint().height());
    for (QPushButton *button : {BtnOK, BtnCancel, BtnClear}) {
        button->setMinimumSize(DialogButtonSize(button));
        buttons->addWidget(button);
        if (button != BtnClear)
            buttons->addSpacing(button == BtnOK ? 9 : 10);
    }
    buttons->addStretch(1);
    auto *columns = new QHBoxLayout(this);
    columns->setContentsMargins(8, 12, 7, 10);
    columns->setSpacing(11);
    columns->addLayout(fields, 1);
    columns->addLayout(buttons);
    // The size it was drawn for, larger where the font needs more room.
    setFixedSize(DesignSize.expandedTo(minimumSizeHint()));
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
