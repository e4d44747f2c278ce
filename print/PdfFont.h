#pragma once

#include <QByteArray>
#include <QMap>
#include <QRawFont>
#include <QString>
#include <memory>
#include <set>

// Text as PDF's hexadecimal UTF-16 (without the angle brackets).
QByteArray PdfUtf16Hex(const QString &text);

// A TrueType or CFF face as a PDF writes it: the glyphs a document uses, kept
// in a font program of their own at their own glyph numbers, shown by those
// numbers, with their widths and the characters each one stands for, so that
// the text can be searched and copied and survives a conversion to
// PostScript on the way to a printer.
class PdfFont {
public:
    enum class Kind { TrueType, Cff };

    // None for a face without TrueType or (name-keyed) CFF outlines, or with
    // tables that do not hold together.
    static std::unique_ptr<PdfFont> FromRawFont(const QRawFont &font);

    Kind kind() const { return kind_; }
    // Notes a glyph as used, standing for `text` (empty when unknown). A glyph
    // keeps the first text it is given.
    void use(quint32 glyph, const QString &text);
    // The advance of a glyph in thousandths of the em, as the font file says.
    double width(quint32 glyph) const;
    quint32 glyphCount() const { return glyphCount_; }
    // The same face with only those of its used glyphs that are in `glyphs`,
    // each still standing for its text: a font for some of the pages.
    std::unique_ptr<PdfFont> restrictedTo(const std::set<quint32> &glyphs) const;

    // "ABCDEF+Family-Style": a subset's name, the same for the same glyphs.
    QByteArray baseFontName() const;
    // The font program with only the used glyphs (and what they are made of),
    // each at its own number: a TrueType file, or a bare CFF font for a CFF
    // face. The whole face when the subsetter refuses it.
    QByteArray subsetFile() const;
    // The entries of the font descriptor besides its type, name and file.
    QByteArray descriptorEntries() const;
    // The /W array of the used glyphs.
    QByteArray widthsArray() const;
    // The ToUnicode CMap of the used glyphs.
    QByteArray toUnicodeCMap() const;

private:
    PdfFont() = default;
    // The face's tables put together as a font file again.
    QByteArray faceFile() const;

    Kind kind_ = Kind::TrueType;
    QString name_;
    QMap<QByteArray, QByteArray> tables_;
    quint32 glyphCount_ = 0;
    int unitsPerEm_ = 1000;
    QMap<quint32, QString> used_;  // glyph -> the characters it stands for
};
