// The checks of the open command, the choice of reader, and the recent-file
// list's rules that are not in the settings file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "reader_host.h"
#include "sample_store.h"

namespace tesvane {

// Linux has no mandatory locks: a file is "locked" when it cannot be opened
// for reading (a missing file also answers true).
bool IsFileLocked(const std::string& path);

// The extension of a path, lower-cased, with its dot ("" when none).
std::string LowerExtension(const std::string& path);
// The path with its extension replaced (or added).
std::string ChangeExtension(const std::string& path, const std::string& extension);

enum class TOpenKind { Missing, Locked, WrongExtension, Sam, Text, Header };
// What the open command does with a path: the refusals in their order, then
// the kind of file by its lower-cased extension.
TOpenKind ClassifyOpenPath(const std::string& path);
// The message of a refusal ("" for the other kinds).
std::string OpenRefusalMessage(TOpenKind kind, const std::string& path);

// Reads store.FileName with the reader its extension selects (".samhdr" the
// header reader, anything else the text reader).
bool ReadSampleFile(TFileData& store, const TIntList* selection, TReaderHost& host);

// "&Open...": the path goes on top unless the list already holds it without
// regard to case; `slots` entries at most (a removed entry's slot is not
// refilled until the next start). Returns whether the list changed.
bool AddOpenedToRecentFiles(std::vector<std::string>& list, const std::string& path, int32_t slots);
// Removes the first entry equal to the path (exactly).
void RemoveFromRecentFiles(std::vector<std::string>& list, const std::string& path);
// The Reopen entry's caption: "&<k>: <path>", counted from 0.
std::string RecentFileCaption(int32_t position, const std::string& path);

}  // namespace tesvane
