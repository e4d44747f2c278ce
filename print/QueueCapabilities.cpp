#include "print/QueueCapabilities.h"

#include <QMap>
#include <algorithm>
#include <cmath>

namespace {

// Beyond this a driver's size is taken for a mistake: a page longer than 100 m
// would only make the print plan endless. (Virtual printers such as cups-pdf
// offer 35 m either way.)
constexpr double kMaxSizeMm = 100000;
constexpr double kMaxMarginMm = 100;

constexpr double kMmPerPoint = 25.4 / 72.0;

double tenths(double mm) {
    return std::round(mm * 10.0) / 10.0;
}

// To a tenth inside what the driver gave: a largest size rounds down, a
// smallest size or a margin up (the tolerance keeps 12.7 from becoming 12.8).
double tenthsDown(double mm) {
    return std::floor(mm * 10.0 + 1e-6) / 10.0;
}
double tenthsUp(double mm) {
    return std::ceil(mm * 10.0 - 1e-6) / 10.0;
}

// "1270", "203,2": millimetres to a tenth, as the German texts show them.
QString mmText(double mm) {
    QString text = QString::number(tenths(mm), 'f', 1);
    if (text.endsWith(QLatin1String(".0")))
        text.chop(2);
    return text.replace(QLatin1Char('.'), QLatin1Char(','));
}

QString valueText(double mm, const QString &raw) {
    if (std::isfinite(mm))
        return mmText(mm);
    return raw.isEmpty() ? QStringLiteral("?") : raw;
}

// A size bound in millimetres, or none with a note: "Größte Seitenlänge
// 10000000 mm ignoriert". A smallest size may be 0 (no lower bound).
std::optional<double> checkedSize(double mm, bool smallest, const QString &what, const QString &raw,
                                  QStringList &notes) {
    if (std::isfinite(mm) && mm <= kMaxSizeMm && (smallest ? mm >= 0 : mm > 0))
        return smallest ? tenthsUp(mm) : tenthsDown(mm);
    notes << QStringLiteral("%1 %2 mm ignoriert").arg(what, valueText(mm, raw));
    return std::nullopt;
}

// What was gathered about free sizes, in millimetres, before it is checked.
struct SizeBounds {
    std::optional<double> minWidth, maxWidth, minLength, maxLength;
};

// The free size range from checked bounds, or none with a note when a bound
// is missing or a smallest size is above the largest.
std::optional<CustomSizeRange> rangeOf(const SizeBounds &b, QStringList &notes) {
    if (!b.maxWidth || !b.maxLength) {
        notes << QStringLiteral("Freie Papiergrößen ohne brauchbare größte Seite ignoriert");
        return std::nullopt;
    }
    CustomSizeRange range{b.minWidth.value_or(0), *b.maxWidth, b.minLength.value_or(0),
                          *b.maxLength};
    bool sound = true;
    if (range.minWidth > range.maxWidth) {
        notes << QStringLiteral("Kleinste Seitenbreite %1 mm über der größten %2 mm")
                     .arg(mmText(range.minWidth), mmText(range.maxWidth));
        sound = false;
    }
    if (range.minLength > range.maxLength) {
        notes << QStringLiteral("Kleinste Seitenlänge %1 mm über der größten %2 mm")
                     .arg(mmText(range.minLength), mmText(range.maxLength));
        sound = false;
    }
    if (!sound) {
        notes << QStringLiteral("Freie Papiergrößen ignoriert");
        return std::nullopt;
    }
    return range;
}

// Margins left, bottom, right, top; none with a note when one of them is
// unusable.
std::optional<HardwareMargins> checkedMargins(const double (&mm)[4], const QStringList &raw,
                                              QStringList &notes) {
    static const char *const sides[4] = {"links", "unten", "rechts", "oben"};
    bool sound = true;
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(mm[i]) || mm[i] < 0 || mm[i] > kMaxMarginMm) {
            notes << QStringLiteral("Rand %1 %2 mm ignoriert")
                         .arg(QLatin1String(sides[i]), valueText(mm[i], raw.value(i)));
            sound = false;
        }
    }
    if (!sound)
        return std::nullopt;
    return HardwareMargins{tenthsUp(mm[0]), tenthsUp(mm[1]), tenthsUp(mm[2]), tenthsUp(mm[3])};
}

