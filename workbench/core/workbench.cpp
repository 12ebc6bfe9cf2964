#include "workbench.h"

#include "cp437.h"
#include "tesmira/model_files.h"

namespace tesmira::wb {

namespace {

IPrompt* overflowPrompt = nullptr;

void ShowOverflow(const char* text) {
  if (overflowPrompt) overflowPrompt->Show(TMessageKind::Warning, Cp437ToUtf8(text ? text : ""));
}

}  // namespace

void InstallOverflowWarning(TWorkbench& wb) {
  overflowPrompt = &wb.Prompt();
  SetRanvarOverflowHandler(ShowOverflow);
}

void RemoveOverflowWarning() {
  SetRanvarOverflowHandler(nullptr);
  overflowPrompt = nullptr;
}

}  // namespace tesmira::wb
