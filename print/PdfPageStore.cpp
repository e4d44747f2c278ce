#include "print/PdfPageStore.h"

#include <QFile>
#include <memory>

#include "print/PdfFont.h"

void WritePdfFont(PdfFile &file, int object, const PdfFont &font, const QByteArray &program) {
    const QByteArray name = font.baseFontName();
    // A CFF face goes in as a bare CFF font of a CIDFontType0: its glyphs,
    // name-keyed, are then found by their numbers, the codes the pages show,
    // as with TrueType and its identity map.
    const bool cff = font.kind() == PdfFont::Kind::Cff;
    const int fileObject = file.reserve();
    file.writeStream(fileObject,
                     cff ? QByteArray(" /Subtype /CIDFontType0C")
                         : " /Length1 " + QByteArray::number(program.size()),
                     program);
    const int descriptor = file.reserve();
    file.writeObject(descriptor, "<< /Type /FontDescriptor /FontName /" + name + ' ' +
                                     font.descriptorEntries() +
                                     (cff ? " /FontFile3 " : " /FontFile2 ") +
                                     QByteArray::number(fileObject) + " 0 R >>");
    const int cid = file.reserve();
    file.writeObject(
        cid, "<< /Type /Font /Subtype " + QByteArray(cff ? "/CIDFontType0" : "/CIDFontType2") +
                 " /BaseFont /" + name +
                 " /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) "
                 "/Supplement 0 >> /FontDescriptor " +
                 QByteArray::number(descriptor) + " 0 R" + (cff ? "" : " /CIDToGIDMap /Identity") +
                 " /DW 1000 /W " + font.widthsArray() + " >>");
    const int unicode = file.reserve();
    file.writeStream(unicode, QByteArray(), font.toUnicodeCMap());
    file.writeObject(object, "<< /Type /Font /Subtype /Type0 /BaseFont /" + name +
                                 " /Encoding /Identity-H /DescendantFonts [" +
                                 QByteArray::number(cid) + " 0 R] /ToUnicode " +
                                 QByteArray::number(unicode) + " 0 R >>");
}

QByteArray PdfPageStore::Resources(const Page &page, const std::function<int(int)> &number) {
    const auto entry = [&](char prefix, int object) {
        return " /" + QByteArray(1, prefix) + QByteArray::number(object) + ' ' +
               QByteArray::number(number(object)) + " 0 R";
    };
    QByteArray out("<< /ProcSet [/PDF /Text /ImageB /ImageC]");
    if (!page.forms.empty() || !page.images.empty()) {
        out += " /XObject <<";
        for (int form : page.forms)
            out += entry('F', form);
        for (int image : page.images)
            out += entry('I', image);
        out += " >>";
    }
    if (!page.glyphs.empty()) {
        out += " /Font <<";
        for (const auto &font : page.glyphs)
            out += entry('T', font.first);
        out += " >>";
    }
    return out + " >>";
}

void PdfPageStore::addStream(int object, const QByteArray &dictionary, PdfFile::Span data,
                             int mask) {
    streams_.insert(object, Stream{dictionary, data, mask});
}

void PdfPageStore::addFont(int object, const PdfFont *font) {
    fonts_.insert(object, font);
}

QString PdfPageStore::writePages(const QString &source, const QString &path, int first,
                                 int last) const {
    const auto internal = [](const QString &what) {
        return QStringLiteral("Interner Fehler: %1.").arg(what);
    };
    if (first < 0 || last < first || last >= pageCount())
        return internal(QStringLiteral("Seiten %1 bis %2 fehlen").arg(first + 1).arg(last + 1));

    // What the pages reach: their streams in the order of the document (what
    // was written together stays together), and the glyphs of each font.
    std::set<int> streams;
    std::map<int, std::set<quint32>> glyphs;
    for (int i = first; i <= last; ++i) {
        const Page &page = pages_[std::size_t(i)];
        streams.insert(page.contents);
        streams.insert(page.forms.begin(), page.forms.end());
        for (int image : page.images) {
            streams.insert(image);
            if (const int mask = streams_.value(image).mask)
                streams.insert(mask);
        }
        for (const auto &[font, shown] : page.glyphs)
            glyphs[font].insert(shown.begin(), shown.end());
    }
    for (int stream : streams) {
        if (!streams_.contains(stream))
            return internal(QStringLiteral("Objekt %1 unbekannt").arg(stream));
    }
    for (const auto &font : glyphs) {
        if (!fonts_.value(font.first))
            return internal(QStringLiteral("Schrift %1 unbekannt").arg(font.first));
    }

    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("Lesefehler: %1.").arg(in.errorString());
    QByteArray read;
    const uchar *mapped = in.map(0, in.size());
    if (!mapped)
        read = in.readAll();
    const QByteArrayView bytes = mapped ? QByteArrayView(mapped, in.size()) : QByteArrayView(read);

    PdfFile out(path);
    if (!out.open())
        return out.errorString();
    const int catalog = out.reserve();
    const int root = out.reserve();
    const int info = out.reserve();
    QHash<int, int> renumbered;
    for (int stream : streams)
        renumbered.insert(stream, out.reserve());
    for (const auto &font : glyphs)
        renumbered.insert(font.first, out.reserve());
    const auto number = [&renumbered](int object) { return renumbered.value(object); };

    for (int object : streams) {
        const Stream &stream = streams_[object];
        if (stream.data.at < 0 || stream.data.length < 0 ||
            stream.data.at + stream.data.length > bytes.size())
            return QStringLiteral("Die Datei ist unvollst\u00e4ndig.");
        QByteArray dictionary = stream.dictionary;
        if (stream.mask)
            dictionary += " /SMask " + QByteArray::number(number(stream.mask)) + " 0 R";
        out.writePackedStream(number(object), dictionary,
                              bytes.sliced(stream.data.at, stream.data.length));
    }
    QByteArray kids;
    for (int i = first; i <= last; ++i) {
        const Page &page = pages_[std::size_t(i)];
        const int object = out.reserve();
        out.writeObject(object, "<< /Type /Page /Parent " + QByteArray::number(root) +
                                    " 0 R /MediaBox [0 0 " + QByteArray::number(page.width) + ' ' +
                                    QByteArray::number(page.height) + "] /Resources " +
                                    Resources(page, number) + " /Contents " +
                                    QByteArray::number(number(page.contents)) + " 0 R >>");
        kids += QByteArray::number(object) + " 0 R ";
    }
    for (const auto &[font, shown] : glyphs) {
        const std::unique_ptr<PdfFont> subset = fonts_.value(font)->restrictedTo(shown);
        // Jobs of ribbons alike show the same glyphs: their font program is
        // made once.
        const QByteArray key = QByteArray::number(font) + ' ' + subset->baseFontName();
        auto program = programs_.find(key);
        if (program == programs_.end())
            program = programs_.insert(key, subset->subsetFile());
        WritePdfFont(out, number(font), *subset, *program);
    }
    out.writeObject(root, "<< /Type /Pages /Kids [" + kids.trimmed() + "] /Count " +
                              QByteArray::number(last - first + 1) + " >>");
    out.writeObject(catalog, "<< /Type /Catalog /Pages " + QByteArray::number(root) + " 0 R >>");
    out.writeObject(info, info_);
    return out.finish(catalog, info) ? QString() : out.errorString();
}
