// The fuzzer's bytes written to a file in a folder of this process, for the
// readers that take a path.
#pragma once

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

namespace fuzz_support {

// "/tmp/tesmira_fuzz_<pid>/" + name, holding exactly the given bytes.
inline std::string WriteInputFile(const char* name, const uint8_t* data, size_t size) {
  static const std::string dir = [] {
    std::string d = "/tmp/tesmira_fuzz_" + std::to_string(::getpid());
    ::mkdir(d.c_str(), 0700);
    return d + "/";
  }();
  const std::string path = dir + name;
  if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

}  // namespace fuzz_support
