#include "ui/PrintPreviewDialog.h"

#include <QApplication>
#include <QCache>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <utility>

#include "model/Job.h"
#include "model/Lengths.h"
#include "print/PagePreview.h"
#include "ui/FitCache.h"

namespace {

constexpr int Gap = 16;            // pixels between pages
constexpr int CaptionHeight = 22;  // the line above each page
constexpr double MinZoom = 0.05;   // pixels to the millimetre
constexpr double MaxZoom = 12.0;

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
            const QRect caption = captionRect(i);
            const QRect marked = page.adjusted(-3, -3, 3, 3);
            if (!event->rect().intersects(marked.united(caption)))
                continue;
            painter.setPen(palette().color(QPalette::BrightText));
            painter.drawText(caption, Qt::AlignLeft | Qt::AlignVCenter, captionText(i));
            if (!event->rect().intersects(marked))
                continue;
            painter.drawPixmap(page.topLeft(), pixmap(i));
            painter.setPen(QPen(Qt::black, 1));
            painter.setBrush(Qt::NoBrush);
            painter.drawRect(page.adjusted(0, 0, -1, -1));
            if (int(i) == current_) {
                painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
                painter.drawRect(marked.adjusted(1, 1, -1, -1));
            }
        }
    }

public:
    // The caption of a page: the whole line where the page leaves room for
    // it, shorter forms where it is narrow, so that captions never run into
    // each other when zoomed out.
    QString captionText(std::size_t i) const {
        const QStringList forms = CaptionForms(preview_.pages().at(i));
        const int room = captionRect(i).width();
        for (const QString &form : forms) {
            if (fontMetrics().horizontalAdvance(form) <= room)
                return form;
        }
        return forms.last();
    }
    // The caption's own room: the page's column, as wide as the page or its number.
    QRect captionRect(std::size_t i) const {
        if (i >= slots_.size())
            return QRect();
        return QRect(slots_[i].left(), rects_[i].top() - CaptionHeight, slots_[i].width(),
                     CaptionHeight);
    }
    int current() const { return current_; }
    void setCurrent(int page) {
        current_ = page;
        update();
    }

private:
    static QStringList CaptionForms(const PagePreview::Page &page) {
        const QString number = QStringLiteral("Seite %1").arg(page.number);
        const QString size = QStringLiteral("%1 \u00D7 %2 mm")
                                 .arg(GermanLength(page.lengthMm, LengthUnit::None),
                                      GermanLength(page.widthMm, LengthUnit::None));
        return {number + QStringLiteral(" \u00B7 ") + size + QStringLiteral(" \u00B7 ") +
                    PagePreview::RoleName(page.role),
                number + QStringLiteral(" \u00B7 ") + size, number, QString::number(page.number)};
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
        slots_.clear();
        int x = Gap;
        int bottom = 0;
        for (const PagePreview::Page &page : preview_.pages()) {
            const int w = std::max(1, int(std::lround(page.lengthMm * zoom_)));
            const int h = std::max(1, int(std::lround(page.widthMm * zoom_)));
            // However small the page, its column keeps room for its number.
            const int column =
                std::max(w, fontMetrics().horizontalAdvance(CaptionForms(page).at(2)));
            rects_.emplace_back(x, Gap + CaptionHeight, w, h);
            slots_.emplace_back(x, 0, column, 1);
            x += column + Gap;
            bottom = std::max(bottom, Gap + CaptionHeight + h);
        }
        setFixedSize(std::max(x, 200), bottom + Gap);
    }

    const PagePreview &preview_;
    QCache<int, QPixmap> cache_;
    std::vector<QRect> rects_;
    std::vector<QRect> slots_;  // each page's column: its caption's room
    double zoom_ = 1.0;
    int current_ = 0;  // the page the keys move from
    int drawn_ = 0;
};

PrintPreviewDialog::PrintPreviewDialog(std::unique_ptr<PagePreview> preview,
                                       const QString &printerName, const RenderContext &context,
                                       QWidget *parent)
    : QDialog(parent), preview_(std::move(preview)) {
    setObjectName(QStringLiteral("PrintPreviewDialog"));
    // The caption says how much ribbon each width takes.
    const QString paper = preview_->paperPerWidth();
    setWindowTitle(paper.isEmpty() ? QStringLiteral("Seitenvorschau")
                                   : QStringLiteral("Seitenvorschau \u2013 %1").arg(paper));
    resize(900, 520);

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("PreviewSummary"));
    summary_->setWordWrap(true);
    const auto &pages = preview_->pages();
    QString text = QStringLiteral("%1 %2, %3 m Papier \u00B7 Drucker \u201E%4\u201C")
                       .arg(pages.size())
                       .arg(pages.size() == 1 ? QStringLiteral("Seite") : QStringLiteral("Seiten"))
                       .arg(GermanLength(preview_->paperLengthMm() / 1000, LengthUnit::None, 2))
                       .arg(printerName);
    const PrintRun &run = preview_->run();
    // By widths: each width with its ribbons and where its pages begin.
    for (int g = 0; g < preview_->groups().size(); ++g) {
        const auto first = std::find_if(pages.begin(), pages.end(),
                                        [g](const PagePreview::Page &p) { return p.group == g; });
        text += QLatin1Char('\n') + WidthGroupLine(preview_->groups()[g]);
        if (first != pages.end())
            text += QStringLiteral(" \u2013 ab Seite %1").arg(first->number);
    }
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

    // The keys of a document reader move through the pages.
    const std::array<std::pair<QKeySequence, std::function<int()>>, 4> keys{{
        {QKeySequence(Qt::Key_Home), [] { return 0; }},
        {QKeySequence(Qt::Key_End), [this] { return int(preview_->pages().size()) - 1; }},
        {QKeySequence(Qt::Key_PageUp), [this] { return currentPage() - 1; }},
        {QKeySequence(Qt::Key_PageDown), [this] { return currentPage() + 1; }},
    }};
    for (const auto &[key, target] : keys) {
        auto *shortcut = new QShortcut(key, this);
        connect(shortcut, &QShortcut::activated, this, [this, target] { showPage(target()); });
    }
    // Scrolled by hand: the keys go on from the first page in view.
    connect(scroll_->horizontalScrollBar(), &QScrollBar::valueChanged, this, [this](int value) {
        if (scrollingToPage_)
            return;
        for (std::size_t i = 0; i < preview_->pages().size(); ++i) {
            if (pages_->pageRect(i).right() >= value) {
                pages_->setCurrent(int(i));
                return;
            }
        }
    });

    QMetaObject::invokeMethod(this, &PrintPreviewDialog::zoomToFit, Qt::QueuedConnection);
}

int PrintPreviewDialog::currentPage() const {
    return pages_->current();
}

void PrintPreviewDialog::showPage(int page) {
    const int count = int(preview_->pages().size());
    if (count == 0)
        return;
    page = std::clamp(page, 0, count - 1);
    pages_->setCurrent(page);
    const QRect rect = pages_->pageRect(std::size_t(page));
    const QScopedValueRollback scrolling(scrollingToPage_, true);
    scroll_->horizontalScrollBar()->setValue(rect.left() - Gap);
}

QRect PrintPreviewDialog::pageRect(int page) const {
    return pages_->pageRect(std::size_t(page));
}

QRect PrintPreviewDialog::captionRect(int page) const {
    return pages_->captionRect(std::size_t(page));
}

QString PrintPreviewDialog::captionText(int page) const {
    return pages_->captionText(std::size_t(page));
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
