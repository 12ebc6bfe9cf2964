// The ".RVINFO" file and the launch of the belief-net program, with a stub
// program that records its arguments.
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "files/belief_net.h"
#include "model/store.h"
#include "model_files_fixture.h"
#include "tesmira/files.h"

namespace {

class BeliefNetTest : public ModelFilesTest {
 protected:
  void SetUp() override {
    ModelFilesTest::SetUp();
    SetModelFileName(Path("x").c_str());
    calls_.clear();
    SetPellianWindowHooks(nullptr);
  }
  void TearDown() override {
    SetPellianWindowHooks(nullptr);
    tesmira::SetPellianTimes(20000, 250, 100);
    ModelFilesTest::TearDown();
  }
  // A program that writes its arguments, one a line, and stays up a while.
  // The list appears whole (written beside it and renamed), since the launch
  // may return before the program has got that far.
  void MakeStub(double seconds) {
    std::filesystem::create_directories(dir_ / "Pellian");
    const std::string stub = (dir_ / "Pellian" / "Pellian").string();
    WriteAll(stub, "#!/bin/sh\nfor a in \"$@\"; do echo \"$a\"; done > \"" + Path("args.tmp") +
                       "\"\nmv \"" + Path("args.tmp") + "\" \"" + Path("args.txt") + "\"\nsleep " +
                       std::to_string(seconds) + "\n");
    ::chmod(stub.c_str(), 0755);
  }
  // The stub's argument list, waited for up to 20 s on a loaded machine.
  std::string StubArguments() {
    const std::string path = Path("args.txt");
    for (int i = 0; i < 2000 && !std::filesystem::exists(path); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::string text = ReadAll(path);
    std::filesystem::remove(path);
    return text;
  }
  static inline std::vector<std::string> calls_;
};

TEST_F(BeliefNetTest, RvInfoListsTheOccupiedSlotsWithOneLineDescriptions) {
  AddVariable("a");
  AddVariable("b");
  AddVariable("c");
  auto* c = Fetch_extended_random_variable(0, "c");
  tesmira::SetShortString(c->description, "first line\r\nsecond\rthird\nfourth");
  c->distribution.distType = DistDiscrete;
  TModelRecord* m = tesmira::Model();
  TExtendedRandomVariable* second = m->vars[2];
  m->vars[2] = nullptr;  // an empty slot
  ASSERT_TRUE(WriteRvInfoFile());
  m->vars[2] = second;
  EXPECT_EQ(ReadAll(Path("x.RVINFO")),
            "[General]\r\nNumberOfRandomVariables=3\r\n"
            "\r\n[RandomVariable1]\r\nName=a\r\nDescription=\r\nType=0\r\n"
            "\r\n[RandomVariable3]\r\nName=c\r\nDescription=first "
            "line<#BR#>second<#BR#>third<#BR#>fourth\r\n"
            "Type=1\r\n");
  bool ok = true;
  EXPECT_EQ(tesmira::ChangeFileExtensionText("/m/model.v1.TPS", "RVINFO", ok),
            "/m/model.v1.RVINFO");
  EXPECT_TRUE(ok);
  tesmira::ChangeFileExtensionText("/m/.TPS", "RVINFO", ok);
  EXPECT_FALSE(ok);
}

TEST_F(BeliefNetTest, TheProgramGetsItsArgumentsAndTheWindowFollowsIt) {
  MakeStub(0.3);
  TPellianWindowHooks hooks{};
  hooks.getMainRect = [](int32_t* l, int32_t* t, int32_t* r, int32_t* b) {
    *l = 10, *t = 20, *r = 410, *b = 320;
  };
  hooks.showWindows = [](bool show) { calls_.push_back(show ? "show" : "hide"); };
  hooks.moveMainWindow = [](int32_t l, int32_t t, int32_t w, int32_t h) {
    calls_.push_back("move " + std::to_string(l) + " " + std::to_string(t) + " " +
                     std::to_string(w) + " " + std::to_string(h));
  };
  hooks.programWindow = [](int32_t, int32_t* l, int32_t* t, int32_t* r, int32_t* b) {
    *l = 1, *t = 2, *r = 301, *b = 202;
    return true;
  };
  SetPellianWindowHooks(&hooks);
  tesmira::SetPellianTimes(5000, 20, 20);
  const std::string folder = dir_.string();
  ASSERT_TRUE(LaunchPellian(folder.c_str(), "", false));
  const std::string base = Path("x");
  EXPECT_EQ(StubArguments(), base + ".RVINFO\n" + base + ".TPS\n10\n20\n400\n300\n");
  EXPECT_EQ(calls_, (std::vector<std::string>{"hide", "move 1 2 300 200", "show"}));

  calls_.clear();
  ASSERT_TRUE(LaunchPellian(folder.c_str(), "/nets/my net.bbn", true));
  EXPECT_EQ(StubArguments(),
            base + ".RVINFO\n" + base + ".TPS\n10\n20\n400\n300\n-existingbbn\n/nets/my net.bbn\n");
}

TEST_F(BeliefNetTest, AProgramWithoutAWindowOrNoProgramAtAllFails) {
  const std::string folder = dir_.string();
  EXPECT_FALSE(LaunchPellian(folder.c_str(), "", false));  // not installed
  MakeStub(2);
  TPellianWindowHooks hooks{};
  hooks.showWindows = [](bool show) { calls_.push_back(show ? "show" : "hide"); };
  hooks.programWindow = [](int32_t, int32_t*, int32_t*, int32_t*, int32_t*) { return false; };
  SetPellianWindowHooks(&hooks);
  tesmira::SetPellianTimes(200, 20, 20);
  EXPECT_FALSE(LaunchPellian(folder.c_str(), "", false));
  EXPECT_EQ(calls_, (std::vector<std::string>{"show"}));
}

}  // namespace
