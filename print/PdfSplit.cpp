#include "print/PdfSplit.h"

#include <QFile>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>

#include "print/PdfFile.h"

namespace {

bool IsWhite(char c) {
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
}

bool IsDelimiter(char c) {
    return IsWhite(c) || c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' ||
           c == '{' || c == '}' || c == '/' || c == '%';
}

bool IsInteger(const QByteArray &bytes, qsizetype from, qsizetype to) {
    if (from == to)
        return false;
    for (qsizetype i = from; i < to; ++i) {
        if (bytes[i] < '0' || bytes[i] > '9')
            return false;
    }
    return true;
}

// The tokens of an object up to its "stream" or "endobj" keyword: where
// each indirect reference ("12 0 R") lies, and the value of a direct /Length.
struct Scan {
    struct Ref {
        qsizetype start = 0;
        qsizetype end = 0;
        int target = 0;
    };
    std::vector<Ref> refs;
    QByteArray stop;  // "stream", "endobj", or empty when the text ran out or was bad
    qsizetype stopAt = 0;
    qint64 length = -1;
    bool lengthIndirect = false;
};

Scan ScanTokens(const QByteArray &b, qsizetype pos, qsizetype limit) {
    Scan scan;
    // The last two tokens when they were whole numbers: [start, end).
    qsizetype intStart[2] = {-1, -1};
    qsizetype intEnd[2] = {-1, -1};
    const auto other = [&] { intStart[0] = intStart[1] = -1; };
    bool afterLength = false;
    qsizetype lengthAt = -1;
    while (pos < limit) {
        const char c = b[pos];
        if (IsWhite(c)) {
            ++pos;
        } else if (c == '%') {
            while (pos < limit && b[pos] != '\n' && b[pos] != '\r')
                ++pos;
        } else if (c == '(') {
            int depth = 0;
            for (; pos < limit; ++pos) {
                if (b[pos] == '\\') {
                    ++pos;
                } else if (b[pos] == '(') {
                    ++depth;
                } else if (b[pos] == ')' && --depth == 0) {
                    ++pos;
                    break;
                }
            }
            if (depth != 0)
                return scan;
            other();
            afterLength = false;
        } else if (c == '<' && pos + 1 < limit && b[pos + 1] != '<') {
            const qsizetype close = b.indexOf('>', pos);
            if (close < 0 || close >= limit)
                return scan;
            pos = close + 1;
            other();
            afterLength = false;
        } else if (c == '<' || c == '>') {
            if (pos + 1 >= limit || b[pos + 1] != c)
                return scan;
            pos += 2;
            other();
            afterLength = false;
        } else if (c == '[' || c == ']' || c == '{' || c == '}') {
            ++pos;
            other();
            afterLength = false;
        } else if (c == ')') {
            return scan;
        } else {
            const qsizetype start = pos;
            ++pos;
            while (pos < limit && !IsDelimiter(b[pos]))
                ++pos;
            if (c == '/') {
                afterLength = QByteArrayView(b).sliced(start, pos - start) == "/Length";
                other();
                continue;
            }
            if (IsInteger(b, start, pos)) {
                if (afterLength) {
                    scan.length = b.mid(start, pos - start).toLongLong();
                    lengthAt = start;
                }
                intStart[0] = intStart[1];
                intEnd[0] = intEnd[1];
                intStart[1] = start;
                intEnd[1] = pos;
            } else {
                const QByteArrayView word = QByteArrayView(b).sliced(start, pos - start);
                if (word == "R" && intStart[0] >= 0) {
                    bool ok = false;
                    const int target = b.mid(intStart[0], intEnd[0] - intStart[0]).toInt(&ok);
                    if (!ok)
                        return scan;
                    scan.refs.push_back({intStart[0], pos, target});
                    if (intStart[0] == lengthAt)
                        scan.lengthIndirect = true;
                } else if (word == "stream" || word == "endobj") {
                    scan.stop = word.toByteArray();
                    scan.stopAt = start;
                    return scan;
                }
                other();
            }
            afterLength = false;
        }
    }
    return scan;
}

QString Unsupported(const QString &what) {
    return QStringLiteral("Das PDF kann nicht in Auftr\u00e4ge geteilt werden: %1.").arg(what);
}

}  // namespace

