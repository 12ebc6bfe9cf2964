// A program starter that records what it was asked to start or open.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "launchers.h"

namespace tesmira::wb::test {

struct FakeStarter : IProgramStarter {
  bool startWorks = true, openWorks = true;
  std::vector<std::pair<std::string, std::vector<std::string>>> started;
  std::vector<std::string> opened;
  bool StartProgram(const std::string& p, const std::vector<std::string>& a) override {
    started.emplace_back(p, a);
    return startWorks;
  }
  bool OpenDocument(const std::string& path) override {
    opened.push_back(path);
    return openWorks;
  }
  std::string executable;  // what FindExecutable answers
  std::string FindExecutable(const std::string&) override { return executable; }
};

}  // namespace tesmira::wb::test
