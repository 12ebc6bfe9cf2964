// The main window's private clipboard formats and context help, with the
// lists' editing commands, the Run menu's launchers and the Help documents.
#include "list_editing.h"
#include "main_window.h"

namespace tesmira::wb {

void TFrmTesmiraMain::BuildHelpAndClipboard() { new TListEditing(*this); }

bool TFrmTesmiraMain::ClearPrivateClipboard() {
  auto* editing = findChild<TListEditing*>("ListEditing");
  return editing == nullptr || editing->ClearPrivateClipboard();
}

}  // namespace tesmira::wb
