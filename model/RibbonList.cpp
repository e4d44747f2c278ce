#include "model/RibbonList.h"

#include "model/Job.h"

RibbonList::RibbonList(QObject *parent) : QObject(parent) {}

RibbonList::~RibbonList() = default;

TJob *RibbonList::at(int row) const {
    if (row < 0 || row >= count())
        return nullptr;
    return ribbons_[std::size_t(row)].get();
}

int RibbonList::rowOf(const TJob *ribbon) const {
    for (std::size_t i = 0; i < ribbons_.size(); ++i) {
        if (ribbons_[i].get() == ribbon)
            return int(i);
    }
    return -1;
}

std::vector<const TJob *> RibbonList::listed() const {
    std::vector<const TJob *> ribbons;
    ribbons.reserve(ribbons_.size());
    for (const auto &ribbon : ribbons_)
        ribbons.push_back(ribbon.get());
    return ribbons;
}

void RibbonList::append(std::unique_ptr<TJob> ribbon) {
    if (!ribbon)
        return;
    emit aboutToInsert(count(), count());
    ribbons_.push_back(std::move(ribbon));
    emit inserted();
}

void RibbonList::append(std::vector<std::unique_ptr<TJob>> &ribbons) {
    std::vector<std::unique_ptr<TJob>> taken;
    taken.swap(ribbons);
    std::erase(taken, nullptr);
    if (taken.empty())
        return;
    emit aboutToInsert(count(), count() + int(taken.size()) - 1);
    for (auto &ribbon : taken)
        ribbons_.push_back(std::move(ribbon));
    emit inserted();
}

void RibbonList::removeAt(int row) {
    if (row < 0 || row >= count())
        return;
    if (ribbons_[std::size_t(row)].get() == current_)
        setCurrent(nullptr);
    emit aboutToRemove(row);
    // Taken out of the list first, destroyed after the views have let go.
    std::unique_ptr<TJob> gone = std::move(ribbons_[std::size_t(row)]);
    ribbons_.erase(ribbons_.begin() + row);
    emit removed();
}

void RibbonList::clear() {
    if (ribbons_.empty())
        return;
    setCurrent(nullptr);
    emit aboutToReset();
    std::vector<std::unique_ptr<TJob>> gone;
    gone.swap(ribbons_);
    emit wasReset();
}

void RibbonList::setCurrent(TJob *ribbon) {
    if (ribbon == current_)
        return;
    current_ = ribbon;
    emit currentChanged(ribbon);
}

void RibbonList::ribbonChanged(int row) {
    if (ribbons_.empty())
        return;
    if (row < 0)
        emit changed(0, count() - 1);
    else if (row < count())
        emit changed(row, row);
}
