#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "print/QueueCapabilities.h"

// The driver options known to decide about cutting, with what each of their
// choices does. An option only counts as a cutter when it is known here: a
// name with "cut" in it says nothing (Brother's CutMark prints a line to cut
// along by hand, HalfCut cuts the backing only).

// The known cutting options, the one to use first when a driver has several.
QStringList CutterOptionNames();
// Whether `option` is a known cutting option.
bool IsCutterOption(const QString &option);
// Whether `option` is known to have "cut" in its name without cutting off
// the paper, so that it is not worth a note.
bool IsNamedLikeCutterOption(const QString &option);
// Whether the other choices of `option` are for something else (a paper
// source beside the roll), so that they are left out without a note.
bool CutterOptionHasOtherUses(const QString &option);
// When the printer cuts with `choice` of `option`; none when the option or
// the choice is not known (a printer's own setting, every second label).
std::optional<CutWhen> CutterChoiceWhen(const QString &option, const QString &choice);
// The choice of `option` that does not cut; empty when it has none (the
// driver cuts at least at the end of the job, whatever it is given).
QString NonCuttingChoice(const QString &option);
