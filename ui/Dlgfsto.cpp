#include "ui/Dlgfsto.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QToolTip>

#include "model/Job.h"
#include "ui/TextField.h"

namespace {

constexpr int ShortestName = 3;

}  // namespace

TDlgStoreFormat::TDlgStoreFormat(SettingsFile *settings, QWidget *parent) : QDialog(parent) {
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

    LBFormatList = new QListWidget(this);
    LBFormatList->setObjectName(QStringLiteral("LBFormatList"));
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
    connect(LBFormatList, &QListWidget::itemClicked, this, &TDlgStoreFormat::LBFormatListClick);
    connect(LBFormatList, &QListWidget::itemDoubleClicked, this, [this] {
        LBFormatListClick();
        accept();
    });
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnClear, &QPushButton::clicked, this, &TDlgStoreFormat::BtnClearClick);

    if (settings)
        formats_ = ReadStoredFormats(*settings);
    for (const auto &format : formats_) {
        LBFormatList->addItem(format->Name.str());
        origin_.push_back(int(read_.size()));
        read_.push_back(std::make_unique<TJob>());
        read_.back()->CopyFrom(*format);
    }
    EDFormatNameChange();
}

TDlgStoreFormat::~TDlgStoreFormat() {
    // The formats go from the last to the first.
    while (!formats_.empty())
        formats_.pop_back();
}

TJob *TDlgStoreFormat::formatAt(int index) const {
    if (index < 0 || index >= count())
        return nullptr;
    return formats_[std::size_t(index)].get();
}

QString TDlgStoreFormat::itemText(int index) const {
    const QListWidgetItem *item = LBFormatList->item(index);
    return item ? item->text() : QString();
}

int TDlgStoreFormat::findFormat(const QString &name) const {
    for (int i = 0; i < LBFormatList->count(); ++i) {
        if (LBFormatList->item(i)->text().compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

TJob *TDlgStoreFormat::appendFormat(const QString &name) {
    formats_.push_back(std::make_unique<TJob>());
    origin_.push_back(-1);
    LBFormatList->addItem(name);
    emit formatsChanged();
    return formats_.back().get();
}

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
    const QListWidgetItem *item = LBFormatList->currentItem();
    if (item)
        EDFormatName->setText(item->text());
}

void TDlgStoreFormat::BtnClearClick() {
    const int row = LBFormatList->currentRow();
    if (row < 0 || row >= count() || !LBFormatList->currentItem()->isSelected())
        return;
    formats_.erase(formats_.begin() + row);
    origin_.erase(origin_.begin() + row);
    delete LBFormatList->takeItem(row);
    LBFormatList->clearSelection();
    LBFormatList->setCurrentRow(-1);
    EDFormatName->clear();
    emit formatsChanged();
}
