#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "text_samples.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tesvane;
  TReaderHost host;
  TFileData store;
  store.FileName = fuzz::Write("input.sae", data, size);
  try {
    if (ReadTextSamples(store, nullptr, host)) {
      for (const auto& row : store.Samples)
        if (row.size() != static_cast<size_t>(store.SampleCount)) __builtin_trap();
    }
  } catch (const ESensitivityError&) {
  }
  return 0;
}
