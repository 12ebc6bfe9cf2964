// The main window's ZoziVor graph panel.
#include "main_window.h"

namespace tesmira::wb {

void TFrmTesmiraMain::BuildZoziVor() {}
void TFrmTesmiraMain::UpdateGraph(unsigned) {}
void TFrmTesmiraMain::EnterZoziVorPanel(bool) {}
void TFrmTesmiraMain::ResetGraphAfterLoad(bool) {}

}  // namespace tesmira::wb
