// Whole-report timings: a run of 150 inputs and 50 outputs (a 200 x 200
// correlation matrix) written to an output file and read back, so that the
// report reads the matrix's rows lazily from the file; then the plain-text
// and the RTF report, each timed.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "../../examples/model_builder.h"
#include "report_writer.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/simulation.h"

namespace {

using tesmira::wb::IReportTarget;

// Counts what arrives, as a panel would hold it.
struct TCountingTarget : IReportTarget {
  size_t lines = 0, bytes = 0;
  void Clear() override {}
  void SetVisible(bool) override {}
  void AppendLines(const std::vector<std::string>& l) override {
    lines += l.size();
    for (const auto& s : l) bytes += s.size();
  }
  void LoadRtf(const std::string& b) override { bytes += b.size(); }
  int64_t TextLength() const override { return 0; }
  void SetCaret(int64_t) override {}
  void SetModified(bool) override {}
  void ScrollToLine(int) override {}
};

}  // namespace

int main() {
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / "tesmira_report_bench";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string model = (dir / "bench.tsm").string();
  const std::string output = (dir / "bench.tso").string();
  Init_data();
  SetModelFileName(model.c_str());
  for (int k = 1; k <= 150; ++k) {
    example::AddVariable("x" + std::to_string(k), DistNormal, 0, 1);
    example::Node("x" + std::to_string(k));
  }
  for (int k = 1; k <= 50; ++k)
    example::AddFormula("f" + std::to_string(k), "x1+x" + std::to_string(k + 1));
  TRunRequest r = DefaultRunRequest;
  r.runs = 10;
  r.seed = 1;
  r.correlationKind = 1;
  if (Run_simul(&r) != RunCompleted) {
    std::fprintf(stderr, "run failed\n");
    return 1;
  }
  if (WriteTSOFile(output.c_str()) <= 0) {
    std::fprintf(stderr, "output file not written\n");
    return 1;
  }
  End_data();
  Init_data();
  SetModelFileName(output.c_str());
  if (ReadTSMFile(output.c_str(), 0, 0) <= 0) {
    std::fprintf(stderr, "output file not read\n");
    return 1;
  }
  tesmira::wb::TRepSections sections;
  sections.EnsureStyleFonts();
  for (int format : {0, 1}) {
    tesmira::wb::TReportContext ctx;
    ctx.sections = &sections;
    ctx.modelFileName = output;
    TCountingTarget target;
    const auto start = std::chrono::steady_clock::now();
    tesmira::wb::GenerateReport(format, 0, target, ctx);
    const double s =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%s report: %.3f s, %zu bytes%s\n", format == 0 ? "plain-text" : "RTF", s,
                target.bytes,
                format == 0 ? (", " + std::to_string(target.lines) + " lines").c_str() : "");
  }
  End_data();
  fs::remove_all(dir);
  return 0;
}
