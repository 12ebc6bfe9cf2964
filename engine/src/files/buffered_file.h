// A write-only file with one large buffer (no per-line flushing), and the
// engine's one way of replacing a file: write a temporary file beside it and
// rename that over it when complete, so that a failure half-way leaves the
// previous file as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tesmira {

// A file being written in place of a target: fd is open on the temporary
// file temp, which replaces target when complete. temp is empty when the
// target is written in place (a device or pipe).
struct BesideFile {
  int fd = -1;
  std::string temp;
  std::string target;
};

// A new temporary file in the folder of target, with target's permissions
// (or those of a new file); through a symbolic link, beside the file it
// names. fd is -1 with errno set on failure, also when target exists but
// cannot be opened for writing (write-protected or busy).
BesideFile OpenBeside(const std::string& target);
// Renames the temporary file over its target when ok (its descriptor closed
// already), removes it otherwise or when the rename fails; true when the
// target now holds the new file.
bool FinishBeside(const BesideFile& f, bool ok);

class BufferedFile {
 public:
  BufferedFile() = default;
  ~BufferedFile();
  BufferedFile(const BufferedFile&) = delete;
  BufferedFile& operator=(const BufferedFile&) = delete;

  // Creates (replaces) the file; 0 or the errno of the failure.
  int Create(const std::string& path);
  // Writes a temporary file beside path that Close renames over path (when
  // every write succeeded); destroyed without Close, the temporary file is
  // removed and path is untouched. 0 or the errno (EACCES for a
  // write-protected path, which the rename would otherwise replace).
  int Replace(const std::string& path);
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
  // Flushes and closes (and renames after Replace); false when any write, the
  // close or the rename failed.
  bool Close();
  bool Failed() const { return failed_; }
  // Bytes written so far (buffered ones included).
  int64_t Size() const { return flushed_ + static_cast<int64_t>(used_); }

 private:
  // Readies the buffer once fd_ is open at the given size; 0 or the errno.
  int Started(int64_t size);

  int fd_ = -1;
  std::vector<char> buffer_;
  std::size_t used_ = 0;
  int64_t flushed_ = 0;
  bool failed_ = false;
  BesideFile beside_;  // after Replace: the temporary file and its target
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
