#include "ui/JobListDelegate.h"

#include <QPainter>
#include <algorithm>
#include <climits>

#include "model/Job.h"
#include "render/DrawJob.h"
#include "render/QPainterCanvas.h"
#include "ui/FitCache.h"
#include "ui/JobListModel.h"

namespace {

constexpr ColorRef White = RgbColor(255, 255, 255);
constexpr ColorRef Black = RgbColor(0, 0, 0);
constexpr ColorRef PaleYellow = RgbColor(255, 255, 208);
constexpr ColorRef Yellow = RgbColor(255, 255, 0);

// A tenth more than the ribbon, so it fills 9/10 of the item. Job values come
// from the settings file unchecked, so the product must not overflow.
int WithBorder(int millimetres) {
    const long long extent = static_cast<long long>(millimetres) * 10 / 9;
    return int(std::clamp<long long>(extent, INT_MIN, INT_MAX));
}

}  // namespace

CanvasMapping JobItemMapping(int laenge, int breite, const QRect &item) {
    CanvasMapping mapping;
    mapping.setMode(CanvasMapping::Mode::Isotropic);
    // A zero extent is refused and the previous one stays, as on a device.
    mapping.setWindowExt(QSize(WithBorder(laenge), WithBorder(breite)));
    mapping.setViewportExt(QSize(item.width(), JobItemHeight));
    const QPoint size = mapping.logicalToDevice(QPoint(laenge, breite));
    mapping.setViewportOrg(QPoint(item.left() + (item.width() - size.x()) / 2,
                                  item.top() + (JobItemHeight - size.y()) / 2));
    mapping.setWindowOrg(QPoint(0, 0));
    return mapping;
}

void DrawJobItem(const RenderContext &settings, RibbonCanvas &canvas, const TJob &job,
                 const QRect &item, bool selected, int colorDepth) {
    canvas.fillRect(item, White);
    canvas.selectFont(0);
    canvas.setBrush(White);
    canvas.setPen(Black, 0);
    canvas.saveState();
    const CanvasMapping saved = canvas.mapping();

    const QRect deviceItem = item;
    canvas.setMapping(JobItemMapping(job.Laenge, job.Breite, item));
    const ColorRef fill = !selected ? White : colorDepth > 8 ? PaleYellow : Yellow;
    canvas.setBrush(fill);
    canvas.setPen(Black, 0);
    canvas.rectangle(QRect(0, 0, job.Laenge, job.Breite));

    const QPoint topLeft = canvas.deviceToLogical(deviceItem.topLeft());
    const QPoint bottomRight = canvas.deviceToLogical(
        QPoint(deviceItem.left() + deviceItem.width(), deviceItem.top() + deviceItem.height()));
    canvas.setClipRect(
        QRect(topLeft, QSize(bottomRight.x() - topLeft.x(), bottomRight.y() - topLeft.y())));
    canvas.setTextColor(job.FontFarbe);
    RenderContext context = settings;
    context.DrawOrigin = QPoint(0, 0);
    DrawJob(context, job, canvas, PreviewScale, PreviewFlags);

    canvas.setClipRect(QRect());
    canvas.selectFont(0);
    canvas.setBrush(Black);
    canvas.setPen(Black, 0);
    canvas.setMapping(saved);
    canvas.restoreState();
}

void DrawFitMarkers(const RenderContext &context, QPainter &painter, const TJob &job,
                    const QRect &item) {
    const std::vector<FitFinding> &findings = FitFindings(context, job);
    if (findings.empty())
        return;
    // Red where the ink runs over; the mapping is the item's, one unit a millimetre.
    const CanvasMapping mapping = JobItemMapping(job.Laenge, job.Breite, item);
    painter.save();
    painter.setPen(QPen(QColor(220, 0, 0), 2));
    painter.setBrush(QColor(255, 0, 0, 60));
    for (const FitFinding &finding : findings) {
        const QRectF mm = finding.regionMm;
        if (mm.isEmpty())
            continue;
        const QPointF topLeft = mapping.logicalToDeviceF(mm.topLeft());
        const QPointF bottomRight = mapping.logicalToDeviceF(mm.bottomRight());
        QRectF marker = QRectF(topLeft, bottomRight).normalized();
        // A sliver of a millimetre still shows.
        if (marker.width() < 3)
            marker.adjust(-1.5, 0, 1.5, 0);
        painter.drawRect(marker.intersected(QRectF(item)));
    }
    painter.restore();
}

JobListDelegate::JobListDelegate(const JobListModel *model, QObject *parent)
    : QStyledItemDelegate(parent), model_(model) {}

void JobListDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                            const QModelIndex &index) const {
    const TJob *job = model_->jobAt(index.row());
    if (!job)
        return;
    painter->save();
    painter->setClipRect(option.rect);
    const RenderContext context = contextSource_ ? contextSource_() : RenderContext();
    {
        QPainterCanvas canvas(*painter);
        DrawJobItem(context, canvas, *job, option.rect, option.state & QStyle::State_Selected,
                    colorDepth_);
    }
    DrawFitMarkers(context, *painter, *job, option.rect);
    if (option.state & QStyle::State_HasFocus) {
        QPen dotted(Qt::black, 1, Qt::DotLine);
        painter->setPen(dotted);
        painter->setBrush(Qt::NoBrush);
        painter->drawRect(option.rect.adjusted(0, 0, -1, -1));
    }
    painter->restore();
}

QSize JobListDelegate::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const {
    return QSize(option.rect.width(), JobItemHeight);
}
