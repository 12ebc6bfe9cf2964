#include "launchers.h"

#include <filesystem>

#include "services.h"
#include "utilities.h"

namespace tesmira::wb {

std::string CurrentSampleFile(const std::string& currentFile) {
  if (currentFile.empty()) return "";
  const std::filesystem::path path(currentFile);
  const std::filesystem::path sample = path.parent_path() / (path.stem().string() + ".sam");
  const std::string name = sample.generic_string();
  return FileExists(name) ? name : "";
}

namespace {

std::vector<std::string> Arguments(const std::string& argument) {
  if (argument.empty()) return {};
  return {argument};
}

}  // namespace

bool LaunchDisplayProgram(IPrompt& prompt, IProgramStarter& starter,
                          const std::string& programFolder, const std::string& argument) {
  if (starter.StartProgram(programFolder + "tesplore", Arguments(argument))) return true;
  if (!argument.empty() && starter.OpenDocument(argument)) return true;
  prompt.Show(TMessageKind::Error,
              "Display program was not found. Please move tesplore to\r\n" + programFolder +
                  " folder\r\n" + "or make association of *.sam files with other application.");
  return false;
}

bool LaunchSensitivityProgram(IPrompt& prompt, IProgramStarter& starter,
                              const std::string& programFolder, const std::string& argument) {
  const std::string sae = argument.empty() ? std::string() : ChangeFileExt(argument, ".sae");
  if (starter.StartProgram(programFolder + "tesvane", Arguments(sae))) return true;
  if (!sae.empty() && starter.OpenDocument(sae)) return true;
  prompt.Show(TMessageKind::Error,
              "Sensitivity Analysis program was not found. Please move tesvane to\r\n" +
                  programFolder + " folder\r\n");
  return false;
}

bool LoadHelpDocument(IPrompt& prompt, IProgramStarter& starter, const std::string& programFolder,
                      const std::string& document, const std::string& alternative) {
  auto open = [&](const std::string& name) {
    const std::string file = name.substr(0, name.find('#'));
    return FileExists(programFolder + file) && starter.OpenDocument(programFolder + name);
  };
  if (open(document)) return true;
  if (!alternative.empty() && open(alternative)) return true;
  prompt.Show(TMessageKind::Error,
              document.substr(0, document.find('#')) +
                  " file was not found or no application is installed to open it");
  return false;
}

std::string ContextHelpTopic(int contextId) {
  return std::string(kHelpDocument) + "#context" + std::to_string(contextId);
}

}  // namespace tesmira::wb
