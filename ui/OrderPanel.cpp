#include "ui/OrderPanel.h"

#include <QApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>

#include "model/Job.h"
#include "model/OrderInbox.h"
#include "model/OrderInboxWatcher.h"
#include "print/OrderService.h"

namespace {

constexpr int PanelWidth = 330;
constexpr int PanelMinimumWidth = 180;

constexpr int Padding = 3;

// An order in three lines: number, delivery and ribbon count; the first line
// of each end; what would not print well. A file of no orders yet shows its
// name and why. Every row has the same height, so a thousand orders are not
// measured (nor checked) only to lay out the list.
class OrderDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static int RowHeight(const QFontMetrics &metrics) {
        return 3 * metrics.lineSpacing() + 2 * Padding;
    }

    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const override {
        return {option.rect.width(), RowHeight(option.fontMetrics)};
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override {
        QStyleOptionViewItem panel = option;
        initStyleOption(&panel, index);
        panel.text.clear();
        panel.icon = QIcon();
        const QWidget *view = option.widget;
        QStyle *style = view ? view->style() : QApplication::style();
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &panel, painter, view);

        const auto *model = static_cast<const OrderListModel *>(index.model());
        const int row = index.row();
        const auto text = [model, row](int column) {
            return model->data(model->index(row, column), Qt::DisplayRole).toString();
        };
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette &palette = option.palette;
        const QColor ink = palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
        const QColor quiet = selected ? ink : palette.color(QPalette::PlaceholderText);
        const QColor warning = selected ? ink : QColor(170, 20, 20);

        const QRect area = option.rect.adjusted(Padding + 2, Padding, -Padding, -Padding);
        const int line = option.fontMetrics.lineSpacing();
        // One line of the row; `right` is kept whole at the line's end.
        const auto draw = [&](int at, const QString &words, const QColor &color, bool bold,
                              const QString &right = QString()) {
            QFont font = option.font;
            font.setBold(bold);
            painter->setFont(font);
            painter->setPen(color);
            const QFontMetrics metrics(font);
            QRect place(area.left(), area.top() + at * line, area.width(), line);
            if (!right.isEmpty()) {
                painter->drawText(place, Qt::AlignRight | Qt::AlignVCenter, right);
                place.setRight(place.right() - metrics.horizontalAdvance(right) - 2 * Padding);
            }
            painter->drawText(place, Qt::AlignLeft | Qt::AlignVCenter,
                              metrics.elidedText(words, Qt::ElideRight, place.width()));
        };
        painter->save();
        if (!model->isReadyAt(row)) {
            draw(0, text(OrderListModel::NumberColumn), ink, false);
            draw(1, text(OrderListModel::FindingsColumn), model->isFaultyAt(row) ? warning : quiet,
                 false);
        } else {
            QString head = text(OrderListModel::NumberColumn);
            if (const QString delivery = text(OrderListModel::DeliveryColumn); !delivery.isEmpty())
                head += QStringLiteral("  \u00B7  ") + delivery;
            const QString count = text(OrderListModel::RibbonsColumn);
            draw(0, head, ink, true,
                 count.isEmpty() ? QString() : QStringLiteral("%1 Schleifen").arg(count));
            QStringList ends{text(OrderListModel::LeftColumn), text(OrderListModel::RightColumn)};
            ends.removeAll(QString());
            draw(1, ends.join(QStringLiteral("  |  ")), ink, false);
            const QStringList findings = model->findingsAt(row);
            draw(2, findings.isEmpty() ? QStringLiteral("keine Hinweise") : findings.join(u' '),
                 findings.isEmpty() ? quiet : warning, false);
        }
        painter->restore();
    }
};

}  // namespace

