#pragma once

#include <cstdint>

#include "model/SettingsFile.h"
#include "print/PrintCommand.h"
#include "print/PrintSettings.h"
#include "render/RenderContext.h"

// A print command started now: [Drucker] and the drawing settings read from
// the current settings file, as the window hands them to the print methods.
inline PrintSettings PrintSettingsNow() {
    return PrintSettings::Read(SettingsFile::current());
}

// The same with another method than "Methode" names.
inline PrintSettings PrintSettingsNow(std::int32_t methode) {
    PrintSettings settings = PrintSettingsNow();
    settings.Methode = methode;
    return settings;
}

inline QString RunPrintMethod(RibbonPrinter &printer, PrintRun &run, std::int32_t methode) {
    return RunPrintMethod(printer, run, PrintSettingsNow(methode),
                          RenderContext::FromSettings(SettingsFile::current()));
}

inline QString RunPrintMethod(RibbonPrinter &printer, PrintRun &run) {
    return RunPrintMethod(printer, run, PrintSettingsNow().Methode);
}
