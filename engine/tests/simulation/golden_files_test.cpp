// The files of small fixed-seed runs, byte for byte: every file a run leaves
// in its folder (sample files, distribution files, result files) is hashed
// and the listing compared with the one recorded when the run was known
// good. A change to how the files are written must leave them as they are.
//
// The model avoids the normal distributions and the normal and Gumbel
// copulas, whose last bits may change with their special functions; what is
// checked here is how the samples reach the files.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "simulation_fixture.h"

using example::AddFormula;
using example::AddVariable;
using example::Link;

namespace {

uint64_t Fnv1a(const std::string& bytes) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : bytes) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}

int g_progressCalls = 0;
int g_stopAtCall = 0;
bool StopAtCall(int32_t, int32_t) { return ++g_progressCalls < g_stopAtCall; }

class GoldenFiles : public SimulationTest {
 protected:
  // Two trees over eight variables of five distribution types, four copula
  // types; formulas over both and a condition that rejects some samples (so
  // that the ".sam" header's count is corrected).
  void BuildModel() {
    AddVariable("u1", DistUniform, 0, 10);
    objects_.push_back(AddVariable("l2", DistLogUniform, 1, 100));
    AddVariable("e3", DistExponential, 0.5);
    objects_.push_back(AddVariable("w4", DistWeibull, 0, 1.5, 2, 0));
    AddVariable("t5", DistTriangular, 0, 1, 0, 4);
    AddVariable("u6", DistUniform, -1, 1);
    AddVariable("u7", DistUniform, 0, 1);
    AddVariable("e8", DistExponential, 2, 0, 0, 1);
    ASSERT_TRUE(Link("u1", "l2", 0.6, CopulaFrank));
    ASSERT_TRUE(Link("u1", "e3", 0.5, CopulaClayton));
    ASSERT_TRUE(Link("l2", "w4", -0.4, CopulaDiagonalBand));
    ASSERT_TRUE(Link("e3", "t5", 0.3, CopulaElliptical));
    ASSERT_TRUE(Link("t5", "u6", -0.3, CopulaFrank));
    ASSERT_TRUE(Link("u7", "e8", 0.7, CopulaClayton + 1));
    AddFormula("s", "u1+l2*e3");
    objects_.insert(objects_.begin(), AddFormula("p", "w4*t5-u6"));
    objects_.push_back(AddFormula("r", "s/(1+u7)"));
    AddFormula("q", "e8*e8-1e-7");
    AddFormula("condition", "i#{0,u7,0.85}");
    objects_.push_back(nullptr);
  }

  // Every file of the folder: name, size and hash, one line each, in name
  // order, after the run's code and message.
  static std::string Listing(const std::filesystem::path& folder, const std::string& runs) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
      if (e.is_regular_file()) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    std::string out = runs;
    char line[160];
    for (const std::string& name : names) {
      std::string bytes = ReadAll((folder / name).string());
      std::snprintf(line, sizeof line, "%s %zu %016llx\n", name.c_str(), bytes.size(),
                    static_cast<unsigned long long>(Fnv1a(bytes)));
      out += line;
    }
    return out;
  }

  // Runs the request in a folder of its own (the model's file moves there)
  // and notes its code and message.
  std::filesystem::path Folder(const std::string& name) {
    std::filesystem::path folder = dir_ / name;
    std::filesystem::create_directories(folder);
    SetModelFileName((folder / "model.tsm").string().c_str());
    return folder;
  }
  // The message names files by their path below the test's folder.
  std::string Run(TRunRequest& r) const {
    int code = Run_simul(&r);
    std::string message = Message(r);
    const std::string folder = dir_.string() + "/";
    for (std::size_t at; (at = message.find(folder)) != std::string::npos;)
      message.replace(at, folder.size(), "");
    return "code " + std::to_string(code) + " [" + message + "]\n";
  }

  std::vector<void*> objects_;
};

