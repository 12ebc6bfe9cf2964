// The display program's settings readers on any settings file, each followed
// by writing what it read back to the file.
#include <cstdint>

#include "fuzz_input_file.h"

#include "doc/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInputFile("Tesplore.ini", data, size);
  const TMainSettings main = ReadMainSettings(path, 1920, 1080, "Arial", 9);
  const TViewSettings view = ReadViewSettings(path);
  const TFrameSettings frame = ReadFrameSettings(path);
  const TPrintSettings print = ReadPrintSettings(path);
  WriteMainSettings(path, main, true);
  WriteViewSettings(path, view);
  WriteFrameSettings(path, frame);
  WritePrintSettings(path, print);
  return 0;
}
