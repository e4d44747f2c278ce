#pragma once

#include <QObject>
#include <memory>
#include <vector>

class TJob;

// The day's ribbons in list order and the one being edited: what the window
// shows, the order list fills and the session keeps against a crash, without
// a window. The list owns its ribbons; a ribbon is destroyed when it leaves.
// Lives on the GUI thread: view models hear of each change before and after
// it (the "about to" signals come first, as a Qt view model needs them).
class RibbonList : public QObject {
    Q_OBJECT
public:
    explicit RibbonList(QObject *parent = nullptr);
    ~RibbonList() override;

    int count() const { return int(ribbons_.size()); }
    // The ribbon of a row; null for a row that names none.
    TJob *at(int row) const;
    // Where a ribbon stands; -1 when it is not listed.
    int rowOf(const TJob *ribbon) const;
    // Every ribbon, in order.
    std::vector<const TJob *> listed() const;

    void append(std::unique_ptr<TJob> ribbon);
    // Several at once, in their order; `ribbons` is left empty.
    void append(std::vector<std::unique_ptr<TJob>> &ribbons);
    // The current ribbon, when it leaves, is none any more.
    void removeAt(int row);
    void clear();

    // The ribbon being edited; null when none is. A ribbon that leaves the
    // list is current no more.
    TJob *current() const { return current_; }
    // A new ribbon may be made current just before it is appended.
    void setCurrent(TJob *ribbon);

    // A ribbon's texts or sizes changed (row -1: every ribbon).
    void ribbonChanged(int row);

signals:
    void aboutToInsert(int first, int last);
    void inserted();
    void aboutToRemove(int row);
    void removed();
    void aboutToReset();
    void wasReset();
    void changed(int first, int last);
    void currentChanged(TJob *ribbon);

private:
    std::vector<std::unique_ptr<TJob>> ribbons_;
    TJob *current_ = nullptr;
};
