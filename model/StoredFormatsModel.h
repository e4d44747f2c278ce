#pragma once

#include <QAbstractListModel>
#include <QString>
#include <vector>

#include "model/StoredFormats.h"

class SettingsFile;
class TJob;

// The stored formats of the whole run, one row per format in the settings
// file's order, new formats at the end. A row's text is the name the format
// was listed under (its Name may be cut shorter). Read once at start-up; the
// workspace writes them back shortly after each change and at shut-down,
// merged with what the file holds then.
class StoredFormatsModel : public QAbstractListModel {
    Q_OBJECT
public:
    explicit StoredFormatsModel(QObject *parent = nullptr);
    ~StoredFormatsModel() override;

    // Replaces the list by the formats of `settings`; none without a file.
    void read(SettingsFile *settings);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    int count() const { return int(formats_.size()); }
    TJob *formatAt(int row) const;
    QString nameAt(int row) const;
    // The row listed under `name` in any letter case, or -1.
    int findFormat(const QString &name) const;
    // Stores `job`'s values under `name`: into the format of that name (in
    // any letter case) or a new one. Returns its row. The name is taken as
    // the settings file will give it back (without blanks around it).
    int storeFormat(const QString &name, const TJob &job);
    void removeAt(int row);

    const StoredFormatList &formats() const { return formats_; }
    // The formats as read at start, and where each listed format came from
    // among them (-1: stored in this run), to tell what this run changed.
    const StoredFormatList &formatsRead() const { return read_; }
    const std::vector<int> &formatOrigin() const { return origin_; }
    // After a save: the formats as they are now count as read, so that the
    // next save carries only what changed since.
    void rebase();

signals:
    // The list lost or gained a format; the menu of formats follows it.
    void formatsChanged();
    // A format was stored, changed or deleted (not sent by read()).
    void edited();

private:
    StoredFormatList formats_;
    std::vector<QString> names_;
    StoredFormatList read_;
    std::vector<int> origin_;
};