// --- PPD -------------------------------------------------------------------

// One main keyword line of a PPD: "*Keyword Option/Text: Value".
struct PpdLine {
    QString keyword;
    QString option;
    QString text;
    QString value;
};

// The main keyword lines of a PPD, localized ones and comments left out; a
// quoted value over several lines keeps only its first line.
QList<PpdLine> ppdLines(const QByteArray &ppd) {
    QList<PpdLine> lines;
    const QList<QByteArray> raw = ppd.split('\n');
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const QString line = QString::fromLatin1(raw.at(i)).trimmed();
        if (!line.startsWith(QLatin1Char('*')) || line.startsWith(QLatin1String("*%")))
            continue;
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        const QString head = (colon < 0 ? line.mid(1) : line.mid(1, colon - 1)).trimmed();
        const QString value = colon < 0 ? QString() : line.mid(colon + 1).trimmed();
        // An open quote runs on to the line that closes it; lines in between
        // are PostScript or JCL, not keywords.
        if (value.count(QLatin1Char('"')) % 2 == 1) {
            while (i + 1 < raw.size() && !raw.at(i + 1).contains('"'))
                ++i;
            ++i;
        }
        const auto blank =
            std::find_if(head.begin(), head.end(), [](QChar c) { return c.isSpace(); });
        const qsizetype space = blank == head.end() ? -1 : blank - head.begin();
        PpdLine entry;
        entry.keyword = space < 0 ? head : head.left(space);
        if (entry.keyword.contains(QLatin1Char('.')))
            continue;  // a translation ("*de.zePrintMode ...")
        const QString optionText = space < 0 ? QString() : head.mid(space + 1).trimmed();
        const qsizetype slash = optionText.indexOf(QLatin1Char('/'));
        entry.option = slash < 0 ? optionText : optionText.left(slash);
        entry.text = slash < 0 ? QString() : optionText.mid(slash + 1);
        entry.value = value;
        lines << entry;
    }
    return lines;
}

QString unquoted(QString value) {
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2).trimmed();
    return value;
}

double number(const QString &text) {
    bool ok = false;
    const double value = text.toDouble(&ok);
    return ok ? value : std::nan("");
}

// Millimetres per unit of a ParamCustomPageSize type; 0 for one that is no length.
double mmPerUnit(const QString &type) {
    if (type == QLatin1String("points"))
        return kMmPerPoint;
    if (type == QLatin1String("inches"))
        return 25.4;
    if (type == QLatin1String("millimeters"))
        return 1;
    if (type == QLatin1String("centimeters"))
        return 10;
    return 0;
}

struct PpdOption {
    QString defaultChoice;
    QList<std::pair<QString, QString>> choices;  // keyword, text
};

QString squeezed(const QString &word) {
    QString out;
    for (const QChar c : word) {
        if (c.isLetterOrNumber())
            out += c.toLower();
    }
    return out;
}

// Whether an option decides about cutting: "CutMedia", "inCutInterval", or a
// mode with a cutter among its choices ("zePrintMode Cutter").
bool decidesCutting(const QString &name, const PpdOption &option) {
    if (name == QLatin1String("PageSize") || name == QLatin1String("PageRegion"))
        return false;
    if (name.contains(QLatin1String("cut"), Qt::CaseInsensitive))
        return true;
    return std::any_of(option.choices.begin(), option.choices.end(), [](const auto &choice) {
        const QString word = squeezed(choice.first);
        return word.contains(QLatin1String("cut")) && !word.contains(QLatin1String("cutsheet"));
    });
}

