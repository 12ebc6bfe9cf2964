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
};

// The sample file of the current model or output file: its folder, its name
// without the last extension and ".sam", when that file exists; else empty.
std::string CurrentSampleFile(const std::string& currentFile);

// programFolder ends in "/". argument: a sample file path or empty.
bool LaunchDisplayProgram(IPrompt& prompt, IProgramStarter& starter,
                          const std::string& programFolder, const std::string& argument);
// Passes the argument with its extension replaced by ".sae".
bool LaunchSensitivityProgram(IPrompt& prompt, IProgramStarter& starter,
                              const std::string& programFolder, const std::string& argument);

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
