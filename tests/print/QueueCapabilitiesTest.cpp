// What a queue's driver says about free sizes, margins and cutting, read from
// PPD lines as CUPS's own label printer drivers have them and from IPP
// attributes; nonsense is left out with a note.
#include <gtest/gtest.h>

#include <climits>

#include "print/QueueCapabilities.h"

namespace {

// The cut options as one line: "zePrintMode=Saved: Tear nie, Cutter Blatt".
QString cutText(const QueueCapabilities &caps) {
    static const char *const when[] = {"nie", "Blatt", "Auftrag"};
    QStringList options;
    for (const CutOption &option : caps.cutOptions) {
        QStringList choices;
        for (const CutChoice &choice : option.choices)
            choices << choice.choice + QLatin1Char(' ') + QLatin1String(when[int(choice.when)]);
        options << option.name + QLatin1Char('=') + option.defaultChoice + QStringLiteral(": ") +
                       choices.join(QStringLiteral(", "));
    }
    return options.join(QStringLiteral("; "));
}

QString rangeText(const QueueCapabilities &caps) {
    if (!caps.customRange)
        return QString();
    const CustomSizeRange &r = *caps.customRange;
    return QStringLiteral("%1-%2 x %3-%4")
        .arg(r.minWidth)
        .arg(r.maxWidth)
        .arg(r.minLength)
        .arg(r.maxLength);
}

const char kZebraZpl[] = R"(*PPD-Adobe: "4.3"
*ModelName: "Zebra ZPL Label Printer"
*MaxMediaWidth: "576"
*MaxMediaHeight: "3600"
*HWMargins: 0 0 0 0
*CustomPageSize True: "pop pop pop <</PageSize[5 -2 roll]/ImagingBBox null>>setpagedevice"
*ParamCustomPageSize Width: 1 points 36 576
*ParamCustomPageSize Height: 2 points 36 3600
*ParamCustomPageSize WidthOffset: 3 points 0 0
*OpenUI *zePrintMode/Print Mode: PickOne
*OrderDependency: 20 AnySetup *zePrintMode
*DefaultzePrintMode: Saved
*zePrintMode Saved/Printer Default: ""
*zePrintMode Tear/Tear-Off: ""
*zePrintMode Peel/Peel-Off: ""
*zePrintMode Rewind/Rewind: ""
*zePrintMode Applicator/Applicator: ""
*zePrintMode Cutter/Cutter: ""
*CloseUI: *zePrintMode
*OpenUI *zeTearOffPosition/Tear-Off Adjust Position: PickOne
*DefaultzeTearOffPosition: Default
*zeTearOffPosition Default/Use Printer Default: ""
*zeTearOffPosition 10/10: ""
*CloseUI: *zeTearOffPosition
*de.zePrintMode Cutter/Abschneider: ""
*JCLBegin: "<1B>%-12345X@PJL
*OpenUI *Fake/Not a keyword inside a quoted value: PickOne
*Fake Cut/Cut: ""
"
)";

const char kIntellitech[] = R"(*PPD-Adobe: "4.3"
*MaxMediaWidth: "630"
*MaxMediaHeight: "7128"
*HWMargins: 0 5.760000228882 0 5.760000228882
*CustomPageSize True: "pop pop pop <</PageSize[5 -2 roll]/ImagingBBox null>>setpagedevice"
*ParamCustomPageSize Width: 1 points 36 630
*ParamCustomPageSize Height: 2 points 36 7128
*OpenUI *inPrintMode/Print Mode: PickOne
*DefaultinPrintMode: Standard
*inPrintMode Standard/Standard: ""
*inPrintMode Tear/Tear: ""
*inPrintMode Cut/Cut: ""
*CloseUI: *inPrintMode
*OpenUI *inCutInterval/Print and Cut: PickOne
*DefaultinCutInterval: None
*inCutInterval None/Disabled: "<</cupsRowStep 0>>setpagedevice"
*inCutInterval 1/Every Label: "<</cupsRowStep 1>>setpagedevice"
*inCutInterval 2/Every 2 Labels: "<</cupsRowStep 2>>setpagedevice"
*CloseUI: *inCutInterval
*CustominCutInterval True: "<</cupsRowStep 2 1 roll>>setpagedevice"
)";

