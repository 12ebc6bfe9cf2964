// The script runner on any script. The working folder holds small fixed
// sample files ("d.sae", "h.samhdr" with "a.bin" and "b.bin"), so that a
// script can name them by relative path. The input may hold two scripts
// separated by a NUL byte; they run one after the other on the same store, so
// that a CALC_CORR_RATIO script finds samples a LOAD_SAMPLES script loaded.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "script_executor.h"

namespace {

using namespace tesvane;

class TQuietScriptHost : public TScriptHost {
 public:
  void UnloadSampleFile() override {}
  void RefreshAfterLoad() override {}
  void ShowResult(const std::string&, int32_t) override {}
  void StartRun() override {}
};

void Fixtures() {
  const std::string sae = "y, x1, x2\n1, 2, 3\n4, 5, 7\n2, 2, 2\n";
  fuzz::Write("d.sae", reinterpret_cast<const uint8_t*>(sae.data()), sae.size());
  const std::vector<float> four = {0.f, 1.f, 1.f, 2.f};
  fuzz::Write("a.bin", reinterpret_cast<const uint8_t*>(four.data()), 16);
  fuzz::Write("b.bin", reinterpret_cast<const uint8_t*>(four.data()), 16);
  const std::string header =
      "<pellian_modular_sample_header><number_of_samples>4</number_of_samples>"
      "<random_variable><name>A</name><description/><is_functional>0</is_functional><type>0</type>"
      "<binary_sample_filename>a.bin</binary_sample_filename></random_variable>"
      "<random_variable><name>B</name><description/><is_functional>0</is_functional><type>0</type>"
      "<binary_sample_filename>b.bin</binary_sample_filename></random_variable>"
      "</pellian_modular_sample_header>";
  fuzz::Write("h.samhdr", reinterpret_cast<const uint8_t*>(header.data()), header.size());
  if (::chdir(fuzz::Folder().c_str()) != 0) std::abort();
}

void RunOne(const uint8_t* data, size_t size, TFileData& store, TRunData& run) {
  TQuietScriptHost host;
  const std::string path = fuzz::Write("s.pelscript", data, size);
  try {
    TScriptExecutor(path, store, run, host).Run();
  } catch (const ESensitivityError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (Fixtures(), true);
  (void)ready;
  TFileData store;
  TRunData run;
  const uint8_t* end = data + size;
  const uint8_t* split = data;
  while (split < end && *split != 0) ++split;
  RunOne(data, static_cast<size_t>(split - data), store, run);
  if (split < end) RunOne(split + 1, static_cast<size_t>(end - split - 1), store, run);
  return 0;
}
