// The main window's Run and Report menus, filled by the run commands.
#include "main_window.h"
#include "run_commands.h"

namespace tesmira::wb {

void TFrmTesmiraMain::BuildRunAndReport() { new TRunCommands(*this, wb_, settingsPath_); }

void TFrmTesmiraMain::RunReportMenuClick() {
  if (auto* run = findChild<TRunCommands*>()) run->MenuClick();
}

void TFrmTesmiraMain::ClearUserDefinedQuantiles() {
  if (auto* run = findChild<TRunCommands*>()) run->ClearUserDefinedQuantiles();
}

void TFrmTesmiraMain::OpenOutputFile() {
  if (auto* run = findChild<TRunCommands*>()) run->ReportGenerateClick();
}

void TFrmTesmiraMain::SimulateSampleFile() {
  if (auto* run = findChild<TRunCommands*>()) run->SimulateClick();
}

}  // namespace tesmira::wb