// What a choice of a cutting option means, where its keyword says it.
std::optional<CutWhen> cutWhen(const QString &optionName, const QString &choice) {
    const QString name = squeezed(optionName);
    const QString word = squeezed(choice);
    bool isNumber = false;
    const int n = word.toInt(&isNumber);
    if (isNumber) {
        if (name == QLatin1String("cutmedia") || name == QLatin1String("cupscutmedia")) {
            // CUPS's CutMedia: none, after the file, the job, the set, the page.
            static const CutWhen byValue[5] = {CutWhen::Never, CutWhen::AfterJob, CutWhen::AfterJob,
                                               CutWhen::AfterJob, CutWhen::AfterPage};
            if (n >= 0 && n <= 4)
                return byValue[n];
            return std::nullopt;
        }
        // An interval: every page; every second page fits no rule here.
        if (n == 0)
            return CutWhen::Never;
        if (n == 1)
            return CutWhen::AfterPage;
        return std::nullopt;
    }
    static const char *const never[] = {"none",  "never", "nocut", "disable", "off",
                                        "false", "tear",  "peel",  "rewind"};
    for (const char *w : never) {
        if (word.contains(QLatin1String(w)))
            return CutWhen::Never;
    }
    if (word.contains(QLatin1String("page")) || word.contains(QLatin1String("label")))
        return CutWhen::AfterPage;
    static const char *const job[] = {"job", "document", "file", "set", "cop", "collat"};
    for (const char *w : job) {
        if (word.contains(QLatin1String(w)))
            return CutWhen::AfterJob;
    }
    // A plain cutter, or a cutting option switched on, cuts each label or sheet.
    if (word.contains(QLatin1String("cut")) || word == QLatin1String("true") ||
        word == QLatin1String("on") || word == QLatin1String("yes"))
        return CutWhen::AfterPage;
    return std::nullopt;
}

std::optional<CutOption> cutOption(const QString &name, const PpdOption &option,
                                   QStringList &notes) {
    CutOption cut{name, option.defaultChoice, {}};
    bool cuts = false;
    for (const auto &[keyword, text] : option.choices) {
        if (const std::optional<CutWhen> when = cutWhen(name, keyword)) {
            cut.choices << CutChoice{keyword, text, *when};
            cuts = cuts || *when != CutWhen::Never;
        } else {
            notes << QStringLiteral("Wahl %1=%2 nicht gedeutet").arg(name, keyword);
        }
    }
    if (!cuts) {
        notes << QStringLiteral("Option %1 ohne erkennbares Schneiden ignoriert").arg(name);
        return std::nullopt;
    }
    return cut;
}

// --- IPP -------------------------------------------------------------------

// The smallest of the values an IPP printer offers for one margin, in
// millimetres; NaN when it offers none.
double smallestMargin(const QList<int> &hundredths) {
    if (hundredths.isEmpty())
        return std::nan("");
    return *std::min_element(hundredths.begin(), hundredths.end()) / 100.0;
}

QString finishingName(int value) {
    switch (value) {
        case 3:
            return QStringLiteral("none");
        case 60:
            return QStringLiteral("trim-after-pages");
        case 61:
            return QStringLiteral("trim-after-documents");
        case 62:
            return QStringLiteral("trim-after-copies");
        case 63:
            return QStringLiteral("trim-after-job");
        default:
            return QString();
    }
}

}  // namespace

