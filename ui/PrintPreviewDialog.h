#pragma once

#include <QDialog>
#include <QRect>
#include <QString>
#include <memory>

class PagePreview;
struct RenderContext;
class QLabel;
class QScrollArea;
class PreviewPagesWidget;

// "Seitenvorschau": the pages a print run would produce, side by side along
// the ribbon, each to scale with its number, size and role; the ribbons the
// width rule would leave out; the totals. Pages are drawn only when they come
// into view. "Drucken" closes the preview and asks for printing.
class PrintPreviewDialog : public QDialog {
    Q_OBJECT
public:
    PrintPreviewDialog(std::unique_ptr<PagePreview> preview, const QString &printerName,
                       const RenderContext &context, QWidget *parent = nullptr);
    ~PrintPreviewDialog() override;

    // Whether the dialog was left with "Drucken".
    bool printRequested() const { return printRequested_; }
    // Pixels to the millimetre now shown.
    double zoom() const;
    void setZoom(double pxPerMm);
    // The zoom at which a page's paper height fills the view.
    void zoomToFit();
    // Paper at its true size on this screen.
    void zoomToActualSize();

    const PagePreview &preview() const { return *preview_; }

    // The page the keys move from (Home, End, Page Up, Page Down), and
    // bringing a page into view as they do.
    int currentPage() const;
    void showPage(int page);
    // Where a page and its caption are drawn, and the caption shown.
    QRect pageRect(int page) const;
    QRect captionRect(int page) const;
    QString captionText(int page) const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::unique_ptr<PagePreview> preview_;
    QScrollArea *scroll_ = nullptr;
    PreviewPagesWidget *pages_ = nullptr;
    QLabel *summary_ = nullptr;
    bool printRequested_ = false;
    bool scrollingToPage_ = false;
};
