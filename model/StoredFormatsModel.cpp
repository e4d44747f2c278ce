#include "model/StoredFormatsModel.h"

#include "model/Job.h"
#include "model/ProfileFile.h"

namespace {

// The name as the settings file gives it back: blanks around a value and one
// pair of quotes around all of it are not part of it there. A format that
// kept them here would not be found under its own name after a save.
QString nameAsStored(const QString &typed) {
    QString name = typed;
    for (;;) {
        const QString read = ProfileValueAsRead(name);
        if (read == name)
            return name;
        name = read;
    }
}

}  // namespace

StoredFormatsModel::StoredFormatsModel(QObject *parent) : QAbstractListModel(parent) {}

StoredFormatsModel::~StoredFormatsModel() {
    // The formats go from the last to the first.
    while (!formats_.empty())
        formats_.pop_back();
}

void StoredFormatsModel::read(SettingsFile *settings) {
    beginResetModel();
    formats_ = settings ? ReadStoredFormats(*settings) : StoredFormatList();
    names_.clear();
    for (const auto &format : formats_)
        names_.push_back(format->Name.str());
    rebase();
    endResetModel();
    emit formatsChanged();
}

void StoredFormatsModel::rebase() {
    read_.clear();
    origin_.clear();
    for (const auto &format : formats_) {
        origin_.push_back(int(read_.size()));
        read_.push_back(std::make_unique<TJob>());
        read_.back()->CopyFrom(*format);
    }
}

int StoredFormatsModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : count();
}

QVariant StoredFormatsModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::AccessibleTextRole)
        return nameAt(index.row());
    return QVariant();
}

TJob *StoredFormatsModel::formatAt(int row) const {
    if (row < 0 || row >= count())
        return nullptr;
    return formats_[std::size_t(row)].get();
}

QString StoredFormatsModel::nameAt(int row) const {
    if (row < 0 || row >= count())
        return QString();
    return names_[std::size_t(row)];
}

int StoredFormatsModel::findFormat(const QString &name) const {
    for (int row = 0; row < count(); ++row) {
        if (names_[std::size_t(row)].compare(name, Qt::CaseInsensitive) == 0)
            return row;
    }
    return -1;
}

int StoredFormatsModel::storeFormat(const QString &typed, const TJob &job) {
    const QString stored = nameAsStored(typed);
    const QString &name = stored.isEmpty() ? typed : stored;
    int row = findFormat(name);
    const bool added = row < 0;
    if (added) {
        row = count();
        beginInsertRows(QModelIndex(), row, row);
        formats_.push_back(std::make_unique<TJob>());
        names_.push_back(name);
        origin_.push_back(-1);
    }
    TJob &format = *formats_[std::size_t(row)];
    format.CopyFrom(job);
    format.Name.set(name);
    // Cut to its capacity, the name may end in a blank again.
    format.Name.set(nameAsStored(format.Name));
    if (added) {
        endInsertRows();
        emit formatsChanged();
    } else {
        emit dataChanged(index(row), index(row));
    }
    emit edited();
    return row;
}

void StoredFormatsModel::removeAt(int row) {
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    formats_.erase(formats_.begin() + row);
    names_.erase(names_.begin() + row);
    origin_.erase(origin_.begin() + row);
    endRemoveRows();
    emit formatsChanged();
    emit edited();
}
