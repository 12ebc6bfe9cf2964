// The main window's private clipboard formats and context help, with the
// lists' editing commands, the Run menu's launchers, the Help documents and
// the two editor frames beside the lists.
#include "formula_frame.h"
#include "inplace_name_editor.h"
#include "list_editing.h"
#include "main_window.h"
#include "variable_frame.h"

namespace tesmira::wb {

void TFrmTesmiraMain::BuildHelpAndClipboard() {
  new TListEditing(*this);
  edInplace = new TInplaceNameEditor(*this);
  InstallVariableFrame(*this);
  InstallFormulaFrame(*this);
}

bool TFrmTesmiraMain::ClearPrivateClipboard() {
  auto* editing = findChild<TListEditing*>("ListEditing");
  return editing == nullptr || editing->ClearPrivateClipboard();
}

}  // namespace tesmira::wb
