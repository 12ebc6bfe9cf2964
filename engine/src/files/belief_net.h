// The hand-over files of the belief-net program and its argument vector.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tesmira {

// Folder + base name + "." + ext; ok false for a name without a proper base
// name (empty, or its only "." first).
std::string ChangeFileExtensionText(std::string_view name, std::string_view ext, bool& ok);
// The model's ".TPS" (file kind 19) and ".RVINFO" names.
std::string HandOverSampleFile();
std::string RvInfoFileName();
// The ".RVINFO" text of the current model.
std::string RvInfoText();
// The program's argument vector (argv[0] is the program).
std::vector<std::string> PellianArguments(const std::string& program,
                                          const std::string& existingFile, bool useExisting,
                                          int32_t left, int32_t top, int32_t right, int32_t bottom);
// Test hook: how long the launcher waits for the window, and its poll steps.
void SetPellianTimes(int32_t appearMs, int32_t pollMs, int32_t watchMs);

}  // namespace tesmira
