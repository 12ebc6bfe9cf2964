// A fresh model in a folder of its own, with helpers that build objects
// through the object directory and read files back as bytes.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "model/short_string.h"
#include "model_fixture.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"

class ModelFilesTest : public ModelFolderTest {
 protected:
  // The object directory is set up (and forgotten) with the model.
  void SetUp() override {
    ModelFolderTest::SetUp();
    ASSERT_TRUE(Init_data());
  }
  void TearDown() override {
    End_data();
    ModelFolderTest::TearDown();
  }

  template <typename T>
  static T At(const std::string& bytes, std::size_t offset) {
    T v{};
    std::memcpy(&v, bytes.data() + offset, sizeof v);
    return v;
  }
  template <typename T>
  static void Put(std::string& bytes, std::size_t offset, T v) {
    std::memcpy(bytes.data() + offset, &v, sizeof v);
  }

  // A Normal variable registered in the directory.
  static void* AddVariable(const std::string& name, double mean = 0.0, double sd = 1.0) {
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    tesmira::SetShortString(rv.distribution.name, name);
    rv.distribution.distType = DistNormal;
    rv.distribution.u.params[0] = mean;
    rv.distribution.u.params[1] = sd;
    int slot = Create_TSMObject(ObjRandomVariable, &rv);
    return slot > 0 ? Get_TSMObject(slot, 0) : nullptr;
  }
  static void* AddFormula(const std::string& name, const std::string& text) {
    TUdf f;
    std::memset(&f, 0, sizeof f);
    tesmira::SetShortString(f.name, name);
    tesmira::SetShortString(f.text, text);
    int slot = Create_TSMObject(ObjFormula, &f);
    return slot > 0 ? Get_TSMObject(slot, 0) : nullptr;
  }
  // Nodes for every variable, registered in the directory.
  static void SyncNodes() { Update_TSMObjects(ObjDependenceNode); }
  static bool Link(const char* parent, const char* child, double rank) {
    void* p = Fetch_dep_node(0, parent);
    void* c = Fetch_dep_node(0, child);
    if (!p || !c) return false;
    int32_t position = 0;
    if (!Process_dep_node(c, &p, &position, DepNodeAttach)) return false;
    return Set_node_correlation_with_parent(c, static_cast<float>(rank));
  }

  // Models of each structure kind.
  static void BuildTreeModel() {
    for (const char* n : {"a", "b", "c", "d"}) AddVariable(n);
    SyncNodes();
    ASSERT_TRUE(Link("a", "b", 0.5));
    ASSERT_TRUE(Link("a", "c", -0.25));
    ASSERT_TRUE(Link("c", "d", 0.75));
    AddFormula("sum", "a+b+c+d");
    AddFormula("", "a*b");
  }
  static void BuildStar(int type) {
    for (const char* n : {"x1", "x2", "x3", "x4"}) AddVariable(n);
    SyncNodes();
    SetDependenceType(nullptr, type);
    SetCurrentDependenceStructureRoot(GetNode(1), "");
    AddAllNodesToStructure();
    SyncNodes();
    AddFormula("out", "x1+x2*x3-x4");
  }
  static void BuildMatrixModel() {
    BuildStar(DepCorrelationMatrix);
    ASSERT_TRUE(CMatrix_Initialize());
    ASSERT_TRUE(CMatrix_SetCell(GetNode(1), GetNode(2), 0.3));
    ASSERT_TRUE(CMatrix_SetCell(GetNode(2), GetNode(4), -0.2));
  }
  static void BuildVineModel() {
    BuildStar(DepCanonicalVine);
    ASSERT_TRUE(Vine_InitVine());
    ASSERT_TRUE(Vine_SetCorrValue(GetNode(2), 1, 0.4));
    ASSERT_TRUE(Vine_SetCorrValue(GetNode(3), 1, -0.3));
  }
};
