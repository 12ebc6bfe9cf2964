#include "ut/file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

#include "ut/exception.h"

namespace ut {
namespace {

constexpr std::uint64_t kReadPiece = 0x20000;
const char kLongPathMarker[] = "\\\\?\\";

String quoted_name(const String& path) { return "\"" + file_name(path, true) + "\""; }

}  // namespace

String last_error_text() {
  int code = errno;
  if (code == 0) return String();
  return String(std::system_category().message(code));
}

String long_path_name(const String& path) {
  if (path.compare(0, 4, kLongPathMarker) == 0) return path;
  return String(kLongPathMarker) + path;
}

String file_name(const String& path, bool keep_extension) {
  if (path.size() <= 1) return path;
  std::size_t slash = path.find_last_of("\\/");
  String name = slash == std::string::npos ? path : String(path.substr(slash + 1));
  if (!keep_extension) {
    std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
  }
  return name;
}

String file_extension(const String& path) {
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos) return String();
  return String(path.substr(dot + 1));
}

File::File(const String& name, int mode) : name_(name), mode_(mode) {
  int flags;
  switch (mode) {
    case 0: flags = O_RDONLY; break;
    case 1: flags = O_WRONLY; break;
    case 2: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    case 3: flags = O_RDWR; break;
    default: return;
  }
  handle_ = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
  if (handle_ < 0) {
    throw Exception("Could not open file " + quoted_name(name) + " - " + last_error_text(),
                    "File::File");
  }
  if (mode == 0 || mode == 3) {
    // A folder opens for reading on POSIX but cannot be read as a file.
    struct stat st;
    if (::fstat(handle_, &st) == 0 && S_ISDIR(st.st_mode)) {
      ::close(handle_);
      handle_ = -1;
      errno = EISDIR;
      throw Exception("Could not open file " + quoted_name(name) + " - " + last_error_text(),
                      "File::File");
    }
  }
}

File::~File() {
  if (handle_ >= 0) ::close(handle_);
}

std::uint64_t File::Size() {
  struct stat st;
  if (handle_ < 0) errno = EBADF;
  if (handle_ < 0 || ::fstat(handle_, &st) != 0) {
    throw Exception("Could not read size of file " + quoted_name(name_) + " - " + last_error_text(),
                    "File::Size");
  }
  return static_cast<std::uint64_t>(st.st_size);
}

std::uint64_t File::ReadBuf(void* buffer, std::uint64_t count) {
  char* out = static_cast<char*>(buffer);
  std::uint64_t done = 0;
  while (done < count) {
    std::uint64_t piece = count - done < kReadPiece ? count - done : kReadPiece;
    ssize_t got;
    if (handle_ < 0) {
      errno = EBADF;
      got = -1;
    } else {
      do {
        got = ::read(handle_, out + done, static_cast<std::size_t>(piece));
      } while (got < 0 && errno == EINTR);
    }
    if (got < 0) {
      throw Exception("Error reading from file " + quoted_name(name_) + " - " + last_error_text(),
                      "File::ReadBuf");
    }
    if (got == 0) break;
    done += static_cast<std::uint64_t>(got);
  }
  return done;
}

void File::Seek(std::uint64_t offset) {
  if (handle_ < 0) errno = EBADF;
  if (handle_ < 0 || ::lseek(handle_, static_cast<off_t>(offset), SEEK_SET) < 0) {
    throw Exception("Error reading from file " + quoted_name(name_) + " - " + last_error_text(),
                    "File::Seek");
  }
}

}  // namespace ut
