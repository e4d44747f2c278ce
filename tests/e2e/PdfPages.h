#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <vector>

// One page of a PDF as poppler's tools see it.
struct PdfPage {
    double widthMm = 0;  // as displayed, after the page's /Rotate
    double heightMm = 0;
    QString text;  // pdftotext's words of the page, in reading order
    QString file;  // the PDF and the page's number in it, from 1
    int number = 0;
    QStringList words() const;  // the page's words, sorted
    // The words in reading order, one blank between them: the extractor
    // breaks lines of turned text at will.
    QString flatText() const { return text.simplified(); }
};

// Reads every page of a PDF with pdfinfo and pdftotext. An unreadable file or a
// missing tool gives no pages and an explanation in *error.
std::vector<PdfPage> ReadPdfPages(const QString &path, QString *error);

// The page drawn by pdftoppm at the given resolution, in grey; null on failure
// with an explanation in *error.
QImage RenderPdfPage(const PdfPage &page, int dpi, QString *error);

// PDF sizes are whole points or close to them: compare with that tolerance.
constexpr double kPointMm = 25.4 / 72;
