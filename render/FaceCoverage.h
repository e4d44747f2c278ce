#pragma once

#include <QList>
#include <QString>

// Which letters of a text a ribbon's face can print. A face never borrows a
// letter from another face silently: a letter it lacks is a finding the
// florist sees before printing. Only symbols (crosses, stars, hearts) may
// come from the one symbol face installed with the program, and only when
// the ribbon's face lacks them.
namespace FaceCoverage {

// The face symbols are drawn from when the ribbon's face lacks them.
QString SymbolFace();

// Whether the character is a sign rather than a letter of some script:
// Unicode's symbol categories and the dagger and double dagger.
bool IsSymbol(char32_t ch);

// Whether the character is drawn from the symbol face on a ribbon in `face`:
// a symbol that `face` lacks and the symbol face has.
bool DrawnFromSymbolFace(const QString &face, char32_t ch);

// The characters of `text` that neither `face` nor (for symbols) the symbol
// face can draw, each once, in the order they first occur. Blanks and other
// characters that draw nothing are never missing.
QList<char32_t> MissingCharacters(const QString &face, const QString &text);

}  // namespace FaceCoverage
