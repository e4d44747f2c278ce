#include "ui/SymbolChooser.h"

#include <QDialogButtonBox>
#include <QFont>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "render/FaceCoverage.h"
#include "render/RibbonSymbols.h"
#include "ui/TextMemo.h"

namespace {

constexpr int Columns = 4;
constexpr int CellSize = 44;
constexpr int SymbolPixels = 26;

}  // namespace

SymbolChooser::SymbolChooser(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("SymbolChooser"));
    setWindowTitle(QStringLiteral("Symbol einf\u00FCgen"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("LBSymbols"));
    list_->setAccessibleName(QStringLiteral("Symbole"));
    list_->setViewMode(QListView::IconMode);
    list_->setMovement(QListView::Static);
    list_->setResizeMode(QListView::Adjust);
    list_->setWrapping(true);
    list_->setUniformItemSizes(true);
    list_->setGridSize(QSize(CellSize, CellSize));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // Shown as they print: from the symbol face, nothing borrowed.
    QFont font(FaceCoverage::SymbolFace());
    font.setPixelSize(SymbolPixels);
    font.setStyleStrategy(QFont::NoFontMerging);
    for (const RibbonSymbol &symbol : RibbonSymbols()) {
        auto *item = new QListWidgetItem(symbol.text(), list_);
        item->setFont(font);
        item->setTextAlignment(Qt::AlignCenter);
        item->setSizeHint(QSize(CellSize, CellSize));
        item->setToolTip(symbol.name);
        item->setData(Qt::AccessibleTextRole, symbol.name);
    }
    const int rows = int((RibbonSymbols().size() + Columns - 1) / Columns);
    const int frame = 2 * list_->frameWidth() + 4;
    list_->setFixedSize(Columns * CellSize + frame, rows * CellSize + frame);
    list_->setCurrentRow(0);

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *ok =
        buttons->addButton(QStringLiteral("&Einf\u00FCgen"), QDialogButtonBox::AcceptRole);
    ok->setDefault(true);
    buttons->addButton(QStringLiteral("&Abbruch"), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(list_, &QListWidget::itemActivated, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(list_);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    list_->setFocus();
}

QString SymbolChooser::chosen() const {
    const QListWidgetItem *item = list_->currentItem();
    return result() == Accepted && item ? item->text() : QString();
}

void SymbolChooser::InsertInto(TextMemo *memo) {
    if (!memo || !memo->isEnabled() || memo->isReadOnly())
        return;
    SymbolChooser chooser(memo->window());
    if (chooser.exec() != Accepted)
        return;
    memo->setFocus(Qt::OtherFocusReason);
    memo->insertTyped(chooser.chosen());
}
