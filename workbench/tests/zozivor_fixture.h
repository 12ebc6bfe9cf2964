// A ZoziVor model in a fresh engine model, with a graph over it and helpers
// that press, drag and read the model's constants.
#pragma once

#include <string>
#include <vector>

#include "model_fixture.h"
#include "model_helpers.h"
#include "zozivor_graph.h"

namespace tesmira::wb::test {

inline TExtendedRandomVariable* AddConstant(const std::string& name, double value) {
  TExtendedRandomVariable rv;
  std::memset(&rv, 0, sizeof rv);
  SetShortString(rv.distribution.name, name);
  rv.distribution.distType = DistConstant;
  rv.distribution.u.params[0] = value;
  return Create_TSMObject(ObjRandomVariable, &rv) > 0
             ? Fetch_extended_random_variable(0, name.c_str())
             : nullptr;
}

class ZoziVorTest : public ModelTest {
 protected:
  void SetUp() override {
    ModelTest::SetUp();
    SetHeaderModelType(3);
  }
  void TearDown() override {
    graph.Clear();
    ModelTest::TearDown();
  }

  static double Value(const std::string& name) {
    TExtendedRandomVariable* rv = Fetch_extended_random_variable(0, name.c_str());
    return rv && rv->distribution.distType == DistConstant ? rv->distribution.u.params[0] : -999;
  }

  // Mouse actions at graph coordinates.
  TGraphPoint Client(TGraphPoint g) const { return {g.X - graph.Origin.X, g.Y - graph.Origin.Y}; }
  void Click(TGraphPoint g) {
    graph.MouseDown(Client(g), TMouseButton::Left);
    graph.MouseUp(Client(g), TMouseButton::Left);
  }
  void Drag(TGraphPoint from, TGraphPoint to) {
    graph.MouseDown(Client(from), TMouseButton::Left);
    graph.MouseMove(Client(to));
    graph.MouseUp(Client(to), TMouseButton::Left);
  }
  // Places a node by a click in the add mode of its kind (1 supply, 2 demand, 3 Dx).
  TGraphNode* PlaceNode(int mode, TGraphPoint at) {
    graph.SetEditMode(mode);
    Click(at);
    return graph.NodeAt(graph.SelectedIndex);
  }
  std::vector<std::string> NodeNames() const {
    std::vector<std::string> names;
    for (const auto& e : graph.Elements)
      if (e->IsNode()) names.push_back(static_cast<const TGraphNode*>(e.get())->NodeName());
    return names;
  }
  int ArcCount() const { return static_cast<int>(graph.Elements.size()) - graph.NodeCount(); }
  TGraphNode* Node(int number) const { return graph.FindNode(number, false); }

  TGraph graph{wb};
};

}  // namespace tesmira::wb::test
