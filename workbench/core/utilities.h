// Small operations the workbench's windows share: text clean-up, numbers
// typed into cells, integer clamping, unique file names and paths relative
// to the model file.
#pragma once

#include <string>
#include <string_view>

namespace tesmira::wb {

std::string BlanksToUnderscores(std::string_view text);
// The edit's text with blanks replaced; the text is rewritten only when that
// changes it.
std::string EditBlanksToUnderscores(std::string& editText);
std::string RepeatChar(char c, int n);

// True for an empty text, "N/A", or exactly one of "+", ",", "-", ".".
bool IsMissingText(std::string_view text);
// Reads a number typed by the user, with a point as decimal separator
// whatever the locale; false (number unchanged) for a missing or malformed text.
bool TryParseNumber(double& number, std::string_view text);

// The counter label of an object list: "none" when nothing is selected,
// otherwise "k of n total"; "0 total" for an empty list.
std::string CounterLabelText(int selected, int total);

int ClampInt(int value, int min, int max);
int InRangeOr(int value, int defaultValue, int min, int max);

// File name helpers with "/" and "\" both taken as folder separators.
std::string ExtractFileName(std::string_view path);
// The folder with a trailing "/", empty for a bare name.
std::string ExtractFileFolder(std::string_view path);
// Replaces (or adds) the extension of the file name; ext includes the ".".
std::string ChangeFileExt(std::string_view path, std::string_view ext);
bool FileExists(const std::string& path);
// The absolute, normalised form of a file name given by the user (command
// line, drop, dialog, recent-file entry), resolved against the process's
// current folder; "/" separators. Empty stays empty.
std::string AbsolutePath(const std::string& path);
// A file the suite derived from another (".sam", ".sae", ".tso", ".dnt"...):
// the name itself when it exists, else the first file of its folder whose
// name matches it without regard to case; empty when neither exists.
std::string FindDerivedFile(const std::string& path);
// Whether two names designate one file (canonical paths, compared with case).
bool SameFile(const std::string& a, const std::string& b);
// The file exists and this user may not write it.
bool IsReadOnlyFile(const std::string& path);

// base, base1, base2, ... up to base999: the first whose name with the given
// extension does not exist (base999 even when it does); with apply the
// result carries the extension.
std::string UniqueFileName(const std::string& base, const std::string& ext, bool apply);

// The path relative to the folder of baseFile; an empty baseFile means the
// model file; with neither the path comes back unchanged.
std::string RelativeToModel(const std::string& path, const std::string& baseFile,
                            const std::string& modelFileName);
// The path expanded against baseFolder; an empty baseFolder means the model
// file's folder, and with neither the current folder. The process's current
// folder is never changed.
std::string AbsoluteFromModel(const std::string& path, const std::string& baseFolder,
                              const std::string& modelFileName);

}  // namespace tesmira::wb
