// The report writers' test fixture: an in-memory target and a simulated model.
#pragma once

#include <gtest/gtest.h>

#include <ctime>
#include <string>
#include <vector>

#include "../../examples/model_builder.h"
#include "model_fixture.h"
#include "report_writer.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/simulation.h"

namespace tesmira::wb {

// The report panel in memory.
struct MemoryTarget : IReportTarget {
  std::vector<std::string> lines;
  bool visible = true, modified = false;
  int64_t caret = -1;
  int appends = 0;
  void Clear() override { lines.clear(); }
  void SetVisible(bool v) override { visible = v; }
  void AppendLines(const std::vector<std::string>& l) override {
    ++appends;
    lines.insert(lines.end(), l.begin(), l.end());
  }
  std::string rtf;
  int scrolledTo = -1;
  void LoadRtf(const std::string& bytes) override {
    lines.clear();
    rtf = bytes;
  }
  int64_t TextLength() const override {
    int64_t n = 0;
    for (const auto& l : lines) n += static_cast<int64_t>(l.size()) + 1;
    return n;
  }
  void SetCaret(int64_t p) override { caret = p; }
  void SetModified(bool m) override { modified = m; }
  void ScrollToLine(int line) override { scrolledTo = line; }
};

inline size_t Chars(const std::string& utf8) {
  size_t n = 0;
  for (unsigned char c : utf8) n += (c & 0xC0) != 0x80;
  return n;
}

inline std::tm Day(int day) {
  std::tm t{};
  t.tm_year = 2024 - 1900;
  t.tm_mon = 2;
  t.tm_mday = day;
  t.tm_hour = 14;
  t.tm_min = 5;
  t.tm_sec = 9;
  return t;
}

class ReportWriter : public test::ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    file_ = Path("model.tsm");
    SetModelFileName(file_.c_str());
    sections_.EnsureStyleFonts();
  }

  // Three normal inputs in a tree, formulas as outputs, rank correlations.
  void Simulate(int formulas = 2) {
    for (const char* v : {"a", "b", "c"}) {
      AddVariable(v, v[0] - 'a');
      AddNode(v);
    }
    ASSERT_TRUE(example::Link("a", "b", 0.5, CopulaNormal));
    ASSERT_TRUE(example::Link("a", "c", 0.3, CopulaNormal));
    for (int k = 1; k <= formulas; ++k)
      AddFormula(std::string("f").append(std::to_string(k)),
                 std::string("a+b*").append(std::to_string(k)));
    TRunRequest r = DefaultRunRequest;
    r.runs = 5;
    r.seed = 3;
    r.correlationKind = 2;
    ASSERT_EQ(Run_simul(&r), RunCompleted);
  }

  TReportContext Context() {
    TReportContext c;
    c.sections = &sections_;
    c.modelFileName = file_;
    c.clock = [] { return Day(21); };
    return c;
  }

  int Find(const MemoryTarget& t, const std::string& text, int from = 0) {
    for (int i = from; i < static_cast<int>(t.lines.size()); ++i)
      if (t.lines[i].find(text) != std::string::npos) return i;
    return -1;
  }

  std::string file_;
  TRepSections sections_;
};

}  // namespace tesmira::wb
