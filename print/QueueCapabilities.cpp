#include "print/QueueCapabilities.h"

#include <cups/ppd.h>
#include <QFile>
#include <algorithm>
#include <cmath>

#include "print/CutterOptions.h"

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

// CUPS marks its PPD functions deprecated, yet a queue set up with a PPD says
// what its driver can do only there.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

// A PPD's own words: UTF-8 where they are, else Latin-1, the PPD default.
QString ppdText(const char *text) {
    const QByteArray bytes(text ? text : "");
    QString decoded = QString::fromUtf8(bytes);
    if (decoded.contains(QChar::ReplacementCharacter))
        decoded = QString::fromLatin1(bytes);
    return decoded;
}

// Why libcups could not read a PPD, in German.
QString ppdFault(ppd_status_t status, int line) {
    switch (status) {
        case PPD_FILE_OPEN_ERROR:
            return QStringLiteral("PPD-Datei nicht zu öffnen");
        case PPD_NULL_FILE:
        case PPD_MISSING_PPDADOBE4:
            return QStringLiteral("Keine PPD-Datei");
        default:
            // Wrong from its first line on: something else (a web page).
            if (line <= 1)
                return QStringLiteral("Keine PPD-Datei");
            return QStringLiteral("PPD-Datei fehlerhaft in Zeile %1 (%2)")
                .arg(line)
                .arg(QString::fromUtf8(ppdErrorString(status)));
    }
}

// The free size range: *ParamCustomPageSize as libcups read it, and the
// smaller of it and *MaxMediaWidth/Height where a driver gives both.
std::optional<CustomSizeRange> ppdCustomRange(ppd_file_t *ppd, QStringList &notes) {
    SizeBounds bounds;
    const QString none;
    for (const int i : {0, 1}) {
        const bool width = i == 0;
        const QString dimension =
            width ? QStringLiteral("Seitenbreite") : QStringLiteral("Seitenlänge");
        std::optional<double> &lo = width ? bounds.minWidth : bounds.minLength;
        std::optional<double> &hi = width ? bounds.maxWidth : bounds.maxLength;
        // Without its line libcups leaves 0, which is no bound.
        if (ppdFindAttr(ppd, "ParamCustomPageSize", width ? "Width" : "Height")) {
            lo = checkedSize(ppd->custom_min[i] * kMmPerPoint, true,
                             QStringLiteral("Kleinste ") + dimension, none, notes);
            hi = checkedSize(ppd->custom_max[i] * kMmPerPoint, false,
                             QStringLiteral("Größte ") + dimension, none, notes);
        }
        if (const ppd_attr_t *media =
                ppdFindAttr(ppd, width ? "MaxMediaWidth" : "MaxMediaHeight", nullptr);
            media && media->value) {
            const QByteArray raw = QByteArray(media->value).trimmed();
            bool ok = false;
            const double points = raw.toDouble(&ok);
            const std::optional<double> mediaMax =
                checkedSize(ok ? points * kMmPerPoint : std::nan(""), false,
                            QStringLiteral("Größte ") + dimension, QString::fromLatin1(raw), notes);
            if (mediaMax)
                hi = hi ? std::min(*hi, *mediaMax) : *mediaMax;
        }
    }
    return rangeOf(bounds, notes);
}

// The driver's *HWMargins; without them the unprintable edges of its
// default page.
std::optional<HardwareMargins> ppdMargins(ppd_file_t *ppd, QStringList &notes) {
    double points[4];
    if (ppdFindAttr(ppd, "HWMargins", nullptr)) {
        for (int i = 0; i < 4; ++i)
            points[i] = ppd->custom_margins[i];
    } else {
        ppdMarkDefaults(ppd);
        const ppd_size_t *page = ppdPageSize(ppd, nullptr);
        if (!page || page->width <= 0 || page->length <= 0 || page->right <= page->left ||
            page->top <= page->bottom)
            return std::nullopt;
        points[0] = page->left;
        points[1] = page->bottom;
        points[2] = page->width - page->right;
        points[3] = page->length - page->top;
    }
    double mm[4];
    for (int i = 0; i < 4; ++i)
        mm[i] = points[i] * kMmPerPoint;
    return checkedMargins(mm, {}, notes);
}

// The driver's cutting options that the table knows, in the table's order.
QList<CutOption> ppdCutOptions(ppd_file_t *ppd, QStringList &notes) {
    QList<CutOption> options;
    for (const QString &name : CutterOptionNames()) {
        ppd_option_t *option = ppdFindOption(ppd, name.toLatin1().constData());
        if (!option)
            continue;
        const bool otherUses = CutterOptionHasOtherUses(name);
        CutOption cut{name, ppdText(option->defchoice), {}};
        bool cuts = false;
        for (int i = 0; i < option->num_choices; ++i) {
            const ppd_choice_t &choice = option->choices[i];
            const QString keyword = ppdText(choice.choice);
            // libcups' stand-in for a value typed in (every n-th label).
            if (keyword == QLatin1String("Custom") && ppdFindCustomOption(ppd, option->keyword))
                continue;
            if (const std::optional<CutWhen> when = CutterChoiceWhen(name, keyword)) {
                cut.choices << CutChoice{keyword, ppdText(choice.text), *when};
                cuts = cuts || *when != CutWhen::Never;
            } else if (!otherUses) {
                notes << QStringLiteral("Wahl %1=%2 nicht gedeutet").arg(name, keyword);
            }
        }
        if (cuts)
            options << cut;
        else if (!otherUses)
            notes << QStringLiteral("Option %1 ohne erkennbares Schneiden ignoriert").arg(name);
    }
    // Named like a cutter, but not known to be one: the printer may cut or
    // not with it, the program cannot tell when.
    for (ppd_option_t *option = ppdFirstOption(ppd); option; option = ppdNextOption(ppd)) {
        const QString name = ppdText(option->keyword);
        if (name.contains(QLatin1String("cut"), Qt::CaseInsensitive) && !IsCutterOption(name) &&
            !IsNamedLikeCutterOption(name))
            notes << QStringLiteral("Option %1 unbekannt, nicht als Schneiden genommen").arg(name);
    }
    return options;
}

#pragma GCC diagnostic pop

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

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

QueueCapabilities QueueCapabilitiesFromPpdFile(const QString &path) {
    QueueCapabilities caps;
    ppd_file_t *ppd = ppdOpenFile(QFile::encodeName(path).constData());
    if (!ppd) {
        int line = 0;
        const ppd_status_t status = ppdLastError(&line);
        caps.notes << ppdFault(status, line);
        return caps;
    }
    caps.known = true;
    if (ppd->variable_sizes) {
        caps.customRange = ppdCustomRange(ppd, caps.notes);
        caps.takesCustomSizes = caps.customRange.has_value();
    }
    caps.margins = ppdMargins(ppd, caps.notes);
    caps.cutOptions = ppdCutOptions(ppd, caps.notes);
    ppdClose(ppd);
    return caps;
}

#pragma GCC diagnostic pop

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