OrderPanel::OrderPanel(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("OrderPanel"));
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);

    caption_ = new QLabel(this);
    caption_->setObjectName(QStringLiteral("OrderCaption"));
    caption_->setTextFormat(Qt::PlainText);
    caption_->setWordWrap(true);

    model_ = new OrderListModel(this);
    list_ = new QListView(this);
    list_->setObjectName(QStringLiteral("LBOrders"));
    list_->setModel(model_);
    list_->setItemDelegate(new OrderDelegate(list_));
    list_->setUniformItemSizes(true);
    list_->setAlternatingRowColors(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The window's smallest height is the editor's: the list may show less than an order.
    list_->setMinimumHeight(2 * list_->fontMetrics().lineSpacing());
    list_->setAccessibleName(QStringLiteral("Auftr\u00E4ge"));
    list_->setAccessibleDescription(
        QStringLiteral("Die Auftr\u00E4ge im Auftragsordner. Eingabetaste oder Doppelklick "
                       "\u00FCbernimmt die Schleifen eines Auftrags in die Liste."));
    caption_->setBuddy(list_);

    takeOver_ = new QPushButton(QStringLiteral("&\u00DCbernehmen"), this);
    takeOver_->setObjectName(QStringLiteral("BtnOrderTakeOver"));
    takeOver_->setAccessibleName(QStringLiteral("Auftrag \u00FCbernehmen"));
    takeOver_->setToolTip(QStringLiteral("H\u00E4ngt die Schleifen des Auftrags an die Liste an."));
    // "&Drucken" is the menu's, and Alt+D opens "&Datei": the button takes U.
    print_ = new QPushButton(QStringLiteral("Dr&ucken"), this);
    print_->setObjectName(QStringLiteral("BtnOrderPrint"));
    print_->setAccessibleName(QStringLiteral("Auftrag drucken"));
    print_->setToolTip(
        QStringLiteral("Druckt die Schleifen des Auftrags, ohne sie in die "
                       "Liste zu nehmen."));
    for (QPushButton *button : {takeOver_, print_})
        button->setAutoDefault(false);

    auto *buttons = new QHBoxLayout();
    buttons->setSpacing(4);
    buttons->addWidget(takeOver_);
    buttons->addWidget(print_);
    buttons->addStretch(1);

    column->addWidget(caption_);
    column->addWidget(list_, 1);
    column->addLayout(buttons);
    setMinimumWidth(PanelMinimumWidth);

    connect(takeOver_, &QPushButton::clicked, this, &OrderPanel::takeOverSelected);
    connect(print_, &QPushButton::clicked, this, &OrderPanel::printSelected);
    connect(list_, &QListView::doubleClicked, this, &OrderPanel::takeOverSelected);
    connect(list_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &OrderPanel::updateState);
    list_->installEventFilter(this);
    updateState();
}

OrderPanel::~OrderPanel() = default;

QSize OrderPanel::sizeHint() const {
    return {PanelWidth, QWidget::sizeHint().height()};
}

void OrderPanel::open(const QString &folder, StoredFormatLookup formats, const QString &problem) {
    delete watcher_;
    service_.reset();
    inbox_ = std::make_unique<OrderInbox>(folder);
    // The same service as the print service's, with the window's print and
    // its questions; what it says goes to the status bar.
    service_ = std::make_unique<OrderService>(
        *inbox_, formats,
        [this](const std::vector<const TJob *> &ribbons, const QString &) {
            return printRibbons ? printRibbons(ribbons) : PrintResult();
        },
        [this](const QString &text) { say(text); });
    watcher_ = new OrderInboxWatcher(folder, std::move(formats), this);
    connect(watcher_, &OrderInboxWatcher::changed, this, &OrderPanel::refresh);
    connect(watcher_, &OrderInboxWatcher::problem, this, &OrderPanel::showProblem);
    model_->setOrders({});
    showProblem(problem);
    watcher_->start();
}

QString OrderPanel::caption() const {
    if (!problem_.isEmpty())
        return QStringLiteral("&Auftr\u00E4ge \u2013 %1").arg(problem_);
    return QStringLiteral("&Auftr\u00E4ge (%1)").arg(model_->orderCount());
}

void OrderPanel::refresh() {
    // The selection stays on its order while others come and go.
    const int row = list_->currentIndex().row();
    const QString file = model_->fileNameAt(row);
    const int order = model_->orderAt(row);
    const int scrolled = list_->verticalScrollBar()->value();
    model_->setOrders(watcher_->orders());
    int again = model_->rowOf(file, order);
    if (again < 0)
        again = std::min(std::max(row, 0), model_->rowCount() - 1);
    if (again >= 0)
        list_->setCurrentIndex(model_->index(again, 0));
    // A new order must not throw the florist back to the top of a long list.
    list_->verticalScrollBar()->setValue(scrolled);
    updateState();
}

void OrderPanel::showProblem(const QString &problem) {
    problem_ = problem;
    if (!problem.isEmpty())
        say(problem);
    updateState();
}

void OrderPanel::updateState() {
    caption_->setText(caption());
    caption_->setToolTip(inbox_ ? QDir::toNativeSeparators(inbox_->folder()) : QString());
    const bool ready = model_->isReadyAt(list_->currentIndex().row());
    takeOver_->setEnabled(ready);
    print_->setEnabled(ready);
}

void OrderPanel::say(const QString &text) {
    emit status(text);
}

bool OrderPanel::eventFilter(QObject *watched, QEvent *event) {
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers() == Qt::NoModifier) {
            takeOverSelected();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void OrderPanel::takeOverSelected() {
    const int row = list_->currentIndex().row();
    if (!service_ || !model_->isReadyAt(row))
        return;
    service_->takeOver(model_->fileAt(row), model_->ordersOfFileAt(row), appendRibbons);
    watcher_->rescan();
}

void OrderPanel::printSelected() {
    const int row = list_->currentIndex().row();
    if (!service_ || !model_->isReadyAt(row))
        return;
    service_->printAttended(model_->fileAt(row), model_->ordersOfFileAt(row), askReprint,
                            appendRibbons);
    watcher_->rescan();
}
