#include "spell/SpellDictionary.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QLocale>
#include <QSet>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cctype>
#include <hunspell/hunspell.hxx>
#include <mutex>

#include "model/Cp1252.h"
#include "spell/DictionaryNames.h"

const QString SpellingSection = QStringLiteral("General");
const QString SpellingKey = QStringLiteral("Rechtschreibung");
const QString SpellingOff = QStringLiteral("Aus");

namespace {

// The German dictionaries keep their place at the top of the menu and their
// own mnemonics.
struct Language {
    const char *code;
    const char *label;
};

const Language kGerman[] = {
    {"de_DE", "Deutsch (&Deutschland)"},
    {"de_AT", "Deutsch (\u00D6&sterreich)"},
    {"de_CH", "Deutsch (S&chweiz)"},
};

// Hunspell keeps one process-wide character table, made by the first
// dictionary and freed with the last; a dictionary loaded on a worker thread
// while the GUI thread drops another must not race on it.
std::mutex &HunspellLifetimes() {
    static std::mutex mutex;
    return mutex;
}

bool Readable(const QString &path) {
    const QFileInfo info(path);
    return info.isFile() && info.isReadable();
}

}  // namespace

QStringList DictionaryFolders() {
    return {QStringLiteral("/usr/share/hunspell"), QStringLiteral("/usr/local/share/hunspell"),
            QStringLiteral("/usr/share/myspell/dicts")};
}

QList<DictionaryFiles> InstalledDictionaries(const QStringList &folders) {
    // Every code once, from the first folder that holds both its files.
    QList<DictionaryFiles> found;
    QSet<QString> codes;
    for (const QString &folder : folders) {
        const QDir dir(folder);
        const QStringList dics =
            dir.entryList({QStringLiteral("*.dic")}, QDir::Files | QDir::Readable, QDir::Name);
        for (const QString &name : dics) {
            const QString code = name.chopped(4);
            const QString aff = dir.filePath(code + QStringLiteral(".aff"));
            const QString dic = dir.filePath(name);
            if (code.isEmpty() || codes.contains(code) || !Readable(aff) || !Readable(dic))
                continue;
            codes.insert(code);
            found.append({code, QString(), aff, dic});
        }
    }
    // A code whose files are links to another's is the same dictionary
    // again: the one the files are named after stays.
    QHash<QString, QString> owner;  // the real .dic file -> the code listed for it
    for (const DictionaryFiles &files : std::as_const(found)) {
        const QString real = QFileInfo(files.dic).canonicalFilePath();
        if (QFileInfo(real).completeBaseName() == files.code || !owner.contains(real))
            owner.insert(real, files.code);
    }
    found.removeIf([&](const DictionaryFiles &files) {
        return owner.value(QFileInfo(files.dic).canonicalFilePath()) != files.code;
    });

    QHash<QLocale::Language, int> perLanguage;
    for (const DictionaryFiles &files : std::as_const(found))
        ++perLanguage[DictionaryLanguage(files.code)];
    for (DictionaryFiles &files : found) {
        files.label =
            DictionaryLabel(files.code, perLanguage.value(DictionaryLanguage(files.code)) > 1);
        for (const Language &german : kGerman) {
            if (files.code == QLatin1String(german.code))
                files.label = QString::fromUtf8(german.label);
        }
    }
    const auto germanRank = [](const QString &code) {
        for (qsizetype i = 0; i < qsizetype(std::size(kGerman)); ++i) {
            if (code == QLatin1String(kGerman[i].code))
                return i;
        }
        return qsizetype(std::size(kGerman));
    };
    QCollator collator{QLocale(QLocale::German, QLocale::Germany)};
    std::stable_sort(found.begin(), found.end(),
                     [&](const DictionaryFiles &a, const DictionaryFiles &b) {
                         const qsizetype rankA = germanRank(a.code), rankB = germanRank(b.code);
                         if (rankA != rankB)
                             return rankA < rankB;
                         return collator.compare(a.label, b.label) < 0;
                     });
    return found;
}

std::optional<DictionaryFiles> ChosenDictionary(const QString &setting,
                                                const QList<DictionaryFiles> &installed) {
    const QString value = setting.trimmed();
    if (value.compare(SpellingOff, Qt::CaseInsensitive) == 0 || installed.isEmpty())
        return std::nullopt;
    for (const QString &code : {value, QStringLiteral("de_DE")}) {
        for (const DictionaryFiles &files : installed) {
            if (files.code.compare(code, Qt::CaseInsensitive) == 0)
                return files;
        }
    }
    return installed.first();
}

SpellDictionary::SpellDictionary(DictionaryFiles files, std::unique_ptr<Hunspell> hunspell,
                                 Encoding encoding, QByteArray encodingName)
    : files_(std::move(files)),
      hunspell_(std::move(hunspell)),
      encoding_(encoding),
      encodingName_(std::move(encodingName)) {}