// A roll printer with CUPS's CutMedia and sizes in millimetres.
const char kCutMedia[] = R"(*PPD-Adobe: "4.3"
*CustomPageSize True: "pop pop pop <</PageSize[5 -2 roll]/ImagingBBox null>>setpagedevice"
*ParamCustomPageSize Width: 1 millimeters 50 300
*ParamCustomPageSize Height: 2 millimeters 10 15000.04
*HWMargins: 3 0 3 0
*OpenUI *CutMedia/Cut: PickOne
*DefaultCutMedia: 4
*CutMedia 0/Never: "<</CutMedia 0>>setpagedevice"
*CutMedia 2/After the job: "<</CutMedia 2>>setpagedevice"
*CutMedia 4/After each page: "<</CutMedia 4>>setpagedevice"
*CloseUI: *CutMedia
*OpenUI *RollCut/Cutter: PickOne
*DefaultRollCut: EndOfJob
*RollCut None/Off: ""
*RollCut EndOfPage/Each page: ""
*RollCut EndOfJob/End of job: ""
*RollCut Halfway/Half cut: ""
*CloseUI: *RollCut
)";

// Each with its size lines replaced.
const char kHead[] = "*PPD-Adobe: \"4.3\"\n*CustomPageSize True: \"\"\n";

struct PpdCase {
    const char *name;
    QByteArray ppd;
    const char *range;    // "minW-maxW x minL-maxL", empty when none is taken
    const char *summary;  // QueueCapabilitiesSummary
    const char *cut;      // cutText
    QStringList notes;
};

TEST(QueueCapabilitiesTest, PpdSizesMarginsAndCutting) {
    const PpdCase cases[] = {
        {"zebra ZPL",
         kZebraZpl,
         "12.7-203.2 x 12.7-1270",
         "Seite bis 203,2 × 1270 mm, Rand 0 mm, schneidet nach jedem Blatt",
         "zePrintMode=Saved: Tear nie, Peel nie, Rewind nie, Cutter Blatt",
         {"Wahl zePrintMode=Saved nicht gedeutet", "Wahl zePrintMode=Applicator nicht gedeutet"}},
        {"intellitech",
         kIntellitech,
         "12.7-222.2 x 12.7-2514.6",
         "Seite bis 222,2 × 2514,6 mm, Rand links 0, unten 2,1, rechts 0, oben 2,1 mm, schneidet "
         "nach jedem Blatt",
         "inPrintMode=Standard: Tear nie, Cut Blatt; inCutInterval=None: None nie, 1 Blatt",
         {"Wahl inPrintMode=Standard nicht gedeutet", "Wahl inCutInterval=2 nicht gedeutet"}},
        {"CutMedia",
         kCutMedia,
         "50-300 x 10-15000",
         "Seite bis 300 × 15000 mm, Rand links 1,1, unten 0, rechts 1,1, oben 0 mm, schneidet "
         "nach jedem Blatt oder nach dem Auftrag",
         "CutMedia=4: 0 nie, 2 Auftrag, 4 Blatt; RollCut=EndOfJob: None nie, EndOfPage Blatt, "
         "EndOfJob Auftrag",
         {"Wahl RollCut=Halfway nicht gedeutet"}},
        {"10 km long",
         QByteArray(kHead) + "*ParamCustomPageSize Width: 1 points 36 576\n"
                             "*MaxMediaHeight: \"28346456.69\"\n",
         "",
         "keine freien Papiergrößen",
         "",
         {"Größte Seitenlänge 10000000 mm ignoriert",
          "Freie Papiergrößen ohne brauchbare größte Seite ignoriert"}},
        {"max below min",
         QByteArray(kHead) + "*ParamCustomPageSize Width: 1 points 600 300\n"
                             "*ParamCustomPageSize Height: 2 points 36 3600\n",
         "",
         "keine freien Papiergrößen",
         "",
         {"Kleinste Seitenbreite 211,7 mm über der größten 105,8 mm",
          "Freie Papiergrößen ignoriert"}},
        {"zero, NaN, no unit",
         QByteArray(kHead) + "*ParamCustomPageSize Width: 1 points 0 0\n"
                             "*ParamCustomPageSize Height: 2 pixels 36 3600\n"
                             "*HWMargins: 0 nan 0\n",
         "",
         "keine freien Papiergrößen",
         "",
         {"Größte Seitenbreite 0 mm ignoriert", "Angabe ParamCustomPageSize Height nicht lesbar",
          "Rand unten nan mm ignoriert", "Rand oben ? mm ignoriert",
          "Freie Papiergrößen ohne brauchbare größte Seite ignoriert"}},
    };
    for (const PpdCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QueueCapabilities caps = QueueCapabilitiesFromPpd(c.ppd);
        EXPECT_TRUE(caps.known);
        EXPECT_EQ(rangeText(caps), QLatin1String(c.range));
        EXPECT_EQ(caps.takesCustomSizes, caps.customRange.has_value());
        EXPECT_EQ(QueueCapabilitiesSummary(caps), QString::fromUtf8(c.summary));
        EXPECT_EQ(cutText(caps), QLatin1String(c.cut));
        EXPECT_EQ(caps.notes, c.notes);
    }

    // No PPD at all: nothing known, nothing shown.
    const QueueCapabilities none = QueueCapabilitiesFromPpd("<html>404</html>");
    EXPECT_FALSE(none.known);
    EXPECT_EQ(QueueCapabilitiesSummary(none), QString());
}

