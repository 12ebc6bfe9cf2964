#include <cstddef>
#include <cstdint>

#include "fuzz_support.h"
#include "text_samples.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tesvane;
  TReaderHost host;
  const std::string sam = fuzz::Write("input.sam", data, size);
  try {
    if (ConvertSamToSae(sam, host)) {
      TFileData store;
      store.FileName = (fuzz::Folder() / "input.sae").string();
      ReadTextSamples(store, nullptr, host);
    }
  } catch (const ESensitivityError&) {
  }
  return 0;
}
