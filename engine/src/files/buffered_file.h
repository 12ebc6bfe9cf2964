// A write-only file with one large buffer (no per-line flushing).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tesmira {

class BufferedFile {
 public:
  BufferedFile() = default;
  ~BufferedFile();
  BufferedFile(const BufferedFile&) = delete;
  BufferedFile& operator=(const BufferedFile&) = delete;

  // Creates (replaces) the file; 0 or the errno of the failure.
  int Create(const std::string& path);
  // Opens an existing file for appending; 0 or the errno.
  int Append(const std::string& path);
  bool IsOpen() const { return fd_ >= 0; }
  // False once any write failed (the error is sticky).
  bool Write(const void* data, std::size_t size);
  // Room for n bytes at the end of the buffer; Commit(end) takes the bytes
  // written up to end.
  char* Reserve(std::size_t n);
  bool Commit(const char* end);
  bool Flush();
  // Flushes and closes; false when any write or the close failed.
  bool Close();
  bool Failed() const { return failed_; }
  // Bytes written so far (buffered ones included).
  int64_t Size() const { return flushed_ + static_cast<int64_t>(used_); }

 private:
  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  int64_t flushed_ = 0;
  bool failed_ = false;
};

// Overwrites bytes of an existing file at an offset; false on any failure.
bool OverwriteFileBytes(const std::string& path, int64_t offset, std::string_view bytes);
// Replaces the oldLength bytes at offset with other bytes by writing a
// temporary copy beside the file and renaming it over the file; the file
// stays unchanged on failure.
bool ReplaceFileBytes(const std::string& path, int64_t offset, std::size_t oldLength,
                      std::string_view bytes);

// The path of an existing file whose name matches path's file name without
// regard to case (the path itself when it exists); empty when there is none.
std::string FindFileNoCase(const std::string& path);

}  // namespace tesmira
