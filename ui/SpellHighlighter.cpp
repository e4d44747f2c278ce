#include "ui/SpellHighlighter.h"

#include "spell/SpellChecker.h"

SpellHighlighter::SpellHighlighter(QTextDocument *document, SpellChecker &checker)
    : QSyntaxHighlighter(document), checker_(checker) {
    unknown_.setUnderlineStyle(QTextCharFormat::SpellCheckUnderline);
    unknown_.setUnderlineColor(Qt::red);
}

void SpellHighlighter::highlightBlock(const QString &text) {
    for (const TextSpan &span : checker_.unknownWords(text))
        setFormat(int(span.start), int(span.length), unknown_);
}
