// A model of n uniform variables with one dependence node each, built through
// the exported interface, for the matrix and vine tests.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "model/short_string.h"
#include "model_fixture.h"
#include "tesmira/model.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"

class VineModelTest : public FreshModelTest {
 protected:
  // Variables x1..xn and their nodes (node k belongs to variable k).
  void AddVariables(int n) {
    for (int k = 1; k <= n; ++k) {
      TExtendedRandomVariable* rv = Init_extended_random_variable();
      tesmira::SetShortString(rv->distribution.name, std::string("x").append(std::to_string(k)));
      rv->distribution.distType = DistUniform;
      rv->distribution.u.params[0] = 0.0;
      rv->distribution.u.params[1] = 1.0;
      int32_t size = 0;
      ASSERT_EQ(Create_extended_random_variable(rv, nullptr, &size), k);
      Free_record(rv);
    }
    ASSERT_EQ(Update_dep_structure(), n);
    ASSERT_EQ(GetNumberOfDepNodes(true), n);
  }

  // A star of n nodes of the given type under node 1, the current structure.
  void MakeStar(int n, int type) {
    AddVariables(n);
    SetDependenceType(nullptr, type);
    SetCurrentDependenceStructureRoot(GetNode(1), "");
    AddAllNodesToStructure();
  }

  // A correlation matrix of the given size with every cell empty.
  void MakeMatrix(int n) {
    MakeStar(n, 1);
    ASSERT_TRUE(CMatrix_Initialize());
  }

  void FillMatrix(const std::vector<std::vector<double>>& r) {
    for (std::size_t i = 0; i < r.size(); ++i)
      for (std::size_t j = i + 1; j < r.size(); ++j)
        ASSERT_TRUE(CMatrix_SetCell(GetNode(int(i) + 1), GetNode(int(j) + 1), r[i][j]));
  }

  static std::string LastError() {
    char text[256];
    Vine_RetrieveErrorMessage(text);
    return text;
  }

  static void* Node(int i) { return GetNode(i); }
};
