// Starting the suite's display and sensitivity programs beside the running
// workbench, and opening its help documents, behind a small interface that
// the window fills with QProcess and the desktop services and tests answer.
#pragma once

#include <string>
#include <vector>

namespace tesmira::wb {

class IPrompt;

class IProgramStarter {
 public:
  virtual ~IProgramStarter() = default;
  // Starts program (a full path) detached with the arguments; false when it
  // could not be started.
  virtual bool StartProgram(const std::string& program, const std::vector<std::string>& args) = 0;
  // Opens a file or URL with the application the desktop associates with it.
  virtual bool OpenDocument(const std::string& path) = 0;
  // The full path of an executable found on the PATH, empty when none.
  virtual std::string FindExecutable(const std::string& name) = 0;
};

// The sample file of the current model or output file: its folder, its name
// without the last extension and ".sam" (found whatever the case of the
// extension: the engine names it ".SAM"), when that file exists; else empty.
std::string CurrentSampleFile(const std::string& currentFile);

// The launchers start a sibling program from programFolder (ending in "/")
// and never hand the user's data file to the desktop: a missing program is
// reported by its message. argument: a sample file path or empty.
bool LaunchDisplayProgram(IPrompt& prompt, IProgramStarter& starter,
                          const std::string& programFolder, const std::string& argument);
// Passes the argument with its extension replaced by ".sae" (the file
// beside it in whatever case it was written).
bool LaunchSensitivityProgram(IPrompt& prompt, IProgramStarter& starter,
                              const std::string& programFolder, const std::string& argument);
// Runs the script "probinv_transient.vbs" of programFolder with the script
// host "wscript" (looked for on the PATH and in programFolder) and three
// arguments: the script, the ".sae" file and the program folder. Without a
// script host the script itself is opened; the message names what is missing.
bool LaunchProbabilisticInversion(IPrompt& prompt, IProgramStarter& starter,
                                  const std::string& programFolder, const std::string& saeFile);
inline constexpr const char* kProbInversionScript = "probinv_transient.vbs";

// Opens document (a file name in programFolder, optionally with "#anchor"),
// or the alternative when that fails; the error names the document.
bool LoadHelpDocument(IPrompt& prompt, IProgramStarter& starter, const std::string& programFolder,
                      const std::string& document, const std::string& alternative = "");

// The help document of the workbench and the anchor of a context id.
inline constexpr const char* kHelpDocument = "TesmiraHelp.html";
inline constexpr const char* kTutorialDocument = "TesmiraTutorial.pdf";
// 10 variables panel, 20 formulas, 30 dependence, 40 ZoziVor, 1 otherwise.
std::string ContextHelpTopic(int contextId);

}  // namespace tesmira::wb
