#include "model/Approximation.h"

#include <unicode/translit.h>
#include <unicode/unistr.h>

#include <QCryptographicHash>
#include <QList>
#include <QMutex>
#include <memory>

#include "model/Cp1252.h"

namespace Approximation {

namespace {

// Russian names by the scheme German and English readers read best
// ("Шмидт" → "Shmidt"), the rest of the scripts by ICU's general rules,
// soft and hard signs dropped, then every accent the code page lacks
// taken off ("Ş" → "S", "ı" → "i", "ł" → "l").
constexpr char kTransform[] =
    "Russian-Latin/BGN; Any-Latin; [\\u02B9\\u02BA\\u02BB\\u02BC\\u02CC] Remove; Latin-ASCII";

class Transliteration {
public:
    Transliteration() {
        UErrorCode status = U_ZERO_ERROR;
        UParseError parseError;
        transliterator_.reset(icu::Transliterator::createInstance(
            icu::UnicodeString(kTransform, -1, US_INV), UTRANS_FORWARD, parseError, status));
        if (U_FAILURE(status)) {
            // Without the full data set, at least the general rules.
            status = U_ZERO_ERROR;
            transliterator_.reset(icu::Transliterator::createInstance(
                icu::UnicodeString("Any-Latin; Latin-ASCII", -1, US_INV), UTRANS_FORWARD,
                parseError, status));
            if (U_FAILURE(status))
                transliterator_.reset();
        }
    }

    QString apply(const QString &word) {
        if (!transliterator_)
            return word;
        QMutexLocker lock(&guard_);
        icu::UnicodeString text(reinterpret_cast<const UChar *>(word.utf16()),
                                int32_t(word.size()));
        transliterator_->transliterate(text);
        return QString(reinterpret_cast<const QChar *>(text.getBuffer()), text.length());
    }

private:
    QMutex guard_;
    std::unique_ptr<icu::Transliterator> transliterator_;
};

Transliteration &Shared() {
    static Transliteration shared;
    return shared;
}

bool partOfWord(char32_t c) {
    const QChar::Category category = QChar::category(c);
    return QChar::isLetterOrNumber(c) || category == QChar::Mark_NonSpacing ||
           category == QChar::Mark_SpacingCombining || category == QChar::Mark_Enclosing ||
           c == U'\'' || c == 0x2019;
}

bool isCross(char32_t c) {
    return c == 0x271D || c == 0x271E || c == 0x271F || c == 0x2720 || c == 0x2626 || c == 0x2629 ||
           c == 0x1F547;
}

// What is left outside the code page after transliterating: crosses become
// the dagger, everything else is left out.
void appendRest(QString &out, const QString &piece) {
    const QList<uint> characters = piece.toUcs4();
    for (const uint c : characters) {
        const QString one = QString::fromUcs4(reinterpret_cast<const char32_t *>(&c), 1);
        if (Cp1252::canEncode(one))
            out += one;
        else if (isCross(c))
            out += QChar(0x2020);
    }
}

}  // namespace

QString forWindows1252(const QString &text) {
    const QString composed = text.normalized(QString::NormalizationForm_C);
    if (Cp1252::canEncode(composed))
        return composed;
    QString out;
    out.reserve(composed.size());
    qsizetype i = 0;
    while (i < composed.size()) {
        // One word (letters, digits and their marks), or one other character.
        qsizetype end = i;
        const auto next = [&composed](qsizetype at, char32_t *c) {
            const QChar high = composed.at(at);
            if (high.isHighSurrogate() && at + 1 < composed.size() &&
                composed.at(at + 1).isLowSurrogate()) {
                *c = QChar::surrogateToUcs4(high, composed.at(at + 1));
                return at + 2;
            }
            *c = high.unicode();
            return at + 1;
        };
        char32_t c = 0;
        end = next(i, &c);
        if (partOfWord(c)) {
            while (end < composed.size()) {
                char32_t d = 0;
                const qsizetype after = next(end, &d);
                if (!partOfWord(d))
                    break;
                end = after;
            }
        }
        const QString piece = composed.mid(i, end - i);
        if (Cp1252::canEncode(piece))
            out += piece;
        else
            appendRest(out, Shared().apply(piece));
        i = end;
    }
    return out;
}

QByteArray fingerprint(const QByteArray &bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha1).toHex().left(8).toUpper();
}

}  // namespace Approximation
