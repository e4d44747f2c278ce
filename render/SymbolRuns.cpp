#include "render/SymbolRuns.h"

#include <QChar>

#include "render/FaceCoverage.h"

namespace {

// The character at `at` and how many UTF-16 units it takes.
char32_t CharacterAt(const QString &text, qsizetype at, qsizetype &units) {
    const QChar c = text.at(at);
    if (c.isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate()) {
        units = 2;
        return QChar::surrogateToUcs4(c, text.at(at + 1));
    }
    units = 1;
    return c.unicode();
}

bool IsMark(char32_t ch) {
    const QChar::Category c = QChar::category(ch);
    return c == QChar::Mark_NonSpacing || c == QChar::Mark_Enclosing ||
           c == QChar::Mark_SpacingCombining;
}

}  // namespace

QList<FaceRun> SymbolFaceRuns(const QString &face, const QString &text) {
    // Letters are never symbols: the first pass costs a category look-up
    // per character for the lines that need no second face.
    bool any = false;
    qsizetype units = 1;
    for (qsizetype at = 0; at < text.size() && !any; at += units) {
        const char32_t ch = CharacterAt(text, at, units);
        any = FaceCoverage::IsSymbol(ch) && FaceCoverage::DrawnFromSymbolFace(face, ch);
    }
    if (!any)
        return {};

    QList<FaceRun> runs;
    for (qsizetype at = 0; at < text.size(); at += units) {
        const char32_t ch = CharacterAt(text, at, units);
        const bool symbol = !runs.isEmpty() && IsMark(ch)
                                ? runs.last().symbolFace
                                : FaceCoverage::DrawnFromSymbolFace(face, ch);
        if (runs.isEmpty() || runs.last().symbolFace != symbol)
            runs.append(FaceRun{at, 0, symbol});
        runs.last().length += units;
    }
    return runs;
}
