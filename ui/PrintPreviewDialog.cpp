#include "ui/PrintPreviewDialog.h"

#include <QApplication>
#include <QCache>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

#include "model/Job.h"
#include "print/PagePreview.h"
#include "ui/FitCache.h"

namespace {

constexpr int Gap = 16;            // pixels between pages
constexpr int CaptionHeight = 22;  // the line above each page
constexpr double MinZoom = 0.05;   // pixels to the millimetre
constexpr double MaxZoom = 12.0;

QString Millimetres(double mm) {
    return QLocale(QLocale::German).toString(mm, 'f', std::abs(mm - std::round(mm)) < 0.05 ? 0 : 1);
}

}  // namespace

// The pages in a row along the ribbon, top-aligned, each under its caption.
// Only the pages the paint event touches are drawn; drawn pages are kept as
// pixmaps for the current zoom, so scrolling back costs nothing.
class PreviewPagesWidget : public QWidget {
public:
    explicit PreviewPagesWidget(const PagePreview &preview, QWidget *parent)
        : QWidget(parent), preview_(preview), cache_(96 * 1024) {  // KiB
        setAttribute(Qt::WA_OpaquePaintEvent);
        relayout();
    }

    double zoom() const { return zoom_; }
    void setZoom(double pxPerMm) {
        zoom_ = std::clamp(pxPerMm, MinZoom, MaxZoom);
        cache_.clear();
        relayout();
        update();
    }
    double tallestPageMm() const {
        double tallest = 0;
        for (const PagePreview::Page &page : preview_.pages())
            tallest = std::max(tallest, page.widthMm);
        return tallest;
    }
    // The page drawn at a point of the widget, -1 for none.
    int pageAt(QPoint p) const {
        for (std::size_t i = 0; i < rects_.size(); ++i) {
            if (rects_[i].contains(p))
                return int(i);
        }
        return -1;
    }
    // Pages drawn since the widget was made (what scrolling has brought into view).
    int pagesDrawn() const { return drawn_; }
    QRect pageRect(std::size_t i) const { return i < rects_.size() ? rects_[i] : QRect(); }

protected:
    void paintEvent(QPaintEvent *event) override {
        QPainter painter(this);
        painter.fillRect(event->rect(), palette().color(QPalette::Dark));
        const auto &pages = preview_.pages();
        for (std::size_t i = 0; i < pages.size(); ++i) {
            const QRect page = rects_[i];
            const QRect caption(page.left(), page.top() - CaptionHeight, std::max(page.width(), 1),
                                CaptionHeight);
            if (!event->rect().intersects(page.united(caption)))
                continue;
            painter.setPen(palette().color(QPalette::BrightText));
            painter.drawText(caption.adjusted(0, 0, 400, 0), Qt::AlignLeft | Qt::AlignVCenter,
                             Caption(pages[i]));
            if (!event->rect().intersects(page))
                continue;
            painter.drawPixmap(page.topLeft(), pixmap(i));
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(page.adjusted(0, 0, -1, -1));
        }
    }

private:
    static QString Caption(const PagePreview::Page &page) {
        return QStringLiteral("Seite %1 \u00B7 %2 \u00D7 %3 mm \u00B7 %4")
            .arg(page.number)
            .arg(Millimetres(page.lengthMm), Millimetres(page.widthMm),
                 PagePreview::RoleName(page.role));
    }

    QPixmap pixmap(std::size_t i) {
        if (const QPixmap *kept = cache_.object(int(i)))
            return *kept;
        const QRect r = rects_[i];
        QImage image(std::max(r.width(), 1), std::max(r.height(), 1), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            preview_.drawPage(i, painter, zoom_);
        }
        ++drawn_;
        auto *pix = new QPixmap(QPixmap::fromImage(image));
        const QPixmap copy = *pix;
        cache_.insert(int(i), pix, int(std::max<qint64>(1, qint64(image.sizeInBytes()) / 1024)));
        return copy;
    }

    void relayout() {
        rects_.clear();
        int x = Gap;
        int bottom = 0;
        for (const PagePreview::Page &page : preview_.pages()) {
            const int w = std::max(1, int(std::lround(page.lengthMm * zoom_)));
            const int h = std::max(1, int(std::lround(page.widthMm * zoom_)));
            rects_.emplace_back(x, Gap + CaptionHeight, w, h);
            x += w + Gap;
            bottom = std::max(bottom, Gap + CaptionHeight + h);
        }
        setFixedSize(std::max(x, 200), bottom + Gap);
    }

    const PagePreview &preview_;
    QCache<int, QPixmap> cache_;
    std::vector<QRect> rects_;
    double zoom_ = 1.0;
    int drawn_ = 0;
};

