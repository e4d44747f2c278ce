#pragma once

#include <QPageLayout>
#include <QPaintDevice>
#include <QString>
#include <memory>

class PdfEngine;

// A PDF file to paint on, page by page, at a fixed resolution, each page the
// size of the page layout it was started with (no margins: the whole sheet).
//
// Written for what the ribbons draw: solid pens and brushes, paths, pictures
// and text (as outlines). A figure that comes back at another place with the
// same shape and the same way of painting, such as a letter drawn from its
// outline, is written once into the file and only referred to from then on:
// a day's ribbons repeat the same few letters thousands of times.
//
// Every write to the file is checked: end() (QPainter::end) answers false
// when anything could not be written.
class PdfDocument : public QPaintDevice {
public:
    PdfDocument(const QString &fileName, int resolution);
    ~PdfDocument() override;
    PdfDocument(const PdfDocument &) = delete;
    PdfDocument &operator=(const PdfDocument &) = delete;

    void setTitle(const QString &title);
    void setCreator(const QString &creator);

    // The layout of the page begun next (and of the first page before
    // painting starts). Its size is kept in whole points, as in any PDF.
    void setPageLayout(const QPageLayout &layout);
    // The pages begun next come out this many times larger along each axis
    // than their layout, and what is drawn on them stretched with them. The
    // painter still sees the layout's size: a printer that feeds short gets
    // longer pages without anything drawn knowing about it.
    void setPageStretch(double horizontal, double vertical);
    // Ends the page and begins the next; false when the file cannot be written.
    bool newPage();
    // Why the file could not be written ("Der Datenträger ist voll."), for
    // the user; empty while nothing has failed.
    QString errorString() const;

    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    std::unique_ptr<PdfEngine> engine_;
};
