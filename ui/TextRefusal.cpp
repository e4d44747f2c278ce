#include "ui/TextRefusal.h"

#include "model/UnicodeText.h"

namespace {

const QString kPasteRefused =
    QStringLiteral("Der eingef\u00FCgte Text wurde nicht \u00FCbernommen: ");

}  // namespace

QString UnstorableCharacterMessage(const QString &text, bool pasted) {
    const qsizetype at = UnicodeText::firstRefused(text);
    if (at < 0)
        return QString();
    qsizetype length = 1;
    if (text.at(at).isHighSurrogate() && at + 1 < text.size() && text.at(at + 1).isLowSurrogate())
        length = 2;
    if (pasted)
        return kPasteRefused +
               QStringLiteral("das Zeichen \u201E%1\u201C kann nicht gespeichert werden.")
                   .arg(text.mid(at, length));
    return QStringLiteral(
               "Das Zeichen \u201E%1\u201C kann nicht gespeichert werden und wurde "
               "nicht \u00FCbernommen.")
        .arg(text.mid(at, length));
}

QString TooLongMessage(int limit, bool pasted) {
    if (pasted)
        return kPasteRefused +
               QStringLiteral("hier passen h\u00F6chstens %1 Zeichen hinein.").arg(limit);
    return QStringLiteral("Hier passen h\u00F6chstens %1 Zeichen hinein.").arg(limit);
}

qsizetype StoredLength(const QString &text) {
    return UnicodeText::letterCount(text) + text.count(QLatin1Char('\n'));
}
