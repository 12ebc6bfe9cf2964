#pragma once

#include <cstdint>

#include "ut/strings.h"

namespace ut {

// The system's message text for the calling thread's last error code (errno);
// empty when the system has no text for it.
String last_error_text();
// The path with the long-path marker "\\?\" in front, unless it already has it.
String long_path_name(const String& path);
// The name part of a path (after the last "\" or "/"), with or without its
// extension; paths of at most one character are returned unchanged.
String file_name(const String& path, bool keep_extension);
// The text after the last "." of the path; empty without a ".".
String file_extension(const String& path);

// A file opened for whole-file reads and writes; the handle is closed when the
// object is destroyed.
//   mode 0: read, must exist          mode 1: write, must exist
//   mode 2: write, created or emptied mode 3: read and write, must exist
// The sharing rules of the modes (others may read or write) are those of the
// host's file system: POSIX files are not locked against other processes.
class File {
 public:
  File(const String& name, int mode);
  ~File();
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  // The file's size in bytes.
  std::uint64_t Size();
  // Reads up to count bytes into the buffer in pieces of at most 131072 bytes
  // and returns the number of bytes delivered (less than count only at the end
  // of the file).
  std::uint64_t ReadBuf(void* buffer, std::uint64_t count);
  // Moves the read position to the byte offset from the start of the file.
  void Seek(std::uint64_t offset);

  const String& name() const { return name_; }
  int mode() const { return mode_; }

 private:
  String name_;
  int mode_;
  int handle_ = -1;
};

}  // namespace ut
