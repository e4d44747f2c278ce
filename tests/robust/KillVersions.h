#pragma once

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "model/StoredFormats.h"

class SettingsFile;

// What the writer writes as version k: three stored formats and a printer name
// in RIBOLANT.INI, a few phrases in RIBOLANT.TXT. Texts change length from one
// version to the next, so a file cut short never looks like another version.
StoredFormatList KillFormats(int version);
QString KillPrinterName(int version);
QStringList KillPhrases(int version);  // sorted as the phrase list keeps them

// The window's ribbon list kept against a crash: two ribbons with texts.
std::vector<std::unique_ptr<TJob>> KillRibbons(int version);
void WriteKillRibbons(const QString &path, int version);

// The version a text of the above carries, or -1.
int KillVersionOf(const QString &text);

// The shut-down's writes of one version, through the program's own writers:
// the stored formats and the printer name in one replacement.
void WriteKillSettings(SettingsFile &file, int version);
void WriteKillPhrases(const QString &path, int version);
// The shut-down's merged save of version k by a window that has read the
// files as they are and changed every format and phrase.
void SaveKillVersionMerged(SettingsFile &file, const QString &phrasePath, int version);

// A day at the window, for the autosave's kills: version k stores the phrase
// and the format of k and deletes those of k - KillDayKept, then saves as the
// autosave does; the writer reports each completed save.
constexpr int KillDayKept = 4;
QString KillDayPhrase(int version);
QString KillDayFormat(int version);
