#include "print/PagePreview.h"

#include <QPainter>

#include "print/PrintCommand.h"
#include "print/RecordingPrinter.h"
#include "render/QPainterCanvas.h"
#include "render/Replay.h"

PagePreview::PagePreview(const RibbonPrinter &printer, PrintRun run, const PrintSettings &settings,
                         const RenderContext &context, bool byWidth)
    : run_(std::move(run)) {
    RecordingPrinter::Config config;
    const int index = printer.printerIndex();
    config.printers = {index >= 0 ? printer.printers().value(index) : QString()};
    config.hasDeviceSettings = printer.deviceSettings(&config.driverDefaults);
    // The pages get exactly the metrics the real printer would give them.
    config.metricsFor = [&printer](const DeviceSettings &s) { return printer.pageMetrics(s); };
    recorder_ = std::make_unique<RecordingPrinter>(config);
    recorder_->selectPrinter(0);
    if (byWidth && settings.printsAnything())
        groups_ = WidthGroupsOf(run_);
    if (groups_.size() < 2)
        groups_.clear();
    // Which width each recorded page belongs to.
    std::vector<int> groupOf;
    if (groups_.isEmpty()) {
        failure_ = RunPrintMethod(*recorder_, run_, settings, context);
    } else {
        for (int g = 0; g < groups_.size() && failure_.isEmpty(); ++g) {
            PrintRun part = WidthGroupRun(run_, groups_[g]);
            failure_ = RunPrintMethod(*recorder_, part, settings, context);
            groupOf.resize(recorder_->pages().size(), g);
        }
    }
    // Done with the real printer: the metrics stay with the recorded pages.
    int number = 0;
    for (std::size_t i = 0; i < recorder_->pages().size(); ++i) {
        const RecordingPrinter::Page &page = recorder_->pages()[i];
        if (page.discarded)
            continue;
        pages_.push_back(Page{++number, page.role, page.widthMm, page.heightMm, int(i),
                              i < groupOf.size() ? groupOf[i] : 0});
    }
}

QString PagePreview::paperPerWidth() const {
    QList<WidthGroup> paper;
    if (groups_.isEmpty()) {
        const QList<WidthGroup> widths = WidthGroupsOf(run_);
        if (widths.isEmpty())
            return QString();
        // One run prints the first width only.
        paper << WidthGroup{widths.front().width, {}, 0};
    } else {
        for (const WidthGroup &group : groups_)
            paper << WidthGroup{group.width, {}, 0};
    }
    std::vector<double> total(std::size_t(paper.size()), 0.0);
    for (const Page &page : pages_) {
        if (page.group >= 0 && std::size_t(page.group) < total.size())
            total[std::size_t(page.group)] += page.lengthMm;
    }
    for (int g = 0; g < paper.size(); ++g)
        paper[g].lengthMm = std::int64_t(total[std::size_t(g)] + 0.5);
    return MetresPerWidth(paper);
}

PagePreview::~PagePreview() = default;

double PagePreview::paperLengthMm() const {
    double total = 0;
    for (const Page &page : pages_)
        total += page.lengthMm;
    return total;
}

void PagePreview::drawPage(std::size_t index, QPainter &painter, double pxPerMm) const {
    if (index >= pages_.size())
        return;
    const Page &page = pages_[index];
    const RecordingPrinter::Page &recorded = recorder_->pages()[std::size_t(page.recorded)];
    const QRectF paper(0, 0, page.lengthMm * pxPerMm, page.widthMm * pxPerMm);
    painter.save();
    painter.fillRect(paper, Qt::white);
    painter.setClipRect(paper, Qt::IntersectClip);
    // The recorded operations are in the printer's pixels.
    const PageMetrics &m = recorded.metrics;
    const double devicePerMm = m.HS > 0 && m.HR > 0 ? double(m.HR) / m.HS : 600 / 25.4;
    painter.scale(pxPerMm / devicePerMm, pxPerMm / devicePerMm);
    {
        QPainterCanvas canvas(painter, true);
        ReplayOps(recorded.canvas->ops(), canvas);
    }
    painter.restore();
}

QString PagePreview::RoleName(PageRole role) {
    switch (role) {
        case PageRole::Strip:
            return QStringLiteral("Streifen");
        case PageRole::Feed:
            return QStringLiteral("Vorschub");
        case PageRole::Start:
            return QStringLiteral("Anfang");
        case PageRole::Middle:
            return QStringLiteral("Mitte");
        case PageRole::Filler:
            return QStringLiteral("F\u00FCllst\u00FCck");
        case PageRole::End:
            return QStringLiteral("Ende");
        case PageRole::Sheet:
            break;
    }
    return QStringLiteral("Blatt");
}