PdfPageSource::PdfPageSource(const QString &path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("Lesefehler: %1.").arg(file.errorString()));
        return;
    }
    bytes_ = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        fail(QStringLiteral("Lesefehler: %1.").arg(file.errorString()));
        return;
    }
    const QByteArray &b = bytes_;
    const qsizetype startxref = b.lastIndexOf("startxref");
    if (startxref < 0) {
        fail(Unsupported(QStringLiteral("kein Verzeichnis der Objekte")));
        return;
    }
    bool ok = false;
    const qsizetype xref = b.mid(startxref + 9, 32).trimmed().split('\n').first().toLongLong(&ok);
    if (!ok || xref < 0 || xref + 4 > b.size() || b.mid(xref, 4) != "xref") {
        fail(Unsupported(QStringLiteral("kein Verzeichnis der Objekte")));
        return;
    }
    // Subsections "first count" with entries of 20 bytes, up to the trailer.
    qsizetype pos = b.indexOf('\n', xref) + 1;
    for (;;) {
        const qsizetype lineEnd = b.indexOf('\n', pos);
        if (pos <= 0 || lineEnd < 0) {
            fail(Unsupported(QStringLiteral("Verzeichnis der Objekte unvollst\u00e4ndig")));
            return;
        }
        const QByteArray line = b.mid(pos, lineEnd - pos).trimmed();
        if (line.startsWith("trailer"))
            break;
        const QList<QByteArray> head = line.split(' ');
        bool okFirst = false, okCount = false;
        const int first = head.size() == 2 ? head[0].toInt(&okFirst) : 0;
        const int count = head.size() == 2 ? head[1].toInt(&okCount) : 0;
        if (!okFirst || !okCount || first < 0 || count < 0 ||
            lineEnd + 1 + qsizetype(count) * 20 > b.size()) {
            fail(Unsupported(QStringLiteral("Verzeichnis der Objekte unlesbar")));
            return;
        }
        pos = lineEnd + 1;
        for (int i = 0; i < count; ++i, pos += 20) {
            if (b[pos + 17] != 'n')
                continue;
            const qsizetype offset = b.mid(pos, 10).toLongLong(&ok);
            if (!ok || offset < 0 || offset >= b.size()) {
                fail(Unsupported(QStringLiteral("Verzeichnis der Objekte unlesbar")));
                return;
            }
            offsets_.insert(first + i, offset);
        }
    }
    const QByteArray trailer = b.mid(pos, startxref - pos);
    if (trailer.contains("/Prev") || trailer.contains("/Encrypt") || trailer.contains("/XRefStm")) {
        fail(
            Unsupported(QStringLiteral("nachtr\u00e4glich ge\u00e4ndert oder verschl\u00fcsselt")));
        return;
    }
    static const QRegularExpression rootRef(QStringLiteral("/Root\\s+(\\d+)\\s+\\d+\\s+R"));
    static const QRegularExpression infoRef(QStringLiteral("/Info\\s+(\\d+)\\s+\\d+\\s+R"));
    static const QRegularExpression pagesRef(QStringLiteral("/Pages\\s+(\\d+)\\s+\\d+\\s+R"));
    static const QRegularExpression kids(QStringLiteral("/Kids\\s*\\[([^\\]]*)\\]"));
    static const QRegularExpression ref(QStringLiteral("(\\d+)\\s+\\d+\\s+R"));
    static const QRegularExpression pageType(QStringLiteral("/Type\\s*/Page(?![A-Za-z])"));
    const QString trailerText = QString::fromLatin1(trailer);
    const auto root = rootRef.match(trailerText);
    if (!root.hasMatch()) {
        fail(Unsupported(QStringLiteral("kein Katalog")));
        return;
    }
    const auto info = infoRef.match(trailerText);
    info_ = info.hasMatch() ? info.captured(1).toInt() : 0;

    const auto head = [this](int number, QString *text) {
        Object object;
        QString why;
        if (!parse(number, &object, &why))
            return fail(why);
        *text = QString::fromLatin1(bytes_.mid(object.start, object.headEnd - object.start));
        return true;
    };
    QString catalog;
    if (!head(root.captured(1).toInt(), &catalog))
        return;
    const auto pages = pagesRef.match(catalog);
    if (!pages.hasMatch()) {
        fail(Unsupported(QStringLiteral("keine Seiten")));
        return;
    }
    pagesRoot_ = pages.captured(1).toInt();
    QString tree;
    if (!head(pagesRoot_, &tree))
        return;
    const auto list = kids.match(tree);
    if (!list.hasMatch()) {
        fail(Unsupported(QStringLiteral("keine Seiten")));
        return;
    }
    for (auto it = ref.globalMatch(list.captured(1)); it.hasNext();) {
        const int page = it.next().captured(1).toInt();
        QString text;
        if (!head(page, &text))
            return;
        // Pages that inherit their size or resources from the tree would
        // lose them in a file of their own.
        if (!pageType.match(text).hasMatch() || !text.contains(QLatin1String("/MediaBox")) ||
            !text.contains(QLatin1String("/Resources"))) {
            fail(Unsupported(QStringLiteral("Seitenbaum nicht flach")));
            return;
        }
        pages_.push_back(page);
    }
}