SpellDictionary::~SpellDictionary() {
    const std::lock_guard<std::mutex> lock(HunspellLifetimes());
    hunspell_.reset();
}

std::unique_ptr<SpellDictionary> SpellDictionary::open(const DictionaryFiles &files) {
    if (!Readable(files.aff) || !Readable(files.dic))
        return nullptr;
    const std::lock_guard<std::mutex> lock(HunspellLifetimes());
    auto hunspell = std::make_unique<Hunspell>(QFile::encodeName(files.aff).constData(),
                                               QFile::encodeName(files.dic).constData());
    QByteArray name = QByteArray::fromStdString(hunspell->get_dict_encoding()).trimmed();
    QByteArray key = name.toUpper();
    // Hunspell's name of the Windows code pages (Bulgarian, Ukrainian lists).
    if (key.startsWith("MICROSOFT-CP")) {
        name = "windows-" + name.mid(12);
        key = name.toUpper();
    }
    Encoding encoding = Encoding::Named;
    if (key == "UTF-8" || key == "UTF8")
        encoding = Encoding::Utf8;
    else if (key == "ISO8859-1" || key == "ISO-8859-1" || key == "LATIN1")
        encoding = Encoding::Latin1;
    else if (key == "MICROSOFT-CP1252" || key == "CP1252" || key == "WINDOWS-1252")
        encoding = Encoding::Cp1252;
    else if (!QStringEncoder(name.constData()).isValid() ||
             !QStringDecoder(name.constData()).isValid())
        return nullptr;
    std::unique_ptr<SpellDictionary> dictionary(
        new SpellDictionary(files, std::move(hunspell), encoding, name));
    dictionary->letters_ = dictionary->tryLetters();
    return dictionary;
}

QSet<char32_t> SpellDictionary::tryLetters() const {
    QSet<char32_t> letters;
    QFile aff(files_.aff);
    if (!aff.open(QIODevice::ReadOnly))
        return letters;
    while (!aff.atEnd()) {
        const QByteArray line = aff.readLine().trimmed();
        if (!line.startsWith("TRY") || line.size() < 5 || !std::isspace(quint8(line[3])))
            continue;
        for (const char32_t c : decode(line.mid(4).trimmed().toStdString()).toUcs4()) {
            if (QChar::isLetter(c))
                letters.insert(QChar::toLower(c));
        }
        break;
    }
    return letters;
}

bool SpellDictionary::judges(const QString &word) const {
    QByteArray bytes;
    if (!toBytes(word, &bytes))
        return false;
    if (letters_.isEmpty())
        return true;
    for (const char32_t c : word.toUcs4()) {
        if (QChar::isLetter(c) && !letters_.contains(QChar::toLower(c)))
            return false;
    }
    return true;
}

bool SpellDictionary::encode(const QString &word, std::string *out) const {
    if (word.isEmpty() || word.size() > MaxWordLength)
        return false;
    QByteArray bytes;
    if (!toBytes(word, &bytes))
        return false;
    *out = bytes.toStdString();
    return true;
}

bool SpellDictionary::toBytes(const QString &word, QByteArray *out) const {
    if (!word.isValidUtf16())
        return false;
    QByteArray &bytes = *out;
    switch (encoding_) {
        case Encoding::Utf8:
            bytes = word.toUtf8();
            break;
        case Encoding::Latin1:
            for (QChar c : word) {
                if (c.unicode() > 0xFF)
                    return false;
            }
            bytes = word.toLatin1();
            break;
        case Encoding::Cp1252:
            if (!Cp1252::encode(word, &bytes))
                return false;
            break;
        case Encoding::Named: {
            QStringEncoder encoder(encodingName_.constData());
            bytes = encoder.encode(word);
            if (encoder.hasError())
                return false;
            break;
        }
    }
    // A NUL would end the word early inside Hunspell.
    return !bytes.contains('\0');
}

QString SpellDictionary::decode(const std::string &bytes) const {
    const QByteArray raw = QByteArray::fromStdString(bytes);
    switch (encoding_) {
        case Encoding::Utf8:
            return QString::fromUtf8(raw);
        case Encoding::Latin1:
            return QString::fromLatin1(raw);
        case Encoding::Cp1252:
            return Cp1252::decode(raw);
        case Encoding::Named:
            break;
    }
    QStringDecoder decoder(encodingName_.constData());
    return decoder.decode(raw);
}

bool SpellDictionary::spell(const QString &word) {
    std::string bytes;
    return encode(word, &bytes) && hunspell_->spell(bytes);
}

QStringList SpellDictionary::suggest(const QString &word) {
    std::string bytes;
    if (!encode(word, &bytes))
        return {};
    QStringList result;
    for (const std::string &suggestion : hunspell_->suggest(bytes))
        result.append(decode(suggestion));
    return result;
}
