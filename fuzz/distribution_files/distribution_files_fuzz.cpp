// Quantile files on arbitrary bytes: the probe that recognises their
// resolution and the reader that fills a quantile table.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "distributions/distribution_types.h"
#include "simulation/distribution_probe.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/tesmira_fuzz_dis_" + std::to_string(::getpid()) + ".dis";
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  int type = tesmira::ProbeDistributionFile(path);
  int n = type == 15 ? 10000 : type == 14 ? 1000 : 100;
  std::vector<double> table(static_cast<std::size_t>(n) + 1, 0.0);
  tesmira::ReadQuantileFilePath(table.data(), n, path);
  return 0;
}
