#pragma once

#include <memory>
#include <vector>

class SettingsFile;
class TJob;

using StoredFormatList = std::vector<std::unique_ptr<TJob>>;

// Section "Format", key "Anzahl", then one section Format0, Format1, ... per
// format, in list order. Reading ignores sections at or above the count; a
// missing section below it reads as a format of the reading defaults. A count
// above 10,000 is read as the format sections really present below it, in
// their order: an absurd count must not build billions (or ten thousand) of
// default formats, and a long list must not lose a format.
StoredFormatList ReadStoredFormats(SettingsFile &file);
// All of it goes to the file in one replacement, and format sections at or
// above the new count are removed; throws FileWriteError.
void WriteStoredFormats(SettingsFile &file, const StoredFormatList &formats);

// Whether two formats store the same sixteen values.
bool SameStoredFormat(const TJob &a, const TJob &b);

// The formats on disk with one window's edits applied. `read` is what the
// window read at its start, `now` what it holds; now[i] came from
// read[origin[i]], or is new when origin[i] is -1. A format of `read` is found
// on disk by its name (without regard to case; the k-th of a name matches the
// k-th). Formats deleted here are removed from the disk's list; formats stored
// or changed here replace the one of their name or are appended; all others
// stay as the disk has them, in the disk's order.
StoredFormatList MergeStoredFormats(const StoredFormatList &disk, const StoredFormatList &read,
                                    const StoredFormatList &now, const std::vector<int> &origin);
