#include "ui/FormatSnapshot.h"

#include <QHash>
#include <QMutex>
#include <QMutexLocker>
#include <vector>

#include "model/Job.h"
#include "model/StoredFormatsModel.h"

namespace {

using Layouts = QHash<QString, std::shared_ptr<const TJob>>;

}  // namespace

struct FormatSnapshot::State {
    mutable QMutex mutex;
    std::shared_ptr<const Layouts> current = std::make_shared<const Layouts>();
    // Every copy ever handed out: formats change a few times a day at most.
    std::vector<std::shared_ptr<const Layouts>> kept;
};

FormatSnapshot::FormatSnapshot() : state_(std::make_unique<State>()) {}

FormatSnapshot::~FormatSnapshot() = default;

void FormatSnapshot::take(const StoredFormatsModel &formats) {
    auto layouts = std::make_shared<Layouts>();
    for (int row = 0; row < formats.count(); ++row) {
        const QString key = formats.nameAt(row).toCaseFolded();
        if (layouts->contains(key))
            continue;  // the first of a name, as the format menu finds it
        auto copy = std::make_shared<TJob>();
        formats.formatAt(row)->CopyTo(*copy);
        layouts->insert(key, std::move(copy));
    }
    const QMutexLocker lock(&state_->mutex);
    state_->kept.push_back(state_->current);
    state_->current = std::move(layouts);
}

const TJob *FormatSnapshot::find(const QString &name) const {
    std::shared_ptr<const Layouts> layouts;
    {
        const QMutexLocker lock(&state_->mutex);
        layouts = state_->current;
    }
    const auto found = layouts->constFind(name.trimmed().toCaseFolded());
    return found == layouts->constEnd() ? nullptr : found->get();
}

StoredFormatLookup FormatSnapshot::LookupOver(std::shared_ptr<FormatSnapshot> snapshot) {
    return [snapshot = std::move(snapshot)](const QString &name) { return snapshot->find(name); };
}
