#include "model/QueueSettings.h"

#include <cmath>

#include "model/Lengths.h"
#include "model/SettingsFile.h"

namespace {

const QString kCutKey = QStringLiteral("Schneiden");
const QString kFactorKey = QStringLiteral("Laengenfaktor");

// Characters a queue name keeps as they are in its section's name. Anything
// else (']' would end the section name, blanks at the ends would be lost, a
// letter Windows-1252 lacks could not be written, '%' is the escape itself)
// becomes '%' and two hexadecimal digits per UTF-8 byte, so that two queues
// never share a section.
bool safeInSection(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '_' || c == '.' || c == '~';
}

const QString kExample = QStringLiteral("z. B. 498,5");

}  // namespace

QString QueueSettingsSection(const QString &queue) {
    QString section = QStringLiteral("Drucker ");
    const QByteArray utf8 = queue.toUtf8();
    for (const char c : utf8) {
        if (safeInSection(c))
            section += QLatin1Char(c);
        else
            section += QStringLiteral("%%1").arg(uint(uchar(c)), 2, 16, QLatin1Char('0')).toUpper();
    }
    return section;
}

QueueSettings ReadQueueSettings(const SettingsFile *file, const QString &queue) {
    QueueSettings values;
    // A queue without a name has no section: "Drucker " would read as [Drucker].
    if (!file || queue.isEmpty())
        return values;
    const QString section = QueueSettingsSection(queue);
    const std::int32_t cut = file->readInteger(section, kCutKey, 0);
    if (cut >= int(CutMode::Never) && cut <= int(CutMode::AfterJob))
        values.cut = CutMode(cut);
    // Written with a point; a comma from a hand edit is read all the same.
    QString text = file->readString(section, kFactorKey).trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double factor = text.toDouble(&ok);
    if (ok && std::isfinite(factor) && factor >= MinLengthFactor && factor <= MaxLengthFactor)
        values.lengthFactor = factor;
    return values;
}

void WriteQueueSettings(SettingsFile &file, const QString &queue, const QueueSettings &values) {
    if (queue.isEmpty())
        return;
    const QString section = QueueSettingsSection(queue);
    SettingsFile::Batch batch(file);
    file.writeInteger(section, kCutKey, std::int32_t(values.cut));
    file.writeString(section, kFactorKey, QString::number(values.lengthFactor, 'f', 4));
    batch.commit();
}

std::optional<double> ParseMeasuredLength(const QString &text, QString *error) {
    auto refuse = [error](const QString &message) -> std::optional<double> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    QString t = text.trimmed();
    if (t.endsWith(QLatin1String("mm"), Qt::CaseInsensitive))
        t = t.chopped(2).trimmed();
    if (t.isEmpty())
        return refuse(QStringLiteral("Bitte die gemessene L\u00e4nge in Millimetern eingeben, %1.")
                          .arg(kExample));
    if (t.startsWith(QLatin1Char('-')))
        return refuse(QStringLiteral("Die gemessene L\u00e4nge kann nicht negativ sein."));

    qsizetype separator = -1;
    int separators = 0;
    for (qsizetype i = 0; i < t.size(); ++i) {
        const QChar c = t[i];
        if (c == QLatin1Char(',') || c == QLatin1Char('.')) {
            ++separators;
            separator = i;
        } else if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return refuse(QStringLiteral("\"%1\" ist keine L\u00e4nge in Millimetern (%2).")
                              .arg(text.trimmed(), kExample));
        }
    }
    if (separators > 1)
        return refuse(QStringLiteral("Bitte die L\u00e4nge mit h\u00f6chstens einem Komma "
                                     "eingeben (%1).")
                          .arg(kExample));
    // "2.000" is two metres to one reader and two millimetres to another.
    if (separator >= 0 && t.size() - separator - 1 == 3)
        return refuse(QStringLiteral("Bitte die L\u00e4nge in Millimetern ohne "
                                     "Tausendertrennzeichen eingeben, %1.")
                          .arg(kExample));
    if (separator == 0 || separator == t.size() - 1)
        return refuse(QStringLiteral("\"%1\" ist keine L\u00e4nge in Millimetern (%2).")
                          .arg(text.trimmed(), kExample));

    bool ok = false;
    const double mm = QString(t).replace(QLatin1Char(','), QLatin1Char('.')).toDouble(&ok);
    if (!ok || !std::isfinite(mm))
        return refuse(QStringLiteral("\"%1\" ist keine L\u00e4nge in Millimetern (%2).")
                          .arg(text.trimmed(), kExample));
    if (mm <= 0)
        return refuse(
            QStringLiteral("Die gemessene L\u00e4nge muss gr\u00f6\u00dfer als 0 mm sein."));
    if (mm > 10.0 * CalibrationLengthMm)
        return refuse(QStringLiteral("%1 mm ist viel zu lang: der Kalibrierstreifen ist %2 mm "
                                     "lang. Bitte die L\u00e4nge in Millimetern eingeben, %3.")
                          .arg(GermanLength(mm, LengthUnit::None))
                          .arg(CalibrationLengthMm)
                          .arg(kExample));
    return mm;
}

std::optional<double> CalibrationFactor(double measuredMm, QString *error) {
    const double factor = measuredMm > 0 ? CalibrationLengthMm / measuredMm : 0.0;
    if (std::isfinite(factor) && factor >= MinLengthFactor && factor <= MaxLengthFactor)
        return factor;
    if (error) {
        // The bounds rounded inwards, so that every length named is taken.
        const double shortest = std::ceil(CalibrationLengthMm / MaxLengthFactor * 10.0) / 10.0;
        const double longest = std::floor(CalibrationLengthMm / MinLengthFactor * 10.0) / 10.0;
        *error = QStringLiteral(
                     "Gemessen %1 mm: so weit weicht kein Drucker ab. Der %2-mm-Streifen "
                     "muss zwischen %3 und %4 mm lang sein. Bitte von Strich zu Strich "
                     "nachmessen.")
                     .arg(GermanLength(measuredMm, LengthUnit::None))
                     .arg(CalibrationLengthMm)
                     .arg(GermanLength(shortest, LengthUnit::None),
                          GermanLength(longest, LengthUnit::None));
    }
    return std::nullopt;
}
