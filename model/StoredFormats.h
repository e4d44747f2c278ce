#pragma once

#include <memory>
#include <vector>

class SettingsFile;
class TJob;

using StoredFormatList = std::vector<std::unique_ptr<TJob>>;

// Section "Format", key "Anzahl", then one section Format0, Format1, ... per
// format, in list order. Sections at or above the count are left alone.
StoredFormatList ReadStoredFormats(SettingsFile &file);
// All of it goes to the file in one replacement; throws FileWriteError.
void WriteStoredFormats(SettingsFile &file, const StoredFormatList &formats);
