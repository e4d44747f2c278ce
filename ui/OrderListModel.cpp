#include "ui/OrderListModel.h"

#include <QApplication>
#include <QRegularExpression>
#include <QStyle>

#include "model/Job.h"

namespace {

// A file's state, so that a file written anew is looked at anew.
QString FileKey(const InboxFile &file, int order) {
    return file.name + QChar(1) + QString::number(file.size) + QChar(1) +
           QString::number(file.modified.toMSecsSinceEpoch()) + QChar(1) + QString::number(order);
}

QString FirstLine(const TextLines &text) {
    return text.isEmpty() ? QString() : text.lines().value(0);
}

}  // namespace

OrderListModel::OrderListModel(QObject *parent) : QAbstractTableModel(parent) {}

void OrderListModel::setFindingsOf(FindingsOf findings) {
    findingsOf_ = std::move(findings);
    invalidateFindings();
}

void OrderListModel::setOrders(const QList<InboxOrder> &orders) {
    beginResetModel();
    entries_ = orders;
    rows_.clear();
    QHash<QString, QStringList> kept;
    for (int entry = 0; entry < entries_.size(); ++entry) {
        const InboxOrder &listed = entries_.at(entry);
        if (!listed.read || !listed.read->ok()) {
            rows_.push_back({entry, -1});
            continue;
        }
        for (int order = 0; order < int(listed.read->orders.size()); ++order) {
            rows_.push_back({entry, order});
            const QString key = FileKey(listed.file, order);
            if (const auto found = findings_.constFind(key); found != findings_.constEnd())
                kept.insert(key, *found);
        }
    }
    findings_ = std::move(kept);  // files gone or changed are forgotten
    endResetModel();
}

void OrderListModel::invalidateFindings() {
    findings_.clear();
    if (!rows_.empty())
        emit dataChanged(index(0, FindingsColumn), index(rowCount() - 1, FindingsColumn));
}

int OrderListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int OrderListModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const Order *OrderListModel::orderOf(const Row &row) const {
    const InboxOrder &entry = entries_.at(row.entry);
    if (row.order < 0 || !entry.read || !entry.read->ok())
        return nullptr;
    return &entry.read->orders.at(std::size_t(row.order));
}

QString OrderListModel::StateText(const InboxOrder &entry, bool full) {
    if (entry.read && !entry.read->ok()) {
        const QString &error = *entry.read->error;
        if (full)
            return error;
        // "<path>:<line>: <message>": the row names the file already.
        const qsizetype at = error.indexOf(entry.file.name);
        if (at < 0)
            return error;
        static const QRegularExpression where(QStringLiteral("^:(\\d+): (.*)$"),
                                              QRegularExpression::DotMatchesEverythingOption);
        const QString rest = error.mid(at + entry.file.name.size());
        if (const QRegularExpressionMatch match = where.match(rest); match.hasMatch())
            return QStringLiteral("Zeile %1: %2").arg(match.captured(1), match.captured(2));
        return rest.startsWith(QLatin1String(": ")) ? rest.mid(2) : error;
    }
    if (!entry.file.complete)
        return QStringLiteral("wird noch geschrieben\u2026");
    return QStringLiteral("wird gelesen\u2026");
}

