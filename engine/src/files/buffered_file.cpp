#include "files/buffered_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace tesmira {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

}  // namespace

BesideFile OpenBeside(const std::string& target) {
  BesideFile f;
  struct stat st {};
  const bool exists = ::stat(target.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {  // a device or pipe is written as it is
    f.fd = ::open(target.c_str(), O_WRONLY | O_CLOEXEC);
    return f;
  }
  f.target = target;
  if (exists) {
    // A file that cannot be opened for writing (write-protected, or the
    // program of a running process) is not replaced either.
    const int probe = ::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (probe < 0) return f;
    ::close(probe);
    // Through a symbolic link the file it names is replaced, not the link.
    if (char* resolved = ::realpath(target.c_str(), nullptr)) {
      f.target = resolved;
      std::free(resolved);
    }
  }
  const std::string& real = f.target;
  const std::size_t slash = real.rfind('/');
  const std::string folder = slash == std::string::npos ? std::string() : real.substr(0, slash + 1);
  const std::string file = slash == std::string::npos ? real : real.substr(slash + 1);
  std::string pattern = folder + "." + file + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  f.fd = ::mkstemp(name.data());
  if (f.fd < 0) return f;
  mode_t mode;
  if (exists) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(f.fd, mode);
  f.temp = name.data();
  return f;
}

bool FinishBeside(const BesideFile& f, bool ok) {
  if (f.temp.empty()) return ok;  // written in place
  if (ok && std::rename(f.temp.c_str(), f.target.c_str()) == 0) return true;
  std::remove(f.temp.c_str());
  return false;
}

BufferedFile::~BufferedFile() {
  if (!beside_.temp.empty()) failed_ = true;  // not closed: the target stays as it was
  Close();
}

int BufferedFile::Started(int64_t size) {
  if (fd_ < 0) return errno ? errno : EIO;
  buffer_.resize(kBufferSize);
  used_ = 0;
  flushed_ = size;
  failed_ = false;
  return 0;
}

int BufferedFile::Create(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  return Started(0);
}

int BufferedFile::Replace(const std::string& path) {
  Close();
  beside_ = OpenBeside(path);
  fd_ = beside_.fd;
  return Started(0);
}

int BufferedFile::Append(const std::string& path) {
  Close();
  fd_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  struct stat st;
  return Started(fd_ >= 0 && ::fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : 0);
}

bool BufferedFile::Flush() {
  if (fd_ < 0) return false;
  if (used_ > 0 && !failed_) {
    if (!WriteAll(fd_, buffer_.data(), used_)) failed_ = true;
    flushed_ += static_cast<int64_t>(used_);
  }
  used_ = 0;
  return !failed_;
}

char* BufferedFile::Reserve(std::size_t n) {
  if (buffer_.size() - used_ < n) {
    Flush();
    if (buffer_.size() < n) buffer_.resize(n);
  }
  return buffer_.data() + used_;
}

bool BufferedFile::Commit(const char* end) {
  used_ = static_cast<std::size_t>(end - buffer_.data());
  if (buffer_.size() - used_ < 4096) Flush();
  return !failed_;
}

bool BufferedFile::Write(const void* data, std::size_t size) {
  if (fd_ < 0) return false;
  if (size == 0) return !failed_;
  if (size > buffer_.size() / 2) {
    Flush();
    if (!failed_ && !WriteAll(fd_, static_cast<const char*>(data), size)) failed_ = true;
    flushed_ += static_cast<int64_t>(size);
    return !failed_;
  }
  char* p = Reserve(size);
  std::memcpy(p, data, size);
  return Commit(p + size);
}

bool BufferedFile::Close() {
  if (fd_ < 0) return !failed_;
  Flush();
  if (::close(fd_) != 0) failed_ = true;
  fd_ = -1;
  if (!FinishBeside(beside_, !failed_)) failed_ = true;
  beside_ = {};
  buffer_.clear();
  buffer_.shrink_to_fit();
  return !failed_;
}

bool OverwriteFileBytes(const std::string& path, int64_t offset, std::string_view bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 &&
            offset + static_cast<int64_t>(bytes.size()) <= static_cast<int64_t>(st.st_size) &&
            ::pwrite(fd, bytes.data(), bytes.size(), offset) == static_cast<ssize_t>(bytes.size());
  if (::close(fd) != 0) ok = false;
  return ok;
}

bool ReplaceFileBytes(const std::string& path, int64_t offset, std::size_t oldLength,
                      std::string_view bytes) {
  int in = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return false;
  struct stat st;
  if (::fstat(in, &st) != 0 || offset + static_cast<int64_t>(oldLength) > st.st_size) {
    ::close(in);
    return false;
  }
  const BesideFile beside = OpenBeside(path);
  const int out = beside.fd;
  if (out < 0) {
    ::close(in);
    return false;
  }
  std::vector<char> buf(1 << 20);
  bool ok = true;
  auto copy = [&](int64_t from, int64_t to) {
    while (ok && from < to) {
      std::size_t want = static_cast<std::size_t>(std::min<int64_t>(to - from, buf.size()));
      ssize_t n = ::pread(in, buf.data(), want, from);
      if (n <= 0 || !WriteAll(out, buf.data(), static_cast<std::size_t>(n))) {
        ok = false;
        break;
      }
      from += n;
    }
  };
  copy(0, offset);
  if (ok && !WriteAll(out, bytes.data(), bytes.size())) ok = false;
  copy(offset + static_cast<int64_t>(oldLength), st.st_size);
  ::close(in);
  if (::close(out) != 0) ok = false;
  return FinishBeside(beside, ok);
}

std::string FindFileNoCase(const std::string& path) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::is_regular_file(path, ec)) return path;
  fs::path p(path);
  fs::path dir = p.has_parent_path() ? p.parent_path() : fs::path(".");
  std::string want = p.filename().string();
  auto lower = [](std::string t) {
    for (char& c : t)
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    return t;
  };
  want = lower(want);
  fs::directory_iterator it(dir, ec), end;
  int guard = 0;
  for (; !ec && it != end && guard < 100000; it.increment(ec), ++guard) {
    if (lower(it->path().filename().string()) == want && it->is_regular_file(ec))
      return (p.has_parent_path() ? (dir / it->path().filename()) : it->path().filename()).string();
  }
  return {};
}

}  // namespace tesmira
