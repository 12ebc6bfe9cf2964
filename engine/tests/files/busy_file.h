// A file in use for the tests: a running program's own file cannot be
// opened for writing (ETXTBSY), which holds for root too.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

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
    // Wait until the program runs from the file.
    for (int i = 0; i < 1000; ++i) {  // up to 10 s on a loaded machine
      std::FILE* f = std::fopen(path.c_str(), "r+b");
      if (!f) break;
      std::fclose(f);
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
