#pragma once

#include <QAbstractListModel>
#include <memory>
#include <vector>

class TJob;

// The ribbon list: one row per ribbon in the order of creation. The list owns
// its jobs; a job is destroyed when its row is removed.
class JobListModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit JobListModel(QObject *parent = nullptr);
    ~JobListModel() override;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    int count() const { return int(jobs_.size()); }
    TJob *jobAt(int row) const;
    int rowOf(const TJob *job) const;  // -1 when not listed

    void append(std::unique_ptr<TJob> job);
    void removeAt(int row);
    void clear();

    // Asks the views to draw the row (or every row) again.
    void refresh(int row);
    void refreshAll();

private:
    std::vector<std::unique_ptr<TJob>> jobs_;
};