TEST(QueueCapabilitiesTest, IppRangesMarginsAndFinishings) {
    IppQueueAttributes roll;
    roll.mediaSizes = {{21000, 21000, 29700, 29700},  // A4, a fixed size
                       {5000, 20320, 2540, 127000},
                       {2540, 10000, 1000, 50000}};
    roll.leftMargins = {300, 0};
    roll.bottomMargins = {0};
    roll.rightMargins = {0, 300};
    roll.topMargins = {0};
    roll.finishings = {3, 4, 11, 60, 63};  // none, staple, trim, after pages, after the job
    const QueueCapabilities caps = QueueCapabilitiesFromIpp(roll);
    EXPECT_TRUE(caps.known);
    EXPECT_EQ(rangeText(caps), QStringLiteral("25.4-203.2 x 10-1270"));
    EXPECT_EQ(QueueCapabilitiesSummary(caps),
              QStringLiteral("Seite bis 203,2 × 1270 mm, Rand 0 mm, schneidet nach jedem Blatt "
                             "oder nach dem Auftrag"));
    EXPECT_EQ(cutText(caps), QStringLiteral("finishings=: 3 nie, 60 Blatt, 63 Auftrag"));
    EXPECT_EQ(caps.notes,
              QStringList{QStringLiteral("Schneiden ohne Zeitpunkt (finishings 11) ignoriert")});

    // A length "without end", fixed sizes only, no sizes at all.
    IppQueueAttributes endless;
    endless.mediaSizes = {{5000, 20320, 2540, INT_MAX}};
    endless.finishings = {3};
    IppQueueAttributes sheets;
    sheets.mediaSizes = {{21000, 21000, 29700, 29700}};
    const IppQueueAttributes silent;
    const struct {
        const IppQueueAttributes &attributes;
        QStringList notes;
    } bad[] = {{endless, {QStringLiteral("Größte Seitenlänge 21474836,5 mm ignoriert")}},
               {sheets, {}},
               {silent, {QStringLiteral("Keine Papiergrößen gemeldet")}}};
    for (const auto &b : bad) {
        const QueueCapabilities c = QueueCapabilitiesFromIpp(b.attributes);
        EXPECT_FALSE(c.takesCustomSizes);
        EXPECT_TRUE(c.cutOptions.isEmpty());
        EXPECT_EQ(QueueCapabilitiesSummary(c), QStringLiteral("keine freien Papiergrößen"));
        EXPECT_EQ(c.notes, b.notes);
    }
}

}  // namespace
