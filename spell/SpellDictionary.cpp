#include "spell/SpellDictionary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>

#include <hunspell/hunspell.hxx>
#include <mutex>

#include "model/Cp1252.h"

const QString SpellingSection = QStringLiteral("General");
const QString SpellingKey = QStringLiteral("Rechtschreibung");
const QString SpellingOff = QStringLiteral("Aus");

namespace {

struct Language {
    const char *code;
    const char *label;
};

const Language kLanguages[] = {
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

QList<DictionaryFiles> GermanDictionaries(const QStringList &folders) {
    QList<DictionaryFiles> found;
    for (const Language &language : kLanguages) {
        const QString code = QLatin1String(language.code);
        for (const QString &folder : folders) {
            const QDir dir(folder);
            const QString aff = dir.filePath(code + QStringLiteral(".aff"));
            const QString dic = dir.filePath(code + QStringLiteral(".dic"));
            if (Readable(aff) && Readable(dic)) {
                found.append({code, QString::fromUtf8(language.label), aff, dic});
                break;
            }
        }
    }
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
    const QByteArray name = QByteArray::fromStdString(hunspell->get_dict_encoding()).trimmed();
    const QByteArray key = name.toUpper();
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
    return std::unique_ptr<SpellDictionary>(
        new SpellDictionary(files, std::move(hunspell), encoding, name));
}

bool SpellDictionary::encode(const QString &word, std::string *out) const {
    if (word.isEmpty() || word.size() > MaxWordLength || !word.isValidUtf16())
        return false;
    QByteArray bytes;
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
    if (bytes.contains('\0'))
        return false;
    *out = bytes.toStdString();
    return true;
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
