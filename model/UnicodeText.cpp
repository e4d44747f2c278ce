#include "model/UnicodeText.h"

#include <QStringDecoder>
#include <QTextBoundaryFinder>

namespace UnicodeText {

namespace {

bool refused(char32_t c) {
    if (c == U'\t')
        return false;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return true;
    if (c == 0x2028 || c == 0x2029)
        return true;
    if ((c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE)
        return true;
    return c > 0x10FFFF;
}

}  // namespace

qsizetype firstRefused(const QString &text) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 < n && text.at(i + 1).isLowSurrogate()) {
                if (refused(QChar::surrogateToUcs4(c, text.at(i + 1))))
                    return i;
                ++i;
                continue;
            }
            return i;
        }
        if (c.isLowSurrogate() || refused(c.unicode()))
            return i;
    }
    return -1;
}

QString FromUtf8(QByteArrayView bytes, bool *valid) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless |
                                                     QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (valid)
        *valid = !decoder.hasError();
    return text;
}

QString composed(const QString &text) {
    // Plain ASCII is by far the most common text and already composed.
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return text.normalized(QString::NormalizationForm_C);
    }
    return text;
}

qsizetype letterCount(const QString &text) {
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() > 0)
        ++count;
    return count;
}

QString firstLetters(const QString &text, qsizetype letters) {
    if (text.size() <= letters)
        return text;
    if (letters <= 0)
        return QString();
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype end = 0;
    for (qsizetype i = 0; i < letters; ++i) {
        end = finder.toNextBoundary();
        if (end < 0)
            return text;
    }
    return text.left(end);
}

}  // namespace UnicodeText
