#pragma once

#include <QByteArrayView>
#include <QString>

// The rules for text that enters a ribbon, a stored format or a phrase. Any
// letter of any script is welcome; what is refused would break the files or
// the drawing: control characters (a tab excepted), line and paragraph
// separators, noncharacters and halves of a surrogate pair. Capacities count
// letters as a person sees them (grapheme clusters), so a cut never parts a
// letter from its accent or a character from its second UTF-16 half.
namespace UnicodeText {

// Position (in UTF-16 units) of the first character that no text may hold,
// or -1. A lone surrogate counts as such a character.
qsizetype firstRefused(const QString &text);
inline bool acceptable(const QString &text) {
    return firstRefused(text) < 0;
}

// The text of UTF-8 bytes, a U+FEFF at their start kept as the character it
// is: QString::fromUtf8 drops it as a byte order mark, which a value or line
// cut out of a file never carries (a file's own mark is the file reader's to
// skip). *valid, when given, tells whether the bytes were well-formed UTF-8.
QString FromUtf8(QByteArrayView bytes, bool *valid = nullptr);

// The text in composed form (NFC): "e" with a combining acute becomes "é",
// which every face and every file knows.
QString composed(const QString &text);

// Letters as a person counts them.
qsizetype letterCount(const QString &text);
// The first `letters` letters of the text (the text itself when it is not longer).
QString firstLetters(const QString &text, qsizetype letters);

}  // namespace UnicodeText
