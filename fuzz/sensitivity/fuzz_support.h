// A private folder per fuzzing process, and a reader host that never asks.
#pragma once

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "reader_host.h"
#include "sample_store.h"

namespace tesvane::fuzz {

inline const std::filesystem::path& Folder() {
  static const std::filesystem::path folder = [] {
    auto p = std::filesystem::temp_directory_path() / ("tesvane_fuzz_" + std::to_string(getpid()));
    std::filesystem::create_directories(p);
    // "Import selected" off, so the picker is asked only above 69 variables.
    std::ofstream(p / "Tesvane.ini") << "[General settings]\r\nImport selected=0\r\n";
    ExeFolder = p.string();
    return p;
  }();
  return folder;
}

inline std::string Write(const std::string& name, const uint8_t* data, size_t size) {
  const std::string path = (Folder() / name).string();
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  return path;
}

}  // namespace tesvane::fuzz
