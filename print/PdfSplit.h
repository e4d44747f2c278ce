#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

// Pages of a finished PDF copied into a PDF of their own, with every object
// they use (outlines, pictures, fonts) and nothing else. Reads files as
// PdfDocument writes them: one cross-reference table, no object streams, one
// flat page tree. Anything else is refused with a reason rather than guessed at.
class PdfPageSource {
public:
    // Reads and indexes the file; see error().
    explicit PdfPageSource(const QString &path);

    // Why the file cannot be split, for the user; empty when it can.
    QString error() const { return error_; }
    int pageCount() const { return int(pages_.size()); }

    // Pages first..last (0-based, both included) as a whole PDF, built in
    // memory; empty with *error set when they cannot be copied.
    QByteArray extract(int first, int last, QString *error) const;

private:
    struct Object {
        qsizetype start = 0;          // after "N G obj"
        qsizetype headEnd = 0;        // the object without its stream data
        qsizetype end = 0;            // before "endobj"
        std::vector<qsizetype> refs;  // where each reference starts and ends in the head
        std::vector<int> targets;     // the object each one names
    };
    bool parse(int number, Object *object, QString *error) const;
    bool fail(const QString &why);

    QByteArray bytes_;
    QString error_;
    QHash<int, qsizetype> offsets_;  // object number -> "N G obj"
    mutable QHash<int, Object> objects_;
    std::vector<int> pages_;
    int pagesRoot_ = 0;
    int info_ = 0;
};

// Writes `data` to `path`; the reason for the user when that fails, else empty.
QString WriteWholeFile(const QString &path, const QByteArray &data);
