#pragma once

#include <QAbstractListModel>
#include <memory>
#include <vector>

class RibbonList;
class TJob;

// The ribbon list as the window's list view sees it: one row per ribbon of a
// RibbonList, in its order. The ribbons belong to the RibbonList; this model
// only shows them and hands changes on.
class JobListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit JobListModel(RibbonList &ribbons, QObject *parent = nullptr);
    ~JobListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    RibbonList &ribbons() const { return ribbons_; }
    int count() const;
    TJob *jobAt(int row) const;
    int rowOf(const TJob *job) const;  // -1 when not listed

    void append(std::unique_ptr<TJob> job);
    void removeAt(int row);
    void clear();

    // Asks the views to draw the row (or every row) again.
    void refresh(int row);
    void refreshAll();

private:
    RibbonList &ribbons_;
};
