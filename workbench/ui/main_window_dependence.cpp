// The main window's dependence menu and panel.
#include "main_window.h"

namespace tesmira::wb {

void TFrmTesmiraMain::BuildDependence() {}
void TFrmTesmiraMain::UpdateDependenceView() {}
void TFrmTesmiraMain::SyncDependenceButtons(bool) {}
void TFrmTesmiraMain::UpdateMenuItems() {}
void TFrmTesmiraMain::LeaveDependencePanel() {}
void TFrmTesmiraMain::EnterDependencePanel() {}
void TFrmTesmiraMain::ResetDependenceAfterLoad(bool) {}

}  // namespace tesmira::wb