bool PdfPageSource::fail(const QString &why) {
    if (error_.isEmpty())
        error_ = why;
    pages_.clear();
    return false;
}

bool PdfPageSource::parse(int number, Object *object, QString *error) const {
    const auto known = objects_.constFind(number);
    if (known != objects_.cend()) {
        *object = *known;
        return true;
    }
    const QByteArray &b = bytes_;
    const auto bad = [&](const QString &what) {
        *error = Unsupported(QStringLiteral("Objekt %1 %2").arg(number).arg(what));
        return false;
    };
    const auto offset = offsets_.constFind(number);
    if (offset == offsets_.cend())
        return bad(QStringLiteral("fehlt"));
    const QByteArray header = QByteArray::number(number) + ' ';
    qsizetype pos = *offset;
    if (b.mid(pos, header.size()) != header)
        return bad(QStringLiteral("liegt nicht, wo das Verzeichnis sagt"));
    pos = b.indexOf("obj", pos);
    if (pos < 0 || pos > *offset + 24)
        return bad(QStringLiteral("liegt nicht, wo das Verzeichnis sagt"));
    Object o;
    o.start = pos + 3;
    const Scan scan = ScanTokens(b, o.start, b.size());
    if (scan.stop.isEmpty())
        return bad(QStringLiteral("ist unlesbar"));
    o.headEnd = scan.stopAt;
    if (scan.stop == "endobj") {
        o.end = scan.stopAt;
    } else {
        if (scan.length < 0 || scan.lengthIndirect)
            return bad(QStringLiteral("hat keine direkte L\u00e4nge"));
        qsizetype data = scan.stopAt + 6;
        if (b.mid(data, 2) == "\r\n")
            data += 2;
        else if (data < b.size() && b[data] == '\n')
            ++data;
        else
            return bad(QStringLiteral("ist unlesbar"));
        qsizetype after = data + scan.length;
        if (after > b.size())
            return bad(QStringLiteral("ist abgeschnitten"));
        while (after < b.size() && IsWhite(b[after]))
            ++after;
        if (b.mid(after, 9) != "endstream")
            return bad(QStringLiteral("hat eine falsche L\u00e4nge"));
        after += 9;
        while (after < b.size() && IsWhite(b[after]))
            ++after;
        if (b.mid(after, 6) != "endobj")
            return bad(QStringLiteral("ist unlesbar"));
        o.end = after;
    }
    for (const Scan::Ref &r : scan.refs) {
        o.refs.push_back(r.start);
        o.refs.push_back(r.end);
        o.targets.push_back(r.target);
    }
    objects_.insert(number, o);
    *object = o;
    return true;
}

