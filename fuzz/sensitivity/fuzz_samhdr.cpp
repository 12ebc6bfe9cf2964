#include <cstddef>
#include <cstdint>
#include <vector>

#include "fuzz_support.h"
#include "modular_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tesvane;
  static const bool binaries = [] {
    const std::vector<float> four = {0.f, 1.f, 1.f, 2.f};
    fuzz::Write("a.bin", reinterpret_cast<const uint8_t*>(four.data()), 16);
    fuzz::Write("b.bin", reinterpret_cast<const uint8_t*>(four.data()), 12);
    return true;
  }();
  (void)binaries;
  TReaderHost host;
  TFileData store;
  store.FileName = fuzz::Write("input.samhdr", data, size);
  try {
    ReadModularSampleHeader(store, nullptr, host);
  } catch (const ESensitivityError&) {
  }
  return 0;
}
