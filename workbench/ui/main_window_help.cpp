// The main window's private clipboard formats and context help.
#include "main_window.h"

namespace tesmira::wb {

void TFrmTesmiraMain::BuildHelpAndClipboard() {}
bool TFrmTesmiraMain::ClearPrivateClipboard() { return true; }

}  // namespace tesmira::wb
