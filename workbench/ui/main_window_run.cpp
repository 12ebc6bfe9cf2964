// The main window's Run and Report menus.
#include "main_window.h"

namespace tesmira::wb {

void TFrmTesmiraMain::BuildRunAndReport() {}
void TFrmTesmiraMain::RunReportMenuClick() {}
void TFrmTesmiraMain::OpenOutputFile() {}
void TFrmTesmiraMain::SimulateSampleFile() {}

}  // namespace tesmira::wb