TEST_F(GoldenFiles, RunsLeaveTheirRecordedFiles) {
  BuildModel();
  struct Case {
    const char* name;
    const char* expected;
  };
  const Case cases[] = {
      // Rank correlations, user quantiles and distribution files.
      {"single",
       "code 1 []\n"
       "condition.DIS 3232 a4c229a627751f32\n"
       "model.CMM 16312 fc361f46520e5988\n"
       "model.QUA 3030 cf5ee8286204737a\n"
       "model.SAM 434547 78e5e297efad073d\n"
       "model.SIM 90048 f5fc08dc9f81f5a5\n"
       "model.USE 68000 4c11190017d573a5\n"
       "model.sae 434385 f744d00c377b4b1d\n"
       "p.DIS 3232 860e491392886616\n"
       "q.DIS 3232 f3cfb98e074d5a68\n"
       "r.DIS 3232 1d91b4920f74103b\n"
       "s.DIS 3232 97997b4f6b03c172\n"},
      // A series of three simulations collecting its samples in one file named
      // ".SAP", which appends drawn pairs after each simulation.
      {"series",
       "code 1 []\n"
       "code 1 []\n"
       "code 1 []\n"
       "all.SAP.sae 517533 fe5f146f985b5350\n"
       "all.SAP.sam 564495 79a22cb4a0fa36cc\n"
       "model.CMM 16312 fe4311a210627b4f\n"
       "model.QUA 3030 8c28721f31a64b8e\n"
       "model.SIM 90048 99c11660ba8bfd40\n"},
      // Stopped by the progress callback half-way through a run.
      {"stopped",
       "code 1 []\n"
       "model.CMM 16312 17fb8e07a54f2d38\n"
       "model.QUA 3030 652f997a57aed337\n"
       "model.SAM 218227 57f632419e75dc11\n"
       "model.SIM 90048 6b32789c8885f9a6\n"
       "model.sae 218065 e0d5482f80ff2609\n"},
      // Selected objects only, in the order they were selected.
      {"selected",
       "code 1 []\n"
       "model.CMM 16312 98d95fbe2a689b40\n"
       "model.QUA 3030 4089a19feae0dd73\n"
       "model.SAM 111508 3b59d2e72128ff8c\n"
       "model.SIM 90048 eefeb1b46ae71d30\n"
       "model.sae 111346 86bdf7e6e5273773\n"},
      // Three numbered files, a series with separate files.
      {"separate",
       "code 1 []\n"
       "code 1 []\n"
       "code 1 []\n"
       "model.CMM 16312 b35db21c662e3e71\n"
       "model.QUA 3030 a34c712522e2db60\n"
       "model.SIM 90048 d07b9cf3208454fb\n"
       "model001.SAM 172259 13f8b0b143d2c780\n"
       "model001.sae 172097 7e3640b14273975e\n"
       "model002.SAM 173780 695968e82e9e6085\n"
       "model002.sae 173618 4aae28d7beefd551\n"
       "model003.SAM 174456 0b100dfe5658065d\n"
       "model003.sae 174294 b98e7587ebe53ef2\n"},
      // The ".sam" file on a full device: the run goes on without it.
      {"full",
       "code 1 [Failed to write sample file full/model.SAM]\n"
       "model.CMM 16312 2275c5e4d2689b0e\n"
       "model.QUA 3030 25b83fb87059fb83\n"
       "model.SIM 90048 88e47cce011d5dfa\n"
       "model.sae 1441287 0ce2a87f2a6c0b19\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string name = c.name;
    std::filesystem::path folder = Folder(name);
    std::string runs;
    if (name == "single") {
      TRunRequest r = Request(30, 2024, RunWriteInputs | RunWriteOutputs);
      r.correlationKind = 2;
      r.userQuantiles = 1;
      r.distributionFile = 1;
      runs += Run(r);
    } else if (name == "series" || name == "separate") {
      for (int k = 1; k <= 3; ++k) {
        TRunRequest r = Request(12, k == 1 ? 77 : -1, RunWriteInputs | RunWriteOutputs);
        r.numberOfSimulations = 3;
        r.simulationIndex = static_cast<int16_t>(k);
        r.separateSampleFiles = name == "separate";
        if (name == "series")
          example::SetName(r.sampleFile, 255, (folder / "all.SAP.sam").string());
        runs += Run(r);
      }
    } else if (name == "stopped") {
      TRunRequest r = Request(40, 5, RunWriteInputs | RunWriteOutputs);
      g_progressCalls = 0;
      g_stopAtCall = 167;  // after the second block of the 16th run
      r.progress = StopAtCall;
      runs += Run(r);
    } else if (name == "selected") {
      TRunRequest r = Request(25, 31, RunWriteInputs | RunWriteOutputs | RunWriteSelected);
      r.sampledObjects = objects_.data();
      runs += Run(r);
    } else if (name == "full") {
      if (!std::filesystem::exists("/dev/full")) continue;
      std::filesystem::create_symlink("/dev/full", folder / "model.SAM");
      TRunRequest r = Request(100, 8, RunWriteInputs | RunWriteOutputs);
      runs += Run(r);
    }
    std::string listing = Listing(folder, runs);
    EXPECT_EQ(listing, c.expected);
  }
}

}  // namespace
