// One legacy (DOS) model reader on arbitrary bytes; LEGACY_EXTENSION names it.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "tesmira/model.h"
#include "tesmira/model_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    std::string d = "/tmp/tesmira_fuzz_dos_" + std::to_string(::getpid());
    ::mkdir(d.c_str(), 0700);
    return d + "/";
  }();
  const std::string path = dir + "MODEL" LEGACY_EXTENSION;
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  Init_data();
  uint8_t kind = LegacyCountOnly;
  ImportADOSFile(path.c_str(), &kind);
  kind = 0;
  DOStoTSMObjects(path.c_str(), &kind);
  End_data();
  return 0;
}