QueueCapabilities QueueCapabilitiesFromPpd(const QByteArray &ppd) {
    QueueCapabilities caps;
    if (!ppd.startsWith("*PPD-Adobe")) {
        caps.notes << QStringLiteral("Keine PPD-Datei");
        return caps;
    }
    caps.known = true;
    bool customDeclared = false;
    SizeBounds bounds;
    std::optional<double> mediaMaxWidth, mediaMaxLength;
    QMap<QString, PpdOption> options;
    QStringList optionOrder;
    QStringList &notes = caps.notes;

    for (const PpdLine &line : ppdLines(ppd)) {
        const QString &key = line.keyword;
        if (key == QLatin1String("CustomPageSize")) {
            customDeclared = customDeclared || line.option == QLatin1String("True");
        } else if (key == QLatin1String("ParamCustomPageSize")) {
            // "*ParamCustomPageSize Width: 1 points 36 576": order, type, min, max.
            const bool width = line.option == QLatin1String("Width");
            if (!width && line.option != QLatin1String("Height"))
                continue;
            const QStringList parts = line.value.simplified().split(QLatin1Char(' '));
            const double unit = parts.size() == 4 ? mmPerUnit(parts.at(1)) : 0;
            if (unit == 0) {
                notes << QStringLiteral("Angabe %1 %2 nicht lesbar").arg(key, line.option);
                continue;
            }
            const QString dimension =
                width ? QStringLiteral("Seitenbreite") : QStringLiteral("Seitenlänge");
            const std::optional<double> lo =
                checkedSize(number(parts.at(2)) * unit, true,
                            QStringLiteral("Kleinste ") + dimension, parts.at(2), notes);
            const std::optional<double> hi =
                checkedSize(number(parts.at(3)) * unit, false,
                            QStringLiteral("Größte ") + dimension, parts.at(3), notes);
            (width ? bounds.minWidth : bounds.minLength) = lo;
            (width ? bounds.maxWidth : bounds.maxLength) = hi;
        } else if (key == QLatin1String("MaxMediaWidth") ||
                   key == QLatin1String("MaxMediaHeight")) {
            const bool width = key == QLatin1String("MaxMediaWidth");
            const QString raw = unquoted(line.value);
            (width ? mediaMaxWidth : mediaMaxLength) =
                checkedSize(number(raw) * kMmPerPoint, false,
                            width ? QStringLiteral("Größte Seitenbreite")
                                  : QStringLiteral("Größte Seitenlänge"),
                            raw, notes);
        } else if (key == QLatin1String("HWMargins")) {
            const QStringList parts = line.value.simplified().split(QLatin1Char(' '));
            double mm[4];
            for (int i = 0; i < 4; ++i)
                mm[i] = number(parts.value(i)) * kMmPerPoint;
            caps.margins = checkedMargins(mm, parts, notes);
        } else if (key == QLatin1String("OpenUI") || key == QLatin1String("JCLOpenUI")) {
            const QString name = line.option.mid(line.option.startsWith(QLatin1Char('*')));
            if (!options.contains(name))
                optionOrder << name;
            options[name];
        } else if (key.startsWith(QLatin1String("Default")) && options.contains(key.mid(7))) {
            options[key.mid(7)].defaultChoice = line.value;
        } else if (options.contains(key) && !line.option.isEmpty()) {
            options[key].choices.append({line.option, line.text});
        }
    }

    // The smaller of the two largest sizes a driver may give is the one it holds to.
    auto smaller = [](std::optional<double> a, std::optional<double> b) {
        if (a && b)
            return std::optional<double>(std::min(*a, *b));
        return a ? a : b;
    };
    bounds.maxWidth = smaller(bounds.maxWidth, mediaMaxWidth);
    bounds.maxLength = smaller(bounds.maxLength, mediaMaxLength);
    if (customDeclared) {
        caps.customRange = rangeOf(bounds, notes);
        caps.takesCustomSizes = caps.customRange.has_value();
    }

    for (const QString &name : optionOrder) {
        const PpdOption &option = options[name];
        if (!decidesCutting(name, option))
            continue;
        if (const std::optional<CutOption> cut = cutOption(name, option, notes))
            caps.cutOptions << *cut;
    }
    return caps;
}

