#include "ui/JobListModel.h"

#include "model/Job.h"

namespace {

// A ribbon as a screen reader says it: its texts, the ends apart.
QString SpokenTexts(const TJob &job) {
    QStringList ends;
    for (const QStringList &lines : {job.TextLeft.lines(), job.TextRight.lines()}) {
        const QString text = lines.join(QLatin1Char(' ')).simplified();
        if (!text.isEmpty())
            ends << text;
    }
    return ends.isEmpty() ? QStringLiteral("Schleife ohne Text") : ends.join(QStringLiteral(" / "));
}

}  // namespace

JobListModel::JobListModel(QObject *parent) : QAbstractListModel(parent) {}

JobListModel::~JobListModel() = default;

int JobListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant JobListModel::data(const QModelIndex &index, int role) const {
    // The items have no text: the delegate draws the ribbon itself.
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    const TJob &job = *jobs_[std::size_t(index.row())];
    if (role == Qt::AccessibleTextRole)
        return SpokenTexts(job);
    if (role == Qt::AccessibleDescriptionRole)
        return QStringLiteral("%1 \u00D7 %2 mm").arg(job.Laenge).arg(job.Breite);
    return QVariant();
}

TJob *JobListModel::jobAt(int row) const {
    if (row < 0 || row >= count())
        return nullptr;
    return jobs_[std::size_t(row)].get();
}

int JobListModel::rowOf(const TJob *job) const {
    for (std::size_t i = 0; i < jobs_.size(); ++i) {
        if (jobs_[i].get() == job)
            return int(i);
    }
    return -1;
}

void JobListModel::append(std::unique_ptr<TJob> job) {
    beginInsertRows(QModelIndex(), count(), count());
    jobs_.push_back(std::move(job));
    endInsertRows();
}

void JobListModel::removeAt(int row) {
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    // Taken out of the list first, destroyed after the views have let go.
    std::unique_ptr<TJob> gone = std::move(jobs_[std::size_t(row)]);
    jobs_.erase(jobs_.begin() + row);
    endRemoveRows();
}

void JobListModel::clear() {
    if (jobs_.empty())
        return;
    beginResetModel();
    std::vector<std::unique_ptr<TJob>> gone;
    gone.swap(jobs_);
    endResetModel();
}

void JobListModel::refresh(int row) {
    if (row < 0 || row >= count())
        return;
    const QModelIndex at = index(row);
    emit dataChanged(at, at);
}

void JobListModel::refreshAll() {
    if (jobs_.empty())
        return;
    emit dataChanged(index(0), index(count() - 1));
}
