// Allocations that fail inside an exported function end the call with its
// failure result: no exception crosses the C interface, and a save that
// failed leaves the previous file as it was.
#include <atomic>
#include <cstdlib>
#include <new>

#include "model_files_fixture.h"
#include "tesmira/files.h"
#include "tesmira/report.h"
#include "tesmira/simulation.h"

namespace {

// The allocation that fails: the countdown-th from the moment it is set.
std::atomic<long> g_countdown{-1};
// Or, once armed, the sizeCountdown-th allocation of failSize bytes.
std::atomic<bool> g_sizeArmed{false};
std::atomic<std::size_t> g_failSize{0};
std::atomic<long> g_sizeCountdown{-1};

void* Allocate(std::size_t n) {
  if (g_countdown.load() >= 0 && g_countdown.fetch_sub(1) == 0) throw std::bad_alloc();
  if (g_sizeArmed.load() && n == g_failSize.load() && g_sizeCountdown.load() >= 0 &&
      g_sizeCountdown.fetch_sub(1) == 0)
    throw std::bad_alloc();
  if (void* p = std::malloc(n ? n : 1)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t n) { return Allocate(n); }
void* operator new[](std::size_t n) { return Allocate(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
  try {
    return Allocate(n);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

class AllocationFailure : public ModelFilesTest {
 protected:
  // A run of 2000 samples of the tree model, named m.tsm.
  TRunRequest TreeRun() {
    BuildTreeModel();
    SetModelFileName(Path("m.tsm").c_str());
    TRunRequest r = DefaultRunRequest;
    r.runs = 20;
    r.seed = 1;
    return r;
  }
};

TEST_F(AllocationFailure, ASaveThatRunsOutOfMemoryFailsAndKeepsTheFile) {
  BuildTreeModel();
  const std::string path = Path("m.tsm");
  const int32_t entries = WriteTSMFile(path.c_str());
  ASSERT_GT(entries, 0);
  const std::string saved = ReadAll(path);
  int failures = 0;
  for (long k = 0; k < 100000; ++k) {
    g_countdown = k;
    const int32_t written = WriteTSMFile(path.c_str());
    const bool reached = g_countdown.load() < 0;  // the k-th allocation was made, and failed
    g_countdown = -1;
    if (!reached) {
      EXPECT_EQ(written, entries);
      break;
    }
    // A failure after the file was complete may leave the save done.
    if (written == 0)
      ++failures;
    else
      EXPECT_EQ(written, entries) << "allocation " << k;
    EXPECT_EQ(ReadAll(path), saved) << "allocation " << k;
  }
  EXPECT_GT(failures, 0);
  EXPECT_EQ(ReadAll(path), saved);
}

TEST_F(AllocationFailure, ARunThatRunsOutOfMemoryReportsItsFailure) {
  TRunRequest r = TreeRun();
  int failures = 0;
  for (long k = 0; k < 100000; k += 1 + k / 8) {
    g_countdown = k;
    const int32_t code = Run_simul(&r);
    const bool reached = g_countdown.load() < 0;
    g_countdown = -1;
    if (!reached) {
      EXPECT_EQ(code, 1);
      break;
    }
    if (code == RunInitFailure) ++failures;
  }
  EXPECT_GT(failures, 0);
  EXPECT_EQ(Run_simul(&r), 1);
}

// Once the last sample is drawn, the run builds one quantile table of
// resolution + 1 values per variable; a table that cannot be had fails the
// run with the documented code and text, and leaves no results behind.
bool ArmAtTheEnd(int32_t current, int32_t total) {
  if (current >= total) g_sizeArmed = true;
  return true;
}

TEST_F(AllocationFailure, AQuantileTableThatCannotBeHadFailsTheRun) {
  TRunRequest r = TreeRun();
  r.resolution = 1000;
  r.progress = ArmAtTheEnd;
  const std::size_t tableBytes = (1000 + 1) * sizeof(double);
  // The first input's table, and the first output's (after the four inputs').
  for (long which : {0L, 4L}) {
    g_failSize = tableBytes;
    g_sizeCountdown = which;
    g_sizeArmed = false;
    const int32_t code = Run_simul(&r);
    const bool reached = g_sizeCountdown.load() < 0;
    g_sizeArmed = false;
    g_sizeCountdown = -1;
    ASSERT_TRUE(reached) << which;
    EXPECT_EQ(code, RunInitFailure) << which;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(r.message + 1), r.message[0]),
              "Initialization failure")
        << which;
    TRepTableInfo t{};
    t.sectionId = 4;
    EXPECT_EQ(Rep_get_table_info(&t), 0) << which << ": no results to report";
  }
  EXPECT_EQ(Run_simul(&r), RunCompleted);
  EXPECT_EQ(r.message[0], 0);
}

}  // namespace
