#include "launchers.h"

#include "services.h"
#include "utilities.h"

namespace tesmira::wb {

std::string CurrentSampleFile(const std::string& currentFile) {
  if (currentFile.empty()) return "";
  return FindDerivedFile(ChangeFileExt(currentFile, ".sam"));
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
  prompt.Show(TMessageKind::Error,
              "Display program was not found. Please move tesplore to\r\n" + programFolder +
                  " folder\r\n" + "or make association of *.sam files with other application.");
  return false;
}

bool LaunchSensitivityProgram(IPrompt& prompt, IProgramStarter& starter,
                              const std::string& programFolder, const std::string& argument) {
  std::string sae;
  if (!argument.empty()) {
    sae = ChangeFileExt(argument, ".sae");
    if (std::string found = FindDerivedFile(sae); !found.empty()) sae = found;
  }
  if (starter.StartProgram(programFolder + "tesvane", Arguments(sae))) return true;
  prompt.Show(TMessageKind::Error,
              "Sensitivity Analysis program was not found. Please move tesvane to\r\n" +
                  programFolder + " folder\r\n");
  return false;
}

bool LaunchProbabilisticInversion(IPrompt& prompt, IProgramStarter& starter,
                                  const std::string& programFolder, const std::string& saeFile) {
  const std::string script = programFolder + kProbInversionScript;
  if (FileExists(script)) {
    std::string host = starter.FindExecutable("wscript");
    if (host.empty() && FileExists(programFolder + "wscript")) host = programFolder + "wscript";
    if (!host.empty() && starter.StartProgram(host, {script, saeFile, programFolder})) return true;
    if (starter.OpenDocument(script)) return true;
  }
  prompt.Show(TMessageKind::Error,
              "Probabilistic Inversion program was not found. Please move probinv_transient.vbs "
              "and ProbabilisticInversion.xls to\r\n" +
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
