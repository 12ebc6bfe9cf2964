// Distribution tables of the formula language on arbitrary bytes: the reader,
// then lookups of the table as a function.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "formula/dis_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/tesmira_fuzz_table_" + std::to_string(::getpid()) + ".DIS";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  tesmira::formula::DisTable table;
  if (tesmira::formula::ReadDisTable(path, table))
    for (double x : {-1e300, -1.0, 0.0, 0.5, 1.0, 1e300}) (void)table.Value(x);
  return 0;
}
