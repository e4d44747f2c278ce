#include "ui/PastedText.h"

#include <QMimeData>
#include <QRegularExpression>
#include <QTextDocumentFragment>

#include "model/UnicodeText.h"

namespace {

bool Dropped(char32_t c) {
    // U+FDD0, U+FDD1 and U+FFFC stand for the frames and pictures of HTML.
    return c == 0x00AD || c == 0x200B || c == 0x2060 || c == 0xFEFF || c == 0xFDD0 || c == 0xFDD1 ||
           c == 0xFFFC;
}

bool NoBreakSpace(char32_t c) {
    return c == 0x00A0 || c == 0x2007 || c == 0x202F;
}

}  // namespace

QString CleanPastedText(const QString &text, bool multiLine) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    for (QChar &c : lines) {
        if (c == QLatin1Char('\r') || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char('\n');
    }
    QString out;
    out.reserve(lines.size());
    for (const char32_t c : lines.toUcs4()) {
        if (Dropped(c))
            continue;
        if (NoBreakSpace(c))
            out += QLatin1Char(' ');
        else
            out += QString::fromUcs4(&c, 1);
    }
    if (!multiLine) {
        // A line copied with its break (the usual copy from a mail) is one line.
        while (out.endsWith(QLatin1Char('\n')))
            out.chop(1);
        out.replace(QRegularExpression(QStringLiteral("\n+")), QStringLiteral(" "));
    }
    return UnicodeText::composed(out);
}

QString PastedPlainText(const QMimeData *source) {
    if (!source)
        return QString();
    if (source->hasText())
        return source->text();
    if (source->hasHtml())
        return QTextDocumentFragment::fromHtml(source->html()).toRawText();
    return QString();
}