PrintPreviewDialog::PrintPreviewDialog(std::unique_ptr<PagePreview> preview,
                                       const QString &printerName, const RenderContext &context,
                                       QWidget *parent)
    : QDialog(parent), preview_(std::move(preview)) {
    setObjectName(QStringLiteral("PrintPreviewDialog"));
    setWindowTitle(QStringLiteral("Seitenvorschau"));
    resize(900, 520);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("PreviewSummary"));
    summary_->setWordWrap(true);
    const auto &pages = preview_->pages();
    QString text =
        QStringLiteral("%1 %2, %3 m Papier \u00B7 Drucker \u201E%4\u201C")
            .arg(pages.size())
            .arg(pages.size() == 1 ? QStringLiteral("Seite") : QStringLiteral("Seiten"))
            .arg(QLocale(QLocale::German).toString(preview_->paperLengthMm() / 1000, 'f', 2))
            .arg(printerName);
    const PrintRun &run = preview_->run();
    for (const TJob *job : preview_->leftOut()) {
        text += QStringLiteral("\nAusgelassen (andere Breite): Schleife %1, %2 mm breit")
                    .arg(run.jobs.indexOf(job) + 1)
                    .arg(job->Breite);
    }
    for (qsizetype i = 0; i < run.jobs.size(); ++i) {
        const std::vector<FitFinding> &findings = FitFindings(context, *run.jobs[i]);
        if (findings.empty() || preview_->leftOut().contains(run.jobs[i]))
            continue;
        QStringList said;
        for (const FitFinding &finding : findings)
            said << finding.message();
        text += QStringLiteral("\nSchleife %1: %2").arg(i + 1).arg(said.join(QLatin1Char(' ')));
    }
    if (!preview_->failure().isEmpty())
        text += QStringLiteral("\nDer Druck w\u00FCrde fehlschlagen: %1").arg(preview_->failure());
    summary_->setText(text);

    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("PreviewPages"));
    scroll_->setBackgroundRole(QPalette::Dark);
    pages_ = new PreviewPagesWidget(*preview_, scroll_);
    scroll_->setWidget(pages_);
    scroll_->viewport()->installEventFilter(this);

    auto *fit = new QPushButton(QStringLiteral("&Einpassen"), this);
    fit->setObjectName(QStringLiteral("PreviewFit"));
    auto *actual = new QPushButton(QStringLiteral("&100 %"), this);
    actual->setObjectName(QStringLiteral("PreviewActual"));
    auto *buttons = new QDialogButtonBox(this);
    QPushButton *print =
        buttons->addButton(QStringLiteral("&Drucken"), QDialogButtonBox::AcceptRole);
    print->setObjectName(QStringLiteral("PreviewPrint"));
    print->setEnabled(!pages.empty());
    QPushButton *close =
        buttons->addButton(QStringLiteral("Schlie\u00DFen"), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("PreviewClose"));
    connect(fit, &QPushButton::clicked, this, &PrintPreviewDialog::zoomToFit);
    connect(actual, &QPushButton::clicked, this, &PrintPreviewDialog::zoomToActualSize);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        printRequested_ = true;
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *bottom = new QHBoxLayout();
    bottom->addWidget(fit);
    bottom->addWidget(actual);
    bottom->addStretch(1);
    bottom->addWidget(buttons);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(summary_);
    layout->addWidget(scroll_, 1);
    layout->addLayout(bottom);

    QMetaObject::invokeMethod(this, &PrintPreviewDialog::zoomToFit, Qt::QueuedConnection);
}

PrintPreviewDialog::~PrintPreviewDialog() = default;

double PrintPreviewDialog::zoom() const {
    return pages_->zoom();
}

void PrintPreviewDialog::setZoom(double pxPerMm) {
    pages_->setZoom(pxPerMm);
}

void PrintPreviewDialog::zoomToFit() {
    const double tallest = pages_->tallestPageMm();
    if (tallest <= 0)
        return;
    const int room = scroll_->viewport()->height() - 2 * Gap - CaptionHeight -
                     scroll_->horizontalScrollBar()->sizeHint().height();
    setZoom(std::max(room, 40) / tallest);
}

void PrintPreviewDialog::zoomToActualSize() {
    const QScreen *screen = this->screen();
    const double dpi = screen ? screen->physicalDotsPerInch() : 96.0;
    setZoom((dpi > 0 ? dpi : 96.0) / 25.4);
}

bool PrintPreviewDialog::eventFilter(QObject *watched, QEvent *event) {
    if (watched == scroll_->viewport() && event->type() == QEvent::Wheel) {
        auto *wheel = static_cast<QWheelEvent *>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int steps = wheel->angleDelta().y() / 120;
            if (steps != 0)
                setZoom(zoom() * std::pow(1.25, steps));
            return true;
        }
        if (!(wheel->modifiers() & Qt::ShiftModifier) && wheel->angleDelta().x() == 0) {
            // The pages run sideways: the wheel scrolls along them.
            QScrollBar *bar = scroll_->horizontalScrollBar();
            bar->setValue(bar->value() - wheel->angleDelta().y());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
