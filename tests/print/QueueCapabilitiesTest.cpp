// What a queue's driver says about free sizes, margins and cutting, read
// through libcups from PPDs as the label printer drivers have them and from
// IPP attributes; nonsense is left out with a note.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <climits>

#include "print/CutterOptions.h"
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

// A roll printer with CUPS's CutMedia, and a cutter option no driver
// known here has.
const char kCutMedia[] = R"(*PPD-Adobe: "4.3"
*CustomPageSize True: "pop pop pop <</PageSize[5 -2 roll]/ImagingBBox null>>setpagedevice"
*ParamCustomPageSize Width: 1 points 141.73 850.4
*ParamCustomPageSize Height: 2 points 28.34 42520
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
*CloseUI: *RollCut
)";

// ptouch-driver's P-touch: no *HWMargins, the default page's printable
// area says them; two options named like cutters that cut nothing off.
const char kPtouch[] = R"(*PPD-Adobe: "4.3"
*LanguageEncoding: ISOLatin1
*OpenUI *PageSize/Page Size: PickOne
*DefaultPageSize: 24_mm__1___Label__Auto_
*PageSize 24_mm__1___Label__Auto_/24 mm: "<</PageSize[68 68]>>setpagedevice"
*CloseUI: *PageSize
*ImageableArea 24_mm__1___Label__Auto_/24 mm: "4.25 2.5 63.75 65.5"
*PaperDimension 24_mm__1___Label__Auto_/24 mm: "68 68"
*OpenUI *AutoCut/Auto Cut: Boolean
*DefaultAutoCut: True
*AutoCut True/AutoCut: "%% FoomaticRIPOptionSetting: AutoCut=True"
*AutoCut False/ContinuousPrinting: "%% FoomaticRIPOptionSetting: AutoCut=False"
*CloseUI: *AutoCut
*OpenUI *HalfCut/Half Cut (Crack & Peel): Boolean
*DefaultHalfCut: False
*HalfCut True/Half cut: ""
*HalfCut False/Full cut: ""
*CloseUI: *HalfCut
*OpenUI *CutMark/Cut Mark: Boolean
*DefaultCutMark: True
*CutMark True/CutMark: ""
*CutMark False/NoCutMark: ""
*CloseUI: *CutMark
)";

// Gutenprint's Epson with a roll: the paper source says whether to cut.
const char kEpsonRoll[] = R"(*PPD-Adobe: "4.3"
*HWMargins: 0 0 0 0
*CustomPageSize True: ""
*ParamCustomPageSize Width: 1 points 90 1224
*ParamCustomPageSize Height: 2 points 90 12960
*OpenUI *InputSlot/Media Source: PickOne
*DefaultInputSlot: Standard
*InputSlot Standard/Standard: "<</MediaClass(Standard)>>setpagedevice"
*InputSlot Manual/Manual Feed: "<</MediaClass(Manual)>>setpagedevice"
*InputSlot RollCutPage/Roll Feed (cut each page): "<</MediaClass(RollCutPage)>>setpagedevice"
*InputSlot RollCutNone/Roll Feed (do not cut): "<</MediaClass(RollCutNone)>>setpagedevice"
*CloseUI: *InputSlot
*OpenUI *StpSubchannelCutoff/Subchannel Cutoff: PickOne
*DefaultStpSubchannelCutoff: None
*StpSubchannelCutoff None/Standard: ""
*CloseUI: *StpSubchannelCutoff
)";

// A sheet printer: trays, no free sizes.
const char kSheets[] = R"(*PPD-Adobe: "4.3"
*OpenUI *PageSize/Media Size: PickOne
*DefaultPageSize: A4
*PageSize A4/A4: "<</PageSize[595 842]>>setpagedevice"
*CloseUI: *PageSize
*ImageableArea A4/A4: "18 36 577 806"
*PaperDimension A4/A4: "595 842"
*OpenUI *InputSlot/Media Source: PickOne
*DefaultInputSlot: Tray1
*InputSlot Tray1/Tray 1: ""
*InputSlot Tray2/Tray 2: ""
*CloseUI: *InputSlot
)";

