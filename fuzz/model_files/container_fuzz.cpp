// The model and output file reader on arbitrary bytes: probe, open, read the
// correlation rows.
#include <cstdint>
#include <string>

#include "fuzz_input_file.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = fuzz_support::WriteInputFile("f.tso", data, size);
  Init_data();
  void* header = nullptr;
  GetFileHeader(path.c_str(), &header);
  if (LoadTSMFile(path.c_str(), TsmOpen) > 0) {
    char row[8000];
    for (int j = 1; j <= 4; ++j) GetCorrData(row, j);
  }
  End_data();
  return 0;
}
