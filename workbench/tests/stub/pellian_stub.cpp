// Stands in for the belief-net program in the workbench's tests: writes its
// arguments, one a line, to "<its own path>.args", then stays up for
// TESMIRA_STUB_MS milliseconds (default 1000) as a program with a window does.
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

int main(int argc, char** argv) {
  {
    std::ofstream out(std::string(argv[0]) + ".args");
    for (int i = 1; i < argc; ++i) out << argv[i] << '\n';
  }
  const char* ms = std::getenv("TESMIRA_STUB_MS");
  std::this_thread::sleep_for(std::chrono::milliseconds(ms ? std::atoi(ms) : 1000));
  return 0;
}
