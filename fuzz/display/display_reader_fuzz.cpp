// Loads the input as a sample file of the type FUZZ_EXTENSION names: every input
// must end in a loaded sample set or a ut::Exception, never in a crash or hang.
// For modular headers the input is also the content of the binary sample files
// "v.bin" and "V2.BIN" beside the header.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include <unistd.h>

#include "fn/sample_data.h"
#include "ut/exception.h"

namespace {

// Chooses columns from the first bytes of the input, or cancels.
class FuzzPicker : public fn::RandVarPicker {
 public:
  FuzzPicker(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool PickVariables(const std::vector<std::unique_ptr<fn::CTesploreVar>>& variables,
                     std::uint32_t limit, ut::SizeTSet& chosen) override {
    if (size_ == 0 || data_[0] % 2 == 0) return false;
    chosen.clear();
    for (std::size_t i = 1; i < size_ && chosen.size() < limit; ++i) {
      chosen.insert(data_[i] % (variables.size() + 2));
    }
    return true;
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

std::string Folder() {
  static const std::string folder = [] {
    auto dir =
        std::filesystem::temp_directory_path() / ("display_fuzz_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    return dir.string();
  }();
  return folder;
}

void Write(const std::string& path, const std::uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string path = Folder() + "/input." FUZZ_EXTENSION;
  Write(path, data, size);
  if (std::string(FUZZ_EXTENSION) == "samhdr") {
    Write(Folder() + "/v.bin", data, size);
    Write(Folder() + "/V2.BIN", data, size);
  }
  try {
    fn::SampleData set(new FuzzPicker(data, size));
    if (set.SetFile(path, fn::SampleFileTypeOf(path))) {
      for (std::uint32_t i = 0; i < set.NumVariables(); ++i) {
        const fn::CTesploreVar& v = set.GetVariable(i);
        if (v.GetSamples().size() != set.GetNumSamples()) __builtin_trap();
      }
    }
  } catch (const ut::Exception&) {
  }
  return 0;
}