// Each with its size lines replaced.
const char kHead[] = "*PPD-Adobe: \"4.3\"\n*CustomPageSize True: \"\"\n";

// Reads `ppd` the way a queue's copy is read: from a file, through libcups.
QueueCapabilities FromPpd(const QByteArray &ppd) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("queue.ppd"));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(ppd);
    file.close();
    return QueueCapabilitiesFromPpdFile(path);
}

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
         "50-300 x 10-15000.1",
         "Seite bis 300 × 15000,1 mm, Rand links 1,1, unten 0, rechts 1,1, oben 0 mm, schneidet "
         "nach jedem Blatt oder nach dem Auftrag",
         "CutMedia=4: 0 nie, 2 Auftrag, 4 Blatt",
         {"Option RollCut unbekannt, nicht als Schneiden genommen"}},
        {"P-touch",
         kPtouch,
         "",
         "keine freien Papiergrößen, Rand links 1,5, unten 0,9, rechts 1,5, oben 0,9 mm, "
         "schneidet nach jedem Blatt oder nach dem Auftrag",
         "AutoCut=True: True Blatt, False Auftrag",
         {}},
        {"Epson roll",
         kEpsonRoll,
         "31.8-431.8 x 31.8-4572",
         "Seite bis 431,8 × 4572 mm, Rand 0 mm, schneidet nach jedem Blatt",
         "InputSlot=Standard: RollCutPage Blatt, RollCutNone nie",
         {}},
        {"sheets",
         kSheets,
         "",
         "keine freien Papiergrößen, Rand links 6,4, unten 12,7, rechts 6,4, oben 12,7 mm",
         "",
         {}},
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
        {"zero width, margins below 0 and beyond 100 mm",
         QByteArray(kHead) + "*ParamCustomPageSize Width: 1 points 0 0\n"
                             "*ParamCustomPageSize Height: 2 points 36 3600\n"
                             "*HWMargins: 0 -3 0 300\n",
         "",
         "keine freien Papiergrößen",
         "",
         {"Größte Seitenbreite 0 mm ignoriert",
          "Freie Papiergrößen ohne brauchbare größte Seite ignoriert",
          "Rand unten -1,1 mm ignoriert", "Rand oben 105,8 mm ignoriert"}},
    };
    for (const PpdCase &c : cases) {
        SCOPED_TRACE(c.name);
        const QueueCapabilities caps = FromPpd(c.ppd);
        EXPECT_TRUE(caps.known);
        EXPECT_EQ(rangeText(caps), QLatin1String(c.range));
        EXPECT_EQ(caps.takesCustomSizes, caps.customRange.has_value());
        EXPECT_EQ(QueueCapabilitiesSummary(caps), QString::fromUtf8(c.summary));
        EXPECT_EQ(cutText(caps), QLatin1String(c.cut));
        EXPECT_EQ(caps.notes.join(QStringLiteral(" | ")).toStdString(),
                  c.notes.join(QStringLiteral(" | ")).toStdString());
    }
}

