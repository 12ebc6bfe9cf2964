// A file in use for the tests: a running program's own file cannot be
// opened for writing (ETXTBSY), which holds for root too.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace tesmira {

class BusyFile {
 public:
  explicit BusyFile(const std::filesystem::path& path) {
    std::filesystem::copy_file("/bin/sleep", path,
                               std::filesystem::copy_options::overwrite_existing);
    std::filesystem::permissions(path, std::filesystem::perms::owner_all);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::execl(path.c_str(), "sleep", "30", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    // Wait until the program runs from the file. Looking at the process
    // instead of opening the file for writing: an exec that meets the file
    // open for writing fails with ETXTBSY, so probing that way could keep
    // the program from ever starting.
    std::error_code ec;
    const std::filesystem::path target = std::filesystem::canonical(path, ec);
    const std::string exe = "/proc/" + std::to_string(pid_) + "/exe";
    for (int i = 0; i < 2000; ++i) {  // up to 20 s on a loaded machine
      if (std::filesystem::read_symlink(exe, ec) == target) break;
      ::usleep(10000);
    }
  }
  ~BusyFile() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

 private:
  pid_t pid_ = -1;
};

}  // namespace tesmira
