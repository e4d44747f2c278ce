#include "ui/JobListModel.h"

#include "model/Job.h"
#include "model/RibbonList.h"

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

JobListModel::JobListModel(RibbonList &ribbons, QObject *parent)
    : QAbstractListModel(parent), ribbons_(ribbons) {
    connect(&ribbons, &RibbonList::aboutToInsert, this,
            [this](int first, int last) { beginInsertRows(QModelIndex(), first, last); });
    connect(&ribbons, &RibbonList::inserted, this, [this] { endInsertRows(); });
    connect(&ribbons, &RibbonList::aboutToRemove, this,
            [this](int row) { beginRemoveRows(QModelIndex(), row, row); });
    connect(&ribbons, &RibbonList::removed, this, [this] { endRemoveRows(); });
    connect(&ribbons, &RibbonList::aboutToReset, this, [this] { beginResetModel(); });
    connect(&ribbons, &RibbonList::wasReset, this, [this] { endResetModel(); });
    connect(&ribbons, &RibbonList::changed, this,
            [this](int first, int last) { emit dataChanged(index(first), index(last)); });
}

JobListModel::~JobListModel() = default;

int JobListModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant JobListModel::data(const QModelIndex &index, int role) const {
    // The items have no text: the delegate draws the ribbon itself.
    const TJob *job = ribbons_.at(index.isValid() ? index.row() : -1);
    if (!job)
        return QVariant();
    if (role == Qt::AccessibleTextRole)
        return SpokenTexts(*job);
    if (role == Qt::AccessibleDescriptionRole)
        return QStringLiteral("%1 \u00D7 %2 mm").arg(job->Laenge).arg(job->Breite);
    return QVariant();
}

int JobListModel::count() const {
    return ribbons_.count();
}

TJob *JobListModel::jobAt(int row) const {
    return ribbons_.at(row);
}

int JobListModel::rowOf(const TJob *job) const {
    return ribbons_.rowOf(job);
}

void JobListModel::append(std::unique_ptr<TJob> job) {
    ribbons_.append(std::move(job));
}

void JobListModel::removeAt(int row) {
    ribbons_.removeAt(row);
}

void JobListModel::clear() {
    ribbons_.clear();
}

void JobListModel::refresh(int row) {
    if (row >= 0)
        ribbons_.ribbonChanged(row);
}

void JobListModel::refreshAll() {
    ribbons_.ribbonChanged(-1);
}
