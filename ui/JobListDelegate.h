#pragma once

#include <QRect>
#include <QStyledItemDelegate>

#include <functional>

#include "render/CanvasMapping.h"
#include "render/RenderContext.h"

class JobListModel;
class RibbonCanvas;
class TJob;

constexpr int JobItemHeight = 70;

// The mapping that shows a ribbon of `laenge` x `breite` millimetres in a list
// item: one scale for both axes, the ribbon filling 9/10 of the item in the
// tighter direction, centred. Device units are the item's pixels.
CanvasMapping JobItemMapping(int laenge, int breite, const QRect &item);

// Draws one ribbon preview into `item` (device units of the canvas): white
// ground, the ribbon's outline filled white, or yellow for the selected
// ribbon (pale yellow when the display has more than 256 colours), then the
// ribbon itself with both ends, clipped to the item.
void DrawJobItem(const RenderContext &context, RibbonCanvas &canvas, const TJob &job,
                 const QRect &item, bool selected, int colorDepth);

// Marks in red, over a preview drawn into `item`, where the ribbon's texts or
// pictures do not fit (beyond an end or edge, or the two ends overlapping).
void DrawFitMarkers(const RenderContext &context, QPainter &painter, const TJob &job,
                    const QRect &item);

// Draws the items of the ribbon list as previews; the focused item carries a
// dotted focus frame while the list has the keyboard focus.
class JobListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    JobListDelegate(const JobListModel *model, QObject *parent = nullptr);

    void setColorDepth(int depth) { colorDepth_ = depth; }
    // Where each item's drawing takes its context from (default: the defaults).
    void setContextSource(std::function<RenderContext()> source) {
        contextSource_ = std::move(source);
    }

    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    const JobListModel *model_;
    int colorDepth_ = 24;
    std::function<RenderContext()> contextSource_;
};
