#pragma once

#include <QString>

// The folder of RIBOLANT.INI, RIBOLANT.TXT and the picture folder, with a
// trailing slash: <XDG data home>/Quarnwerk/Vellumo/, or the program's own
// folder when no data location is known. Evaluated anew on every call; the
// folder is never created by the program.
QString DataFolder();
QString SettingsFilePath();  // DataFolder() + "RIBOLANT.INI"
QString PhraseFilePath();    // DataFolder() + "RIBOLANT.TXT"
