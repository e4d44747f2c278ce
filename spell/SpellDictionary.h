#pragma once

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <string>

class Hunspell;

// A Hunspell dictionary on disk: the .aff and .dic file of one language.
struct DictionaryFiles {
    QString code;   // "de_DE"
    QString label;  // the menu's text, "Deutsch (&Deutschland)"
    QString aff;
    QString dic;
};

// Where Debian and hand installations put Hunspell dictionaries.
QStringList DictionaryFolders();

// The dictionaries found in the folders (both files of a code, the first
// folder that holds them wins): German (Germany), German (Austria), German
// (Switzerland) first, then the others by their German names ("Polnisch",
// "Russisch", "Englisch (Vereinigte Staaten)"). A code whose files are only
// links to another listed code's files (de_LU to de_DE) is left out.
QList<DictionaryFiles> InstalledDictionaries(const QStringList &folders = DictionaryFolders());

// RIBOLANT.INI [General] "Rechtschreibung": the code of the dictionary
// ("de_DE", "de_AT", "pl_PL", ...) or "Aus". Readers that do not know the key
// ignore it.
extern const QString SpellingSection;
extern const QString SpellingKey;
extern const QString SpellingOff;

// The dictionary a setting chooses: the installed one whose code it names
// (without regard to case); German (Germany), or else the first installed,
// when the value is missing or names none installed; none for "Aus" or when
// nothing is installed.
std::optional<DictionaryFiles> ChosenDictionary(const QString &setting,
                                                const QList<DictionaryFiles> &installed);

// One loaded dictionary. Words are handed to Hunspell in the dictionary's own
// encoding (the .aff file's SET line). A word with a character outside it, or
// with a letter the language does not use (not among the .aff file's TRY
// letters), is not the dictionary's to judge: "Dąbrowska" or "Ольга" against
// the German list. Not for two threads at once; it may
// be loaded on one thread and used on another.
class SpellDictionary {
public:
    // Null when the files cannot be read or their encoding is not supported.
    static std::unique_ptr<SpellDictionary> open(const DictionaryFiles &files);
    ~SpellDictionary();
    SpellDictionary(const SpellDictionary &) = delete;
    SpellDictionary &operator=(const SpellDictionary &) = delete;

    const DictionaryFiles &files() const { return files_; }
    // Whether the word is the dictionary's to judge (see above).
    bool judges(const QString &word) const;
    bool spell(const QString &word);
    QStringList suggest(const QString &word);

    // Longer words are unknown without asking Hunspell (its own limit).
    static constexpr qsizetype MaxWordLength = 100;

private:
    enum class Encoding { Utf8, Latin1, Cp1252, Named };
    SpellDictionary(DictionaryFiles files, std::unique_ptr<Hunspell> hunspell, Encoding encoding,
                    QByteArray encodingName);
    bool encode(const QString &word, std::string *out) const;
    bool toBytes(const QString &word, QByteArray *out) const;
    QSet<char32_t> tryLetters() const;
    QString decode(const std::string &bytes) const;

    DictionaryFiles files_;
    std::unique_ptr<Hunspell> hunspell_;
    Encoding encoding_;
    QByteArray encodingName_;
    QSet<char32_t> letters_;  // small letters of the TRY line; empty: any
};