QByteArray PdfPageSource::extract(int first, int last, QString *error) const {
    if (!error_.isEmpty()) {
        *error = error_;
        return {};
    }
    if (first < 0 || last < first || last >= pageCount()) {
        *error =
            Unsupported(QStringLiteral("Seiten %1 bis %2 fehlen").arg(first + 1).arg(last + 1));
        return {};
    }
    // Every object the pages reach, but not the page tree they hang in: the
    // new file has its own.
    std::vector<int> used;
    QHash<int, int> renumbered;
    renumbered.insert(pagesRoot_, 2);
    std::vector<int> todo(pages_.begin() + first, pages_.begin() + last + 1);
    QHash<int, bool> seen;
    while (!todo.empty()) {
        const int number = todo.back();
        todo.pop_back();
        if (number == pagesRoot_ || seen.contains(number))
            continue;
        seen.insert(number, true);
        Object object;
        if (!parse(number, &object, error))
            return {};
        used.push_back(number);
        todo.insert(todo.end(), object.targets.begin(), object.targets.end());
    }
    // In the order of the source: what was written together stays together.
    std::sort(used.begin(), used.end());
    int next = info_ > 0 ? 4 : 3;
    for (int number : used)
        renumbered.insert(number, next++);

    const qsizetype firstObject =
        offsets_.isEmpty() ? 0 : *std::min_element(offsets_.cbegin(), offsets_.cend());
    QByteArray out = bytes_.left(firstObject);  // the header
    std::vector<qsizetype> offsets(std::size_t(next - 1), -1);
    const auto put = [&](int n, const QByteArray &body) {
        offsets[std::size_t(n - 1)] = out.size();
        out += QByteArray::number(n) + " 0 obj\n" + body + "\nendobj\n";
    };
    put(1, "<< /Type /Catalog /Pages 2 0 R >>");
    QByteArray kids;
    for (int i = first; i <= last; ++i)
        kids += QByteArray::number(renumbered.value(pages_[std::size_t(i)])) + " 0 R ";
    put(2, "<< /Type /Pages /Kids [" + kids.trimmed() + "] /Count " +
               QByteArray::number(last - first + 1) + " >>");

    const auto copy = [&](int from, int to) {
        Object object;
        if (!parse(from, &object, error))
            return false;
        QByteArray body;
        qsizetype at = object.start;
        for (std::size_t i = 0; i < object.targets.size(); ++i) {
            const auto target = renumbered.constFind(object.targets[i]);
            if (target == renumbered.cend()) {
                *error = Unsupported(QStringLiteral("Objekt %1 fehlt").arg(object.targets[i]));
                return false;
            }
            body += QByteArrayView(bytes_).sliced(at, object.refs[2 * i] - at);
            body += QByteArray::number(*target) + " 0 R";
            at = object.refs[2 * i + 1];
        }
        body += QByteArrayView(bytes_).sliced(at, object.end - at);
        put(to, body.trimmed());
        return true;
    };
    if (info_ > 0 && !copy(info_, 3))
        return {};
    for (int number : used) {
        if (!copy(number, renumbered.value(number)))
            return {};
    }

    const qsizetype xref = out.size();
    out += "xref\n0 " + QByteArray::number(next) + "\n0000000000 65535 f \n";
    for (qsizetype offset : offsets)
        out += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    out += "trailer\n<< /Size " + QByteArray::number(next) + " /Root 1 0 R";
    if (info_ > 0)
        out += " /Info 3 0 R";
    out += " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return out;
}

QString WriteWholeFile(const QString &path, const QByteArray &data) {
    QFile file(path);
    errno = 0;
    int code = 0;
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        code = errno;
    } else {
        // No fsync: the file is read back at once and handed over from the
        // page cache, then removed; a disk that is full refuses the write.
        if (file.write(data) != data.size() || !file.flush())
            code = errno ? errno : EIO;
        file.close();
        if (code == 0 && file.error() != QFileDevice::NoError)
            code = errno ? errno : EIO;
    }
    return WriteErrorText(code);
}