// A file libcups cannot read as a PPD leaves the queue unknown, nothing
// shown, with the reason as the one note.
TEST(QueueCapabilitiesTest, UnreadablePpdIsUnknownWithANote) {
    const struct {
        const char *name;
        QByteArray ppd;    // no file at all when null
        const char *note;  // the note begins so
    } cases[] = {
        {"empty", QByteArray(""), "Keine PPD-Datei"},
        {"a web page", QByteArray("<html>404</html>\n"), "Keine PPD-Datei"},
        {"size in pixels",
         QByteArray(kHead) + "*ParamCustomPageSize Width: 1 points 36 576\n"
                             "*ParamCustomPageSize Height: 2 pixels 36 3600\n",
         "PPD-Datei fehlerhaft in Zeile 4 ("},
        {"line without keyword", QByteArray(kHead) + "Cutter\n",
         "PPD-Datei fehlerhaft in Zeile 3 ("},
        {"no file", QByteArray(), "PPD-Datei nicht zu öffnen"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const QueueCapabilities caps =
            c.ppd.isNull() ? QueueCapabilitiesFromPpdFile(QStringLiteral("/nonexistent/queue.ppd"))
                           : FromPpd(c.ppd);
        EXPECT_FALSE(caps.known);
        EXPECT_EQ(QueueCapabilitiesSummary(caps), QString());
        EXPECT_TRUE(caps.cutOptions.isEmpty());
        ASSERT_EQ(caps.notes.size(), 1);
        EXPECT_TRUE(caps.notes[0].startsWith(QString::fromUtf8(c.note)))
            << caps.notes[0].toStdString();
    }
}

// The known cutting options: when each choice cuts, and which one does not.
TEST(QueueCapabilitiesTest, CutterTable) {
    enum Cut { Unknown, Never, Page, Job };
    const struct {
        const char *option;
        const char *choice;
        Cut cut;
    } choices[] = {
        {"zePrintMode", "Cutter", Page},
        {"zePrintMode", "Tear", Never},
        {"zePrintMode", "Peel", Never},
        {"zePrintMode", "Rewind", Never},
        {"zePrintMode", "Saved", Unknown},  // whatever the printer keeps
        {"zePrintMode", "Applicator", Unknown},
        {"CutMedia", "0", Never},
        {"CutMedia", "None", Never},
        {"CutMedia", "1", Job},
        {"CutMedia", "EndOfJob", Job},
        {"CutMedia", "3", Job},
        {"CutMedia", "4", Page},
        {"CutMedia", "EndOfPage", Page},
        {"CutMedia", "5", Unknown},
        {"inPrintMode", "Cut", Page},
        {"inPrintMode", "Standard", Unknown},
        {"inCutInterval", "1", Page},
        {"inCutInterval", "2", Unknown},  // every second label
        {"AutoCut", "True", Page},
        {"AutoCut", "False", Job},
        {"CutLabel", "0", Job},
        {"CutLabel", "1", Page},
        {"CutLabel", "3", Unknown},
        {"DymoCutOptions", "Cut", Page},
        {"DymoCutOptions", "ChainMarks", Job},
        {"InputSlot", "RollCutNone", Never},
        {"InputSlot", "RollCutDouble", Page},
        {"InputSlot", "Tray1", Unknown},
        // "Cut" in the name is not enough.
        {"CutMark", "True", Unknown},
        {"RollCut", "EndOfPage", Unknown},
        {"cutmedia", "4", Unknown},
    };
    for (const auto &c : choices) {
        SCOPED_TRACE(std::string(c.option) + "=" + c.choice);
        const std::optional<CutWhen> when =
            CutterChoiceWhen(QLatin1String(c.option), QLatin1String(c.choice));
        const Cut got = !when                         ? Unknown
                        : *when == CutWhen::Never     ? Never
                        : *when == CutWhen::AfterPage ? Page
                                                      : Job;
        EXPECT_EQ(got, c.cut);
    }

    const struct {
        const char *option;
        const char *nonCutting;  // empty when there is none
        bool cutter;
        bool otherUses;
    } options[] = {
        {"zePrintMode", "Tear", true, false},
        {"CutMedia", "0", true, false},
        {"inPrintMode", "Tear", true, false},
        {"inCutInterval", "None", true, false},
        {"AutoCut", "", true, false},  // the tape is cut at the end anyway
        {"CutLabel", "", true, false},
        {"DymoCutOptions", "", true, false},
        {"InputSlot", "RollCutNone", true, true},
        {"CutMark", "", false, false},
        {"RollCut", "", false, false},
    };
    for (const auto &o : options) {
        SCOPED_TRACE(o.option);
        const QString name = QLatin1String(o.option);
        EXPECT_EQ(NonCuttingChoice(name), QLatin1String(o.nonCutting));
        EXPECT_EQ(IsCutterOption(name), o.cutter);
        EXPECT_EQ(CutterOptionNames().contains(name), o.cutter);
        EXPECT_EQ(CutterOptionHasOtherUses(name), o.otherUses);
    }
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
