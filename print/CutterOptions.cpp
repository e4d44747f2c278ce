#include "print/CutterOptions.h"

#include <initializer_list>

namespace {

struct KnownChoice {
    const char *choice;
    CutWhen when;
};

struct KnownOption {
    const char *name;
    std::initializer_list<KnownChoice> choices;
    bool otherUses = false;  // its other choices are no cutting choices
};

// What the drivers do with each choice, as their filters send it to the
// printer. Choices left out are not known to cut at a fixed time: a
// printer's stored setting, every n-th label.
const KnownOption kOptions[] = {
    // CUPS's rastertolabel, Zebra ZPL: ^MM with the choice's first letter.
    // The cutter cuts after each label; the applicator mode is left out, as
    // it depends on the machine the printer is built into.
    {"zePrintMode",
     {{"Tear", CutWhen::Never},
      {"Peel", CutWhen::Never},
      {"Rewind", CutWhen::Never},
      {"Cutter", CutWhen::AfterPage}}},
    // The raster header's cupsCutMedia: none, after the file, job, set, page.
    {"CutMedia",
     {{"0", CutWhen::Never},
      {"None", CutWhen::Never},
      {"Never", CutWhen::Never},
      {"1", CutWhen::AfterJob},
      {"EndOfFile", CutWhen::AfterJob},
      {"2", CutWhen::AfterJob},
      {"EndOfJob", CutWhen::AfterJob},
      {"3", CutWhen::AfterJob},
      {"EndOfSet", CutWhen::AfterJob},
      {"4", CutWhen::AfterPage},
      {"EndOfPage", CutWhen::AfterPage}}},
    // CUPS's rastertolabel, Intellitech: cut mode, and cut every n labels.
    {"inPrintMode", {{"Tear", CutWhen::Never}, {"Cut", CutWhen::AfterPage}}},
    {"inCutInterval", {{"None", CutWhen::Never}, {"0", CutWhen::Never}, {"1", CutWhen::AfterPage}}},
    // ptouch-driver (Brother P-touch, QL). Without the cut after each label
    // the tape is still cut after the last one (AutoEject, on by default).
    {"AutoCut", {{"True", CutWhen::AfterPage}, {"False", CutWhen::AfterJob}}},
    {"CutLabel", {{"0", CutWhen::AfterJob}, {"1", CutWhen::AfterPage}}},
    // DYMO LabelManager: chain marks between the labels, the tape cut at the
    // end of the document.
    {"DymoCutOptions", {{"Cut", CutWhen::AfterPage}, {"ChainMarks", CutWhen::AfterJob}}},
    // Gutenprint's Epson roll feed: the paper source says whether to cut.
    {"InputSlot",
     {{"RollCutNone", CutWhen::Never},
      {"RollCutPage", CutWhen::AfterPage},
      {"RollCutSingle", CutWhen::AfterPage},
      {"RollCutDouble", CutWhen::AfterPage}},
     true},
};

// "Cut" in the name, but nothing is cut off: a line to cut along, a cut
// through the backing only, a colour setting, a wasted strip.
const char *const kNamedLikeCutters[] = {"CutMark", "HalfCut", "StpNoCutWaste",
                                         "StpSubchannelCutoff", "StpFineSubchannelCutoff"};

const KnownOption *find(const QString &name) {
    for (const KnownOption &option : kOptions) {
        if (name == QLatin1String(option.name))
            return &option;
    }
    return nullptr;
}

}  // namespace

QStringList CutterOptionNames() {
    QStringList names;
    for (const KnownOption &option : kOptions)
        names << QLatin1String(option.name);
    return names;
}

bool IsCutterOption(const QString &option) {
    return find(option) != nullptr;
}

bool IsNamedLikeCutterOption(const QString &option) {
    for (const char *name : kNamedLikeCutters) {
        if (option == QLatin1String(name))
            return true;
    }
    return false;
}

bool CutterOptionHasOtherUses(const QString &option) {
    const KnownOption *known = find(option);
    return known && known->otherUses;
}

std::optional<CutWhen> CutterChoiceWhen(const QString &option, const QString &choice) {
    if (const KnownOption *known = find(option)) {
        for (const KnownChoice &c : known->choices) {
            if (choice == QLatin1String(c.choice))
                return c.when;
        }
    }
    return std::nullopt;
}

QString NonCuttingChoice(const QString &option) {
    if (const KnownOption *known = find(option)) {
        for (const KnownChoice &c : known->choices) {
            if (c.when == CutWhen::Never)
                return QLatin1String(c.choice);
        }
    }
    return QString();
}