QueueCapabilities QueueCapabilitiesFromIpp(const IppQueueAttributes &attributes) {
    QueueCapabilities caps;
    caps.known = true;
    QStringList &notes = caps.notes;

    if (attributes.mediaSizes.isEmpty())
        notes << QStringLiteral("Keine Papiergrößen gemeldet");
    SizeBounds bounds;
    auto widen = [](std::optional<double> &bound, double value, bool lower) {
        bound = !bound ? value : lower ? std::min(*bound, value) : std::max(*bound, value);
    };
    for (const IppMediaSize &size : attributes.mediaSizes) {
        if (size.minX == size.maxX && size.minY == size.maxY)
            continue;  // a fixed size
        const qsizetype before = notes.size();
        const QString none;
        const auto minW = checkedSize(size.minX / 100.0, true,
                                      QStringLiteral("Kleinste Seitenbreite"), none, notes);
        const auto maxW = checkedSize(size.maxX / 100.0, false,
                                      QStringLiteral("Größte Seitenbreite"), none, notes);
        const auto minL = checkedSize(size.minY / 100.0, true,
                                      QStringLiteral("Kleinste Seitenlänge"), none, notes);
        const auto maxL = checkedSize(size.maxY / 100.0, false,
                                      QStringLiteral("Größte Seitenlänge"), none, notes);
        if (notes.size() != before)
            continue;
        widen(bounds.minWidth, *minW, true);
        widen(bounds.maxWidth, *maxW, false);
        widen(bounds.minLength, *minL, true);
        widen(bounds.maxLength, *maxL, false);
    }
    if (bounds.maxWidth) {
        caps.customRange = rangeOf(bounds, notes);
        caps.takesCustomSizes = caps.customRange.has_value();
    }

    const QList<int> *margins[4] = {&attributes.leftMargins, &attributes.bottomMargins,
                                    &attributes.rightMargins, &attributes.topMargins};
    if (std::all_of(std::begin(margins), std::end(margins),
                    [](const QList<int> *m) { return !m->isEmpty(); })) {
        double mm[4];
        for (int i = 0; i < 4; ++i)
            mm[i] = smallestMargin(*margins[i]);
        caps.margins = checkedMargins(mm, {}, notes);
    }

    CutOption cut{QStringLiteral("finishings"), QString(), {}};
    bool cuts = false;
    for (const int value : attributes.finishings) {
        const QString name = finishingName(value);
        if (name.isEmpty()) {
            if (value == 11)  // 'trim', without saying when
                notes << QStringLiteral("Schneiden ohne Zeitpunkt (finishings 11) ignoriert");
            continue;
        }
        const CutWhen when = value == 3    ? CutWhen::Never
                             : value == 60 ? CutWhen::AfterPage
                                           : CutWhen::AfterJob;
        cut.choices << CutChoice{QString::number(value), name, when};
        cuts = cuts || when != CutWhen::Never;
    }
    if (cuts)
        caps.cutOptions << cut;
    return caps;
}

QString QueueCapabilitiesSummary(const QueueCapabilities &caps) {
    if (!caps.known)
        return QString();
    QStringList parts;
    if (caps.takesCustomSizes && caps.customRange)
        parts << QStringLiteral("Seite bis %1 × %2 mm")
                     .arg(mmText(caps.customRange->maxWidth), mmText(caps.customRange->maxLength));
    else
        parts << QStringLiteral("keine freien Papiergrößen");
    if (const std::optional<HardwareMargins> &m = caps.margins) {
        if (m->left == m->bottom && m->left == m->right && m->left == m->top)
            parts << QStringLiteral("Rand %1 mm").arg(mmText(m->left));
        else
            parts << QStringLiteral("Rand links %1, unten %2, rechts %3, oben %4 mm")
                         .arg(mmText(m->left), mmText(m->bottom), mmText(m->right), mmText(m->top));
    }
    bool afterPage = false, afterJob = false;
    for (const CutOption &option : caps.cutOptions) {
        for (const CutChoice &choice : option.choices) {
            afterPage = afterPage || choice.when == CutWhen::AfterPage;
            afterJob = afterJob || choice.when == CutWhen::AfterJob;
        }
    }
    if (afterPage && afterJob)
        parts << QStringLiteral("schneidet nach jedem Blatt oder nach dem Auftrag");
    else if (afterPage)
        parts << QStringLiteral("schneidet nach jedem Blatt");
    else if (afterJob)
        parts << QStringLiteral("schneidet nach dem Auftrag");
    return parts.join(QStringLiteral(", "));
}
