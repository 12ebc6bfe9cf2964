#include "replacing_file.h"

#include <filesystem>
#include <system_error>

namespace common {

TReplacingFile::TReplacingFile(const std::string& target)
    : target_(target), temp_(target + ".~tmp"), out_(temp_, std::ios::binary | std::ios::trunc) {}

TReplacingFile::~TReplacingFile() {
  if (committed_) return;
  if (out_.is_open()) out_.close();
  std::error_code ec;
  std::filesystem::remove(temp_, ec);
}

bool TReplacingFile::Commit(std::string& error) {
  out_.close();
  if (!out_) {
    error.clear();
    return false;
  }
  std::error_code ec;
  std::filesystem::rename(temp_, target_, ec);
  if (ec) {
    error = ec.message();
    return false;
  }
  committed_ = true;
  return true;
}

bool ReplaceFileContent(const std::string& target, std::string_view content, std::string& error) {
  TReplacingFile file(target);
  if (!file.IsOpen()) {
    error.clear();
    return false;
  }
  file.Stream().write(content.data(), static_cast<std::streamsize>(content.size()));
  return file.Commit(error);
}

}  // namespace common
