#include "render/FaceCoverage.h"

#include <QChar>

#include "render/NativeOutline.h"

namespace FaceCoverage {

QString SymbolFace() {
    return QStringLiteral("DejaVu Sans");
}

bool IsSymbol(char32_t ch) {
    if (ch == 0x2020 || ch == 0x2021)
        return true;
    switch (QChar::category(ch)) {
        case QChar::Symbol_Math:
        case QChar::Symbol_Currency:
        case QChar::Symbol_Modifier:
        case QChar::Symbol_Other:
            return true;
        default:
            return false;
    }
}

bool DrawnFromSymbolFace(const QString &face, char32_t ch) {
    return IsSymbol(ch) && !FaceHasGlyph(face, ch) && FaceHasGlyph(SymbolFace(), ch);
}

namespace {

// Characters no face needs a glyph for: blanks, tabs, joiners, marks of
// direction and the selectors that only ask for a variant of the character
// before them (a cross typed on a phone comes with one) draw nothing.
bool DrawsNothing(char32_t ch) {
    if (ch == U'\t' || ch == 0x034F || (ch >= 0x180B && ch <= 0x180F) ||
        (ch >= 0xFE00 && ch <= 0xFE0F) || (ch >= 0xE0100 && ch <= 0xE01EF))
        return true;
    const QChar::Category c = QChar::category(ch);
    return c == QChar::Separator_Space || c == QChar::Other_Format || c == QChar::Other_Control;
}

}  // namespace

QList<char32_t> MissingCharacters(const QString &face, const QString &text) {
    QList<char32_t> missing;
    for (const char32_t ch : text.toUcs4()) {
        if (DrawsNothing(ch) || missing.contains(ch) || FaceHasGlyph(face, ch))
            continue;
        if (IsSymbol(ch) && FaceHasGlyph(SymbolFace(), ch))
            continue;
        missing.append(ch);
    }
    return missing;
}

}  // namespace FaceCoverage
