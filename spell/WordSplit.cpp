#include "spell/WordSplit.h"

namespace {

bool IsWordChar(QChar c) {
    return c.isLetterOrNumber() || c.isMark();
}

bool IsJoiner(QChar c) {
    return c == QLatin1Char('-') || IsApostrophe(c);
}

}  // namespace

bool IsApostrophe(QChar c) {
    switch (c.unicode()) {
        case 0x0027:  // '
        case 0x0060:  // `
        case 0x00B4:  // ´
        case 0x2018:  // ‘
        case 0x2019:  // ’
        case 0x02BC:  // ʼ
            return true;
        default:
            return false;
    }
}

bool IsSkippedWord(QStringView part) {
    int letters = 0;
    bool small = false;
    for (QChar c : part) {
        if (c.isNumber())
            return true;
        if (c.isLetter()) {
            ++letters;
            small = small || c.isLower();
        }
    }
    return letters <= 1 || !small;
}

QList<SpellWord> SplitWords(QStringView text) {
    QList<SpellWord> words;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        if (!IsWordChar(text[i])) {
            ++i;
            continue;
        }
        const qsizetype start = i;
        while (i < n) {
            if (IsWordChar(text[i]))
                ++i;
            // A hyphen or apostrophe joins only between two word characters:
            // "Mutter-" and "Hans'" end before it, "-Eltern" starts after it.
            else if (IsJoiner(text[i]) && i + 1 < n && IsWordChar(text[i + 1]))
                i += 2;
            else
                break;
        }
        const QStringView word = text.sliced(start, i - start);
        bool checked = false;
        for (QStringView part : word.tokenize(QLatin1Char('-'))) {
            if (!IsSkippedWord(part)) {
                checked = true;
                break;
            }
        }
        if (checked)
            words.append({{start, i - start}, i < n && text[i] == QLatin1Char('.')});
    }
    return words;
}
