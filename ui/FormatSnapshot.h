#pragma once

#include <QString>
#include <memory>

#include "model/OrderFile.h"

class StoredFormatsModel;

// The stored formats' layouts as a lookup that another thread may call (the
// order inbox's reader): a copy of the formats, taken anew whenever they
// change. Copies handed out stay alive as long as the snapshot does, so a
// layout found just before a change stays valid for the reader using it.
class FormatSnapshot {
public:
    FormatSnapshot();
    ~FormatSnapshot();
    FormatSnapshot(const FormatSnapshot &) = delete;
    FormatSnapshot &operator=(const FormatSnapshot &) = delete;

    // Copies the formats as they are now (on the GUI thread).
    void take(const StoredFormatsModel &formats);
    // The layout stored under `name` (any letter case), or null.
    const TJob *find(const QString &name) const;

    // A lookup over the snapshot; it keeps the snapshot alive.
    static StoredFormatLookup LookupOver(std::shared_ptr<FormatSnapshot> snapshot);

private:
    struct State;
    std::unique_ptr<State> state_;
};
