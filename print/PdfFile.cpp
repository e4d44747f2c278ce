#include "print/PdfFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <cerrno>

namespace {

QByteArray Compressed(const QByteArray &data) {
    // qCompress gives a zlib stream behind four bytes of length: the stream
    // is what FlateDecode reads.
    return qCompress(data, 6).mid(4);
}

}  // namespace

bool PdfFile::open() {
    ok_ = file_.open(QIODevice::WriteOnly | QIODevice::Truncate);
    if (!ok_) {
        fail();
        return false;
    }
    write("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    return ok_;
}

QString WriteErrorText(int code) {
    switch (code) {
        case 0:
            return QString();
        case ENOSPC:
            return QStringLiteral("Der Datentr\u00e4ger ist voll.");
        case EDQUOT:
            return QStringLiteral("Der zugeteilte Speicherplatz ist aufgebraucht.");
        default:
            return QStringLiteral("Schreibfehler: %1.").arg(qt_error_string(code));
    }
}

void PdfFile::fail() {
    // Read at once: errno still holds what the failed call set.
    const int code = errno;
    ok_ = false;
    if (!error_.isEmpty())
        return;
    // Qt marks a full disk as a resource error.
    if (file_.error() == QFileDevice::ResourceError)
        error_ = WriteErrorText(ENOSPC);
    else if (code != 0)  // Qt's own text is empty after a write that got part way
        error_ = WriteErrorText(code);
    else
        error_ = QStringLiteral("Schreibfehler: %1.").arg(file_.errorString());
}

int PdfFile::reserve() {
    offsets_.push_back(-1);
    return int(offsets_.size());
}

void PdfFile::write(QByteArrayView data) {
    if (!ok_)
        return;
    if (file_.write(data.data(), data.size()) != data.size())
        fail();
    position_ += data.size();
}

void PdfFile::beginObject(int object) {
    if (object < 1 || std::size_t(object) > offsets_.size()) {
        // A number never handed out: the table would lie.
        ok_ = false;
        if (error_.isEmpty())
            error_ = QStringLiteral("Interner Fehler: Objekt %1 unbekannt.").arg(object);
        return;
    }
    offsets_[std::size_t(object - 1)] = position_;
    write(QByteArray::number(object) + " 0 obj\n");
}

void PdfFile::writeObject(int object, const QByteArray &body) {
    beginObject(object);
    write(body);
    write("\nendobj\n");
}

PdfFile::Span PdfFile::writeStream(int object, const QByteArray &dictionary,
                                   const QByteArray &data) {
    return writePackedStream(object, dictionary, Compressed(data));
}

PdfFile::Span PdfFile::writePackedStream(int object, const QByteArray &dictionary,
                                         QByteArrayView packed) {
    beginObject(object);
    write("<<" + dictionary + " /Filter /FlateDecode /Length " + QByteArray::number(packed.size()) +
          " >>\nstream\n");
    const Span span{position_, packed.size()};
    write(packed);
    write("\nendstream\nendobj\n");
    return span;
}

bool PdfFile::finish(int catalog, int info) {
    if (!file_.isOpen())
        return false;
    const qint64 xref = position_;
    const QByteArray size = QByteArray::number(qsizetype(offsets_.size() + 1));
    QByteArray table("xref\n0 " + size + "\n0000000000 65535 f \n");
    for (qint64 offset : offsets_) {
        // Every object handed out is written; one that is not is marked free
        // rather than pointing anywhere.
        if (offset < 0)
            table += "0000000000 65535 f \n";
        else
            table += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    }
    write(table);
    // The file's identifier: what it is, where and when it was made.
    const QByteArray id =
        QCryptographicHash::hash(file_.fileName().toUtf8() + ' ' +
                                     QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + ' ' +
                                     QByteArray::number(xref),
                                 QCryptographicHash::Md5)
            .toHex()
            .toUpper();
    write("trailer\n<< /Size " + size + " /Root " + QByteArray::number(catalog) + " 0 R /Info " +
          QByteArray::number(info) + " 0 R /ID [<" + id + "> <" + id + ">] >>\nstartxref\n" +
          QByteArray::number(xref) + "\n%%EOF\n");
    if (!file_.flush())
        fail();
    file_.close();
    if (file_.error() != QFileDevice::NoError)
        fail();
    return ok_;
}
