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
//
// A print of several spooler jobs writes each job's file from the finished
// document's own record of what every page uses (writePages).
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

    // Once painting has ended well (QPainter::end answered true): the pages
    // written, and pages first..last of them (0-based, both included) as a
    // PDF of their own at `path`, holding only the forms and pictures those
    // pages use and their fonts subset to the glyphs they show. The reason
    // for the user when that file cannot be written, else empty.
    int pageCount() const;
    QString writePages(const QString &path, int first, int last) const;

    QPaintEngine *paintEngine() const override;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    std::unique_ptr<PdfEngine> engine_;
};
