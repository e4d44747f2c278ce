#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFile>
#include <QString>
#include <vector>

// The objects of a PDF file, written one after the other as they are made,
// and at the end the table of where each one lies. Object numbers are handed
// out first and the objects written when their content is known. Every write
// is checked: once one has failed, ok() stays false.
// The florist's words for a failed write's errno: "Der Datenträger ist
// voll.", "Schreibfehler: …."; empty for 0.
QString WriteErrorText(int code);

class PdfFile {
public:
    explicit PdfFile(const QString &path) : file_(path) {}

    // Creates the file and writes the header.
    bool open();
    bool isOpen() const { return file_.isOpen(); }
    bool ok() const { return ok_; }
    QString fileName() const { return file_.fileName(); }
    // Why the file could not be written, in words for the user ("Der
    // Datenträger ist voll."); empty while nothing has failed.
    QString errorString() const { return error_; }

    // A number for an object written later.
    int reserve();
    void writeObject(int object, const QByteArray &body);
    // Where a stream's packed data lies in the file.
    struct Span {
        qint64 at = 0;
        qint64 length = 0;
    };
    // A stream object, compressed; `dictionary` holds the entries besides
    // the length and the filter.
    Span writeStream(int object, const QByteArray &dictionary, const QByteArray &data);
    // A stream object whose data is compressed already (as writeStream packs it).
    Span writePackedStream(int object, const QByteArray &dictionary, QByteArrayView packed);

    // Writes the table of objects and the trailer naming the catalogue and
    // the document information, and closes the file. False when anything
    // could not be written.
    bool finish(int catalog, int info);

private:
    void write(QByteArrayView data);
    void beginObject(int object);
    // Notes the first failure of the file and its reason.
    void fail();

    QFile file_;
    bool ok_ = false;
    QString error_;
    qint64 position_ = 0;
    std::vector<qint64> offsets_;
};
