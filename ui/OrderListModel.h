#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QList>
#include <QStringList>
#include <functional>
#include <vector>

#include "model/OrderInboxWatcher.h"

class TJob;

// The orders of the inbox as the window lists them: one row per order of a
// file read cleanly, one row for a file still being written or unreadable.
// The findings of an order (what would not print well) are found when a row
// is first shown and kept per file state (name, size, time), so a thousand
// orders cost nothing until they are looked at.
class OrderListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        NumberColumn,
        DeliveryColumn,
        LeftColumn,
        RightColumn,
        RibbonsColumn,
        FindingsColumn,
        ColumnCount
    };
    // The findings of one ribbon in the status bar's words.
    using FindingsOf = std::function<QStringList(const TJob &job)>;

    explicit OrderListModel(QObject *parent = nullptr);

    void setFindingsOf(FindingsOf findings);
    // The orders as the watcher last listed them.
    void setOrders(const QList<InboxOrder> &orders);
    // What the findings depend on changed (dictionary, formats, settings).
    void invalidateFindings();

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The file a row stands for, as the watcher listed it; whether its
    // orders can be taken (read cleanly).
    QString fileNameAt(int row) const;
    InboxFile fileAt(int row) const;
    bool isReadyAt(int row) const;
    // Whether a row's file could not be read.
    bool isFaultyAt(int row) const;
    // The order numbers of the row's file ("4711, 4712"), or its name.
    QString ordersOfFileAt(int row) const;
    // The order within its file a row shows; -1 for a file's own row.
    int orderAt(int row) const;
    // The row of a file's order (or of the file), -1 when not listed.
    int rowOf(const QString &fileName, int order) const;
    // The findings of a row's order, each once.
    QStringList findingsAt(int row) const;
    // The orders read cleanly.
    int orderCount() const;

private:
    struct Row {
        int entry = 0;
        int order = -1;
    };
    const Order *orderOf(const Row &row) const;
    // Why a file shows no orders, in the list's words (the full reason is
    // its tool tip).
    static QString StateText(const InboxOrder &entry, bool full);

    QList<InboxOrder> entries_;
    std::vector<Row> rows_;
    FindingsOf findingsOf_;
    mutable QHash<QString, QStringList> findings_;
};
