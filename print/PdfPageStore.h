#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "print/PdfFile.h"

class PdfFont;

// Writes `font` (its used glyphs, whose font program is `program`) as the
// Type 0 font `object` with the objects it needs.
void WritePdfFont(PdfFile &file, int object, const PdfFont &font, const QByteArray &program);

// What each page of a PDF being written uses, kept so that any run of its
// pages can be written again as a PDF of its own holding only what those
// pages reach: a spooler job of a longer print. Pages and pictures are not
// drawn again: their streams are copied packed from the finished file.
class PdfPageStore {
public:
    struct Page {
        int width = 0, height = 0;  // points
        int contents = 0;           // the content stream
        std::set<int> forms, images;
        std::map<int, std::set<quint32>> glyphs;  // font object -> the glyphs shown
    };

    // The page's resources, each named after its object in the document and
    // referring to object `number(that)`.
    static QByteArray Resources(const Page &page, const std::function<int(int)> &number);

    void addStream(int object, const QByteArray &dictionary, PdfFile::Span data, int mask = 0);
    void addFont(int object, const PdfFont *font);
    void addPage(Page page) { pages_.push_back(std::move(page)); }
    // The body of the document information every file gets.
    void setInfo(const QByteArray &info) { info_ = info; }
    int pageCount() const { return int(pages_.size()); }

    // Pages first..last (0-based, both included) of the finished file
    // `source` as a PDF at `path`, their fonts subset to the glyphs they
    // show. The reason for the user when it cannot be written, else empty.
    QString writePages(const QString &source, const QString &path, int first, int last) const;

private:
    struct Stream {
        QByteArray dictionary;  // without length and filter
        PdfFile::Span data;
        int mask = 0;  // a picture's transparency, a stream of its own
    };

    QHash<int, Stream> streams_;
    QHash<int, const PdfFont *> fonts_;
    std::vector<Page> pages_;
    QByteArray info_;
    mutable QHash<QByteArray, QByteArray> programs_;  // font and glyphs -> subset
};
