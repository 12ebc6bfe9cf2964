// Hand-over to the belief-net program: the ".RVINFO" description of the
// random variables beside the run's binary sample file ".TPS", and the start
// of the program, which the workbench waits for with its windows hidden.
#include "files/belief_net.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "files/buffered_file.h"
#include "model/export_guard.h"
#include "model/file_names.h"
#include "model/short_string.h"
#include "model/store.h"
#include "tesmira/files.h"
#include "tesmira/model_files.h"

extern char** environ;

namespace tesmira {
namespace {

TPellianWindowHooks g_hooks{};
int32_t g_appearMs = 20000;
int32_t g_pollMs = 250;
int32_t g_watchMs = 100;

// A description as one INI value: every line break (CR LF, lone CR or lone
// LF) becomes "<#BR#>".
std::string OneLine(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\r' || c == '\n') {
      out += "<#BR#>";
      if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      out += c;
    }
  }
  return out;
}

void Wait(int32_t ms) {
  if (g_hooks.wait)
    g_hooks.wait(ms);
  else
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool Alive(pid_t pid) {
  int status = 0;
  pid_t r = ::waitpid(pid, &status, WNOHANG);
  return r == 0;
}

}  // namespace

std::string ChangeFileExtensionText(std::string_view name, std::string_view ext, bool& ok) {
  std::size_t slash = name.find_last_of("/\\");
  std::string_view folder =
      slash == std::string_view::npos ? std::string_view() : name.substr(0, slash + 1);
  std::string_view file = slash == std::string_view::npos ? name : name.substr(slash + 1);
  std::size_t dot = file.rfind('.');
  ok = !file.empty() && dot != 0;
  if (!ok) return {};
  std::string_view base = dot == std::string_view::npos ? file : file.substr(0, dot);
  return std::string(folder) + std::string(base) + "." + std::string(ext);
}

std::string HandOverSampleFile() {
  TModelRecord* m = Model();
  if (!m) return {};
  std::string name;
  DerivedFileNameText(BaseNameOf(ShortStringView(m->fileName)), FileKindSampleStore, name);
  return name;
}

std::string RvInfoFileName() {
  bool ok = false;
  std::string name = ChangeFileExtensionText(HandOverSampleFile(), "RVINFO", ok);
  return ok ? name : std::string();
}

std::string RvInfoText() {
  TModelRecord* m = Model();
  if (!m) return {};
  const int count = std::min<int>(m->varCount, MaxVariables);
  std::string out = "[General]\r\nNumberOfRandomVariables=" + std::to_string(count) + "\r\n";
  for (int i = 1; i <= count; ++i) {
    const TExtendedRandomVariable* rv = m->vars[i];
    if (!rv) continue;
    out += "\r\n[RandomVariable" + std::to_string(i) + "]\r\n";
    out += "Name=" + std::string(ShortStringView(rv->distribution.name)) + "\r\n";
    out += "Description=" + OneLine(ShortStringView(rv->description)) + "\r\n";
    out += std::string("Type=") + (rv->distribution.distType == DistDiscrete ? "1" : "0") + "\r\n";
  }
  return out;
}

std::vector<std::string> PellianArguments(const std::string& program,
                                          const std::string& existingFile, bool useExisting,
                                          int32_t left, int32_t top, int32_t right,
                                          int32_t bottom) {
  std::vector<std::string> args = {program,
                                   RvInfoFileName(),
                                   HandOverSampleFile(),
                                   std::to_string(left),
                                   std::to_string(top),
                                   std::to_string(right - left),
                                   std::to_string(bottom - top)};
  if (useExisting) {
    args.push_back("-existingbbn");
    args.push_back(existingFile);
  }
  return args;
}

void SetPellianTimes(int32_t appearMs, int32_t pollMs, int32_t watchMs) {
  g_appearMs = appearMs;
  g_pollMs = pollMs;
  g_watchMs = watchMs;
}

}  // namespace tesmira

using namespace tesmira;

extern "C" {

TESMIRA_API bool ChangeFileExtension(const char* fileName, const char* extension, char* out) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    bool ok = false;
    std::string name =
        ChangeFileExtensionText(fileName ? fileName : "", extension ? extension : "", ok);
    if (out) CopyOut(out, name);
    return ok;
  });
}

TESMIRA_API bool WriteRvInfoFile(void) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    std::string name = RvInfoFileName();
    if (name.empty()) return false;
    std::remove(name.c_str());
    std::string text = RvInfoText();
    BufferedFile f;
    if (f.Replace(name) != 0) return false;
    f.Write(text.data(), text.size());
    return f.Close();
  });
}

TESMIRA_API void SetPellianWindowHooks(const TPellianWindowHooks* hooks) {
  tesmira::GuardedVoid([&] { g_hooks = hooks ? *hooks : TPellianWindowHooks{}; });
}

TESMIRA_API bool LaunchPellian(const char* programFolder, const char* existingFile,
                               bool useExisting) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    std::string folder = programFolder ? programFolder : "";
    if (!folder.empty() && folder.back() != '/') folder += '/';
    const std::string program = folder + "Pellian/Pellian";
    if (::access(program.c_str(), X_OK) != 0) return false;
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    if (g_hooks.getMainRect) g_hooks.getMainRect(&left, &top, &right, &bottom);
    std::vector<std::string> args = PellianArguments(program, existingFile ? existingFile : "",
                                                     useExisting, left, top, right, bottom);
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
      return false;

    // Wait for the program's window.
    int32_t rect[4] = {0, 0, 0, 0};
    bool rectKnown = false;
    auto shown = [&] {
      if (!g_hooks.programWindow) return true;
      if (!g_hooks.programWindow(static_cast<int32_t>(pid), &rect[0], &rect[1], &rect[2], &rect[3]))
        return false;
      rectKnown = true;
      return true;
    };
    const auto start = std::chrono::steady_clock::now();
    bool running = Alive(pid);
    bool up = running && shown();
    while (!up && running) {
      auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
          std::chrono::steady_clock::now() - start);
      if (elapsed.count() >= g_appearMs) break;
      Wait(g_pollMs);
      running = Alive(pid);
      up = running && shown();
    }
    if (!up) {
      if (g_hooks.showWindows) g_hooks.showWindows(true);
      return false;
    }
    // Watch it until it ends.
    if (g_hooks.showWindows) g_hooks.showWindows(false);
    while (Alive(pid)) {
      shown();
      Wait(g_watchMs);
    }
    if (rectKnown && g_hooks.moveMainWindow)
      g_hooks.moveMainWindow(rect[0], rect[1], rect[2] - rect[0], rect[3] - rect[1]);
    if (g_hooks.showWindows) g_hooks.showWindows(true);
    return true;
  });
}

}  // extern "C"
