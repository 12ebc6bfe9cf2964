// The main window's ZoziVor graph panel.
#include "main_window.h"
#include "zozivor_panel.h"

namespace tesmira::wb {

namespace {

TZoziVorPanel* GraphPanel(const TFrmTesmiraMain& window) {
  return qobject_cast<TZoziVorPanel*>(window.PanelPage(PanelZoziVor));
}

}  // namespace

void TFrmTesmiraMain::BuildZoziVor() {
  auto* panel = new TZoziVorPanel(*this);
  SetPanelPage(PanelZoziVor, panel);
  // Every model write leaves the layout beside a ZoziVor model.
  wb_.AfterSaveHook = [panel](const std::string& fileName) {
    return panel->Graph().SaveLayout(fileName);
  };
}

void TFrmTesmiraMain::UpdateGraph(unsigned mask) {
  if (TZoziVorPanel* panel = GraphPanel(*this)) panel->UpdateGraph(mask);
}

void TFrmTesmiraMain::EnterZoziVorPanel(bool fromOther) {
  if (TZoziVorPanel* panel = GraphPanel(*this); panel && fromOther)
    panel->UpdateGraph(ViewGraphRebuild);
}

void TFrmTesmiraMain::ResetGraphAfterLoad(bool loaded) {
  TZoziVorPanel* panel = GraphPanel(*this);
  if (panel == nullptr) return;
  TGraph& graph = panel->Graph();
  graph.Clear();
  if (loaded)
    graph.LoadLayout(wb_.CurrentFileName);
  else
    graph.UpdateScrollBars();
}

}  // namespace tesmira::wb
