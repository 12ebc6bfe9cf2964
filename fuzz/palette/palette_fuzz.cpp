// The palette reader on any bytes: what it reads over the default colours is
// written back and must read again unchanged.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "doc/palette_file.h"
#include "fuzz_input_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInputFile("colors.pal", data, size);
  TColorRecord colors = ColorPreset(PresetDefaultColor);
  if (!ReadPaletteFile(path, colors)) return 0;
  if (!WritePaletteFile(path, colors)) return 0;
  TColorRecord again = ColorPreset(PresetDefaultGrayscale);
  if (!ReadPaletteFile(path, again) || !(again == colors)) {
    std::fprintf(stderr, "a palette read, written and read again changed\n");
    std::abort();
  }
  return 0;
}