QVariant OrderListModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Row &row = rows_.at(std::size_t(index.row()));
    const InboxOrder &entry = entries_.at(row.entry);
    const Order *order = orderOf(row);
    if (!order) {
        // A file of no orders yet: its name, and why.
        switch (role) {
            case Qt::ToolTipRole:
            case Qt::AccessibleTextRole:
                if (index.column() == NumberColumn)
                    return QStringLiteral("%1: %2").arg(entry.file.name, StateText(entry, true));
                [[fallthrough]];
            case Qt::DisplayRole:
                if (index.column() == NumberColumn)
                    return entry.file.name;
                if (index.column() == FindingsColumn)
                    return StateText(entry, role != Qt::DisplayRole);
                return {};
            case Qt::ForegroundRole:
                return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
            default:
                return {};
        }
    }
    const TJob &first = *order->ribbons.front();
    switch (role) {
        case Qt::DisplayRole:
            switch (index.column()) {
                case NumberColumn:
                    return order->number;
                case DeliveryColumn:
                    return order->delivery;
                case LeftColumn:
                    return FirstLine(first.TextLeft);
                case RightColumn:
                    return FirstLine(first.TextRight);
                case RibbonsColumn:
                    return order->ribbons.size() > 1 ? QString::number(order->ribbons.size())
                                                     : QString();
                case FindingsColumn:
                    return findingsAt(index.row()).join(QLatin1Char(' '));
                default:
                    return {};
            }
        case Qt::ToolTipRole:
        case Qt::AccessibleTextRole: {
            if (index.column() == FindingsColumn) {
                const QStringList findings = findingsAt(index.row());
                return findings.isEmpty() ? QStringLiteral("keine Hinweise")
                                          : findings.join(QLatin1Char('\n'));
            }
            // The whole order: when, every ribbon's ends, what would not
            // print well, and the file it came in.
            QStringList lines{QStringLiteral("Auftrag %1").arg(order->number)};
            if (!order->delivery.isEmpty())
                lines << QStringLiteral("Liefertermin %1").arg(order->delivery);
            for (const auto &ribbon : order->ribbons) {
                lines << QStringLiteral("links: %1")
                             .arg(ribbon->TextLeft.lines().join(QStringLiteral(" / ")))
                      << QStringLiteral("rechts: %1")
                             .arg(ribbon->TextRight.lines().join(QStringLiteral(" / ")));
            }
            lines << findingsAt(index.row());
            lines << QStringLiteral("Datei: %1").arg(entry.file.name);
            return lines.join(role == Qt::ToolTipRole ? QStringLiteral("\n")
                                                      : QStringLiteral(". "));
        }
        case Qt::DecorationRole:
            if (index.column() == FindingsColumn && !findingsAt(index.row()).isEmpty())
                return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
            return {};
        default:
            return {};
    }
}

QVariant OrderListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
        case NumberColumn:
            return QStringLiteral("Auftrag");
        case DeliveryColumn:
            return QStringLiteral("Liefertermin");
        case LeftColumn:
            return QStringLiteral("links");
        case RightColumn:
            return QStringLiteral("rechts");
        case RibbonsColumn:
            return QStringLiteral("Schl.");
        case FindingsColumn:
            return QStringLiteral("Hinweise");
        default:
            return {};
    }
}

QString OrderListModel::fileNameAt(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    return entries_.at(rows_.at(std::size_t(row)).entry).file.name;
}

InboxFile OrderListModel::fileAt(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    return entries_.at(rows_.at(std::size_t(row)).entry).file;
}

bool OrderListModel::isReadyAt(int row) const {
    return row >= 0 && row < rowCount() && orderOf(rows_.at(std::size_t(row))) != nullptr;
}

bool OrderListModel::isFaultyAt(int row) const {
    if (row < 0 || row >= rowCount())
        return false;
    const InboxOrder &entry = entries_.at(rows_.at(std::size_t(row)).entry);
    return entry.read && !entry.read->ok();
}

QString OrderListModel::ordersOfFileAt(int row) const {
    if (row < 0 || row >= rowCount())
        return {};
    const InboxOrder &entry = entries_.at(rows_.at(std::size_t(row)).entry);
    if (!entry.read || !entry.read->ok())
        return entry.file.name;
    QStringList numbers;
    for (const Order &order : entry.read->orders)
        numbers << order.number;
    return numbers.join(QStringLiteral(", "));
}

int OrderListModel::orderAt(int row) const {
    return row >= 0 && row < rowCount() ? rows_.at(std::size_t(row)).order : -1;
}

int OrderListModel::rowOf(const QString &fileName, int order) const {
    for (std::size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].order == order && entries_.at(rows_[i].entry).file.name == fileName)
            return int(i);
    }
    return -1;
}

QStringList OrderListModel::findingsAt(int row) const {
    if (!isReadyAt(row) || !findingsOf_)
        return {};
    const Row &listed = rows_.at(std::size_t(row));
    const QString key = FileKey(entries_.at(listed.entry).file, listed.order);
    if (const auto found = findings_.constFind(key); found != findings_.constEnd())
        return *found;
    QStringList findings;
    for (const auto &ribbon : orderOf(listed)->ribbons) {
        for (const QString &finding : findingsOf_(*ribbon)) {
            if (!findings.contains(finding))
                findings << finding;
        }
    }
    findings_.insert(key, findings);
    return findings;
}

int OrderListModel::orderCount() const {
    return int(std::count_if(rows_.begin(), rows_.end(),
                             [this](const Row &row) { return orderOf(row) != nullptr; }));
}
