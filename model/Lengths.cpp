#include "model/Lengths.h"

#include <QLocale>

QString GermanLength(double value, LengthUnit unit, int decimals) {
    QLocale german(QLocale::German);
    german.setNumberOptions(QLocale::OmitGroupSeparator);
    QString text = german.toString(value, 'f', decimals);
    const QString comma = german.decimalPoint();
    if (text.contains(comma)) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(comma))
            text.chop(comma.size());
    }
    // A small negative value rounded away is no "-0".
    if (text == QLatin1String("-0"))
        text = QStringLiteral("0");
    switch (unit) {
        case LengthUnit::None:
            return text;
        case LengthUnit::Millimetres:
            return text + QStringLiteral(" mm");
        case LengthUnit::Metres:
            return text + QStringLiteral(" m");
    }
    return text;
}
