// The programs' one way of saving a file: write it beside its target under a
// temporary name and rename it over the target when complete, so that a
// failure half-way leaves the previous file as it was.
#pragma once

#include <fstream>
#include <string>
#include <string_view>

namespace common {

class TReplacingFile {
 public:
  // Opens a temporary file beside target (check IsOpen).
  explicit TReplacingFile(const std::string& target);
  TReplacingFile(const TReplacingFile&) = delete;
  TReplacingFile& operator=(const TReplacingFile&) = delete;
  // Removes the temporary file unless Commit succeeded.
  ~TReplacingFile();

  bool IsOpen() const { return out_.is_open(); }
  std::ofstream& Stream() { return out_; }
  // Closes the temporary file and renames it over the target. False when a
  // write or the close failed (error empty) or the rename failed (error holds
  // the reason); the target is then untouched.
  bool Commit(std::string& error);

 private:
  std::string target_;
  std::string temp_;
  std::ofstream out_;
  bool committed_ = false;
};

// Saves content as the whole of target through a TReplacingFile. False when
// the file could not be written; error holds the reason when one is known.
bool ReplaceFileContent(const std::string& target, std::string_view content, std::string& error);

}  // namespace common
