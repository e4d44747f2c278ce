#pragma once

#include <QSyntaxHighlighter>

class SpellChecker;

// Underlines the unknown words of a memo with a red wavy line. Qt hands it
// one line (text block) at a time, and only the lines an edit touched, so a
// keystroke re-checks its own line and nothing else.
class SpellHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    SpellHighlighter(QTextDocument *document, SpellChecker &checker);

protected:
    void highlightBlock(const QString &text) override;

private:
    SpellChecker &checker_;
    QTextCharFormat unknown_;
};
