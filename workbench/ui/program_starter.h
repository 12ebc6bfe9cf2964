// Starting sibling programs and opening documents with Qt: the program
// detached with each argument as one element, documents through the
// desktop's associations.
#pragma once

#include "launchers.h"

namespace tesmira::wb {

class TQtProgramStarter : public IProgramStarter {
 public:
  bool StartProgram(const std::string& program, const std::vector<std::string>& args) override;
  bool OpenDocument(const std::string& path) override;
};

// The folder of the running program, ending in "/".
std::string ProgramFolder();

}  // namespace tesmira::wb
