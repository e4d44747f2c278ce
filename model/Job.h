#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

class ProfileFile;
class SettingsFile;

// A text with a fixed capacity in letters (as a person counts them). Every
// assignment keeps the first N letters in composed form; text with characters
// no file can hold (see UnicodeText) is refused.
template <int N>
class ShortText {
public:
    static constexpr int Capacity = N;

    ShortText() = default;
    explicit ShortText(const QString &text) { set(text); }

    // Returns false and keeps the old value when the text holds a character
    // that no text may hold.
    bool set(const QString &text);

    const QString &str() const { return text_; }
    operator const QString &() const { return text_; }
    bool isEmpty() const { return text_.isEmpty(); }
    bool operator==(const ShortText &) const = default;
    bool operator==(const QString &other) const { return text_ == other; }

private:
    QString text_;
};

// The lines of one ribbon end, owned by the job. Lines are unlimited in number
// and length, in composed form; control characters are refused.
class TextLines {
public:
    bool set(const QStringList &lines);
    const QStringList &lines() const { return lines_; }
    operator const QStringList &() const { return lines_; }
    qsizetype size() const { return lines_.size(); }
    bool isEmpty() const { return lines_.isEmpty(); }
    const QString &at(qsizetype i) const { return lines_.at(i); }
    void clear() { lines_.clear(); }
    bool operator==(const TextLines &) const = default;

private:
    QStringList lines_;
};

class TPersistent {
public:
    virtual ~TPersistent() = default;
    virtual void CopyTo(TPersistent &dest) const = 0;
    void CopyFrom(const TPersistent &source) { source.CopyTo(*this); }

protected:
    TPersistent() = default;
    TPersistent(const TPersistent &) = default;
    TPersistent &operator=(const TPersistent &) = default;
};

enum RibbonStyle : std::int32_t { Align = 0, Center = 1, UpSide = 2 };

// One wreath ribbon, or a stored format. Lengths are whole millimetres.
class TJob : public TPersistent {
public:
    TJob();
    // Copy construction is not offered: a copy of a job means everything but
    // the texts (CopyFrom), which a copy constructor would hide.
    TJob(const TJob &) = delete;
    TJob &operator=(const TJob &) = delete;

    // Copies everything but TextLeft and TextRight; dest keeps its own lines.
    void CopyTo(TPersistent &dest) const override;

    // Whether either end has a line of text: ribbons without any are of no
    // use and are removed before printing.
    bool HasText() const { return !TextLeft.isEmpty() || !TextRight.isEmpty(); }

    // The sixteen stored keys of one section of the settings file.
    void SaveToSection(SettingsFile &file, const QString &section) const;
    void LoadFromSection(SettingsFile &file, const QString &section);
    // The same reading from a profile held in memory (a section of a ribbon file).
    void LoadFromSection(const ProfileFile &profile, const QString &section);

    ShortText<50> Name{QStringLiteral("Neuer Auftrag")};
    TextLines TextLeft;
    TextLines TextRight;
    ShortText<255> Kommission;
    bool Flip = true;
    bool Shadow = true;
    ShortText<50> FontName{QStringLiteral("Marigold")};
    std::int32_t FontGroesse = 60;
    std::uint32_t FontFarbe = 0x01000000;
    std::int32_t Stil = Align;
    std::int32_t Laenge = 1000;
    std::int32_t Breite = 170;
    std::int32_t Rand = 30;
    ShortText<255> BildNameLinks;
    ShortText<255> BildNameRechts;
    // The name of the ribbon file section the ribbon was read from (an order
    // system's order name), so that saving the list keeps it. Like the
    // texts, it belongs to this ribbon alone: copies do not take it.
    QString Section;
    std::int32_t BildBreiteLinks = 40;
    std::int32_t BildBreiteRechts = 40;
    std::int32_t BildAbstandLinks = 30;
    std::int32_t BildAbstandRechts = 30;
};

extern template class ShortText<50>;
extern template class ShortText<255>;
