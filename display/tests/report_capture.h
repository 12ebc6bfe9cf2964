#pragma once

#include <string>
#include <vector>

#include "stats/report.h"

// Collects the statistics library's reports while it lives.
class ReportCapture {
 public:
  ReportCapture() {
    texts().clear();
    previous_ = stats::ReportHandler;
    stats::ReportHandler = [](const char* text) { texts().push_back(text); };
  }
  ~ReportCapture() { stats::ReportHandler = previous_; }
  static std::vector<std::string>& texts() {
    static std::vector<std::string> all;
    return all;
  }

 private:
  stats::ReportHandlerFunction previous_;
};
