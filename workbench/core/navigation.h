// Jumps to the definition of an object and back: each jump records on the
// window's navigation stack where it started, so that Back returns there.
#pragma once

#include <string>

namespace tesmira::wb {

struct TNavEntry {
  std::string ReturnFile;  // the model file to reopen on the way back, or empty
  std::string TargetName;
  int TargetKind = 0;  // 1 random variable, 6 formula
  std::string OriginName;
  int OriginKind = 0;
};

// The entry of a jump from the origin (kind, 1-based number) to the target;
// a target kind of 0 means the origin itself. A target from a linked file
// returns to currentFile. A never named formula of a linked file is named by
// a blank, its text and its description.
TNavEntry MakeNavEntry(const std::string& currentFile, int originKind, int originNumber,
                       int targetKind, int targetNumber);

// The 1-based number of the object of kind (1 or 6) with that name
// (UTF-8), 0 when there is none.
int ObjectNumberByName(int kind, const std::string& name);

// The linked file an object comes from, empty for the model's own objects.
std::string LinkedFileOf(int kind, int number);

}  // namespace tesmira::wb
