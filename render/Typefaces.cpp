#include "render/Typefaces.h"

#include <map>

#include <QMutex>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include <QFont>
#include <QFontInfo>
#include <QHash>
#include <QRegularExpression>
#include <QSet>

namespace {

QString FcText(const FcChar8 *s) {
    return QString::fromUtf8(reinterpret_cast<const char *>(s));
}

// Every family name a font pattern carries (a face may belong to several,
// "DejaVu Sans" and "DejaVu Sans Condensed").
QStringList Families(FcPattern *pattern) {
    QStringList names;
    FcChar8 *name = nullptr;
    for (int k = 0; FcPatternGetString(pattern, FC_FAMILY, k, &name) == FcResultMatch && name; ++k)
        names.append(FcText(name));
    return names;
}

ResolvedFace Resolve(const QString &face) {
    ResolvedFace resolved;
    resolved.family = face;
    FcPattern *pattern = FcPatternCreate();
    if (!pattern)
        return resolved;
    const QByteArray name = face.toUtf8();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8 *>(name.constData()));
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern *match = FcFontMatch(nullptr, pattern, &result);
    if (match) {
        const QStringList families = Families(match);
        if (!families.isEmpty())
            resolved.family = families.first();
        // The match is the face itself when it carries the name asked for;
        // otherwise it is whatever fontconfig puts in its place.
        for (const QString &family : families) {
            if (family.compare(face, Qt::CaseInsensitive) == 0) {
                resolved.family = family;
                resolved.installed = true;
            }
        }
        FcChar8 *file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file) {
            resolved.file = QByteArray(reinterpret_cast<const char *>(file));
            if (FcPatternGetInteger(match, FC_INDEX, 0, &resolved.index) != FcResultMatch)
                resolved.index = 0;
        }
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return resolved;
}

// The family the preview draws for a name: Qt's own choice, without the
// "[foundry]" it adds when two foundries share a family.
QString PreviewFamily(const QString &family) {
    static const QRegularExpression foundry(QStringLiteral("\\s*\\[[^\\]]*\\]$"));
    QFont font(family);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    return QFontInfo(font).family().remove(foundry);
}

}  // namespace

const ResolvedFace &ResolveFace(const QString &face) {
    // Kept for the whole run. A map, so that an answer handed out stays where
    // it is when others are added; guarded, since pages may be drawn on
    // several threads.
    static std::map<QString, ResolvedFace> known;
    static QMutex guard;
    const QMutexLocker lock(&guard);
    auto it = known.find(face);
    if (it == known.end())
        it = known.emplace(face, Resolve(face)).first;
    return it->second;
}

QString MissingFaceMessage(const QString &face) {
    const ResolvedFace &resolved = ResolveFace(face);
    if (resolved.installed)
        return QString();
    return QStringLiteral(
               "Schriftart \u201E%1\u201C ist nicht installiert; verwendet wird "
               "\u201E%2\u201C.")
        .arg(face, resolved.family);
}

namespace {

// Whether the glyph that a letter's code maps to is named as that letter.
bool NamedAsLetter(FT_Face face, FT_UInt glyph, FT_ULong letter) {
    char name[64] = {};
    if (FT_Get_Glyph_Name(face, glyph, name, sizeof name) != 0)
        return false;
    const QLatin1String named(name);
    const QString code = QString::number(letter, 16).toUpper().rightJustified(4, QLatin1Char('0'));
    return named == QString(QChar(char16_t(letter))) || named == QLatin1String("uni") + code;
}

// Whether the face draws the basic Latin letters for their codes. Symbol
// faces (Dingbats, Standard Symbols PS and their kind) have no Unicode map,
// or map the letters' codes to their symbols ("Alpha", "a10"), and fontconfig
// lists them as Latin all the same; a ribbon lettered in one shows no letters.
bool DrawsLatinLetters(const ResolvedFace &face) {
    static FT_Library library = [] {
        FT_Library made = nullptr;
        return FT_Init_FreeType(&made) == 0 ? made : nullptr;
    }();
    FT_Face ft = nullptr;
    if (!library || face.file.isEmpty() ||
        FT_New_Face(library, face.file.constData(), face.index, &ft) != 0)
        return false;
    bool latin = FT_Select_Charmap(ft, FT_ENCODING_UNICODE) == 0;
    int named = 0;
    for (FT_ULong upper = 'A'; latin && upper <= 'Z'; ++upper) {
        for (const FT_ULong letter : {upper, upper + 32}) {
            const FT_UInt glyph = FT_Get_Char_Index(ft, letter);
            latin = latin && glyph != 0;
            if (glyph != 0 && FT_HAS_GLYPH_NAMES(ft) && NamedAsLetter(ft, glyph, letter))
                ++named;
        }
    }
    // A face that names its glyphs names most letters as letters; one whose
    // letter codes lead to other names is a symbol face in a Latin map.
    if (FT_HAS_GLYPH_NAMES(ft) && named < 26)
        latin = false;
    FT_Done_Face(ft);
    return latin;
}

}  // namespace

QStringList PrintableFamilies() {
    QSet<QString> names;
    FcPattern *pattern = FcPatternBuild(nullptr, FC_SCALABLE, FcTypeBool, FcTrue, FC_OUTLINE,
                                        FcTypeBool, FcTrue, nullptr);
    FcObjectSet *objects = FcObjectSetBuild(FC_FAMILY, nullptr);
    FcFontSet *fonts = pattern && objects ? FcFontList(nullptr, pattern, objects) : nullptr;
    if (fonts) {
        for (int i = 0; i < fonts->nfont; ++i) {
            for (const QString &family : Families(fonts->fonts[i]))
                names.insert(family);
        }
        FcFontSetDestroy(fonts);
    }
    if (objects)
        FcObjectSetDestroy(objects);
    if (pattern)
        FcPatternDestroy(pattern);

    QStringList faces;
    QSet<QString> seen;
    for (const QString &family : names) {
        if (family == QLatin1String("Symbol") || family == QLatin1String("Wingdings"))
            continue;
        // A name that fontconfig itself resolves to another face (a family
        // whose regular face lies in another family's file), or that the
        // preview would draw in another family, does not print as shown.
        const ResolvedFace &resolved = ResolveFace(family);
        if (!resolved.installed || resolved.family != family)
            continue;
        if (!DrawsLatinLetters(resolved))
            continue;
        if (PreviewFamily(family).compare(family, Qt::CaseInsensitive) != 0)
            continue;
        if (seen.contains(family.toCaseFolded()))
            continue;
        seen.insert(family.toCaseFolded());
        faces.append(family);
    }
    faces.sort(Qt::CaseInsensitive);
    return faces;
}
