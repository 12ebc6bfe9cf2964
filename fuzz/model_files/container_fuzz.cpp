// The model and output file reader on arbitrary bytes: probe, open, read the
// correlation rows.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tesmira/model.h"
#include "tesmira/model_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    std::string d = "/tmp/tesmira_fuzz_tsm_" + std::to_string(::getpid());
    ::mkdir(d.c_str(), 0700);
    return d + "/";
  }();
  const std::string path = dir + "f.tso";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
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
