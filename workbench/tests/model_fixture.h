// A fresh engine model in a folder of its own, a workbench over scripted
// services, and helpers that build objects through the object directory.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fakes.h"
#include "model/short_string.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"

namespace tesmira::wb::test {

class ModelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // The process id keeps apart the same case run from two build trees at once.
    dir_ = std::filesystem::temp_directory_path() /
           ("wbcore_" + std::string(info->test_suite_name()) + "_" + info->name() + "_" +
            std::to_string(getpid()));
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
    ASSERT_TRUE(Init_data());
    InstallOverflowWarning(f.wb);
    // The lists show the model's objects.
    f.ui.countLists = [](TObjectList l) {
      return Get_TSMObjectsNumber(l == TObjectList::Variables ? ObjRandomVariable : ObjFormula);
    };
  }
  void TearDown() override {
    RemoveOverflowWarning();
    End_data();
    std::filesystem::permissions(dir_, std::filesystem::perms::owner_all);
    std::filesystem::remove_all(dir_);
  }

  std::string Path(const std::string& name) const { return (dir_ / name).generic_string(); }
  static void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
  }

  static TExtendedRandomVariable Normal(const std::string& name, double mean = 0, double sd = 1) {
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    SetShortString(rv.distribution.name, name);
    rv.distribution.distType = DistNormal;
    rv.distribution.u.params[0] = mean;
    rv.distribution.u.params[1] = sd;
    return rv;
  }
  static TExtendedRandomVariable* AddVariable(const std::string& name, double mean = 0) {
    TExtendedRandomVariable rv = Normal(name, mean);
    return Create_TSMObject(ObjRandomVariable, &rv) > 0
               ? Fetch_extended_random_variable(0, name.c_str())
               : nullptr;
  }
  static TUdf* AddFormula(const std::string& name, const std::string& text) {
    TUdf u;
    std::memset(&u, 0, sizeof u);
    SetShortString(u.name, name);
    SetShortString(u.text, text);
    if (Create_TSMObject(ObjFormula, &u) <= 0) return nullptr;
    return static_cast<TUdf*>(Get_TSMObject(Get_TSMObjectsNumber(ObjFormula), ObjFormula));
  }
  // A dependence node of that name (a latent node when no variable has it).
  static void* AddNode(const std::string& name) {
    TDepNodeV2* record = NewDepNodeV2();
    SetShortString(record->varName, name);
    Create_TSMObject(ObjDependenceNode, record);
    Free_record(record);
    return Fetch_dep_node(0, name.c_str());
  }
  static void SyncNodes() { Update_TSMObjects(ObjDependenceNode); }
  static void* Node(const char* name) { return Fetch_dep_node(0, name); }
  static bool Attach(const char* child, const char* parent) {
    void* p = Node(parent);
    return Process_dep_node(Node(child), &p, nullptr, DepNodeAttach);
  }
  static std::string ParentOf(const char* child) {
    void* p = nullptr;
    if (!Process_dep_node(Node(child), &p, nullptr, DepNodeParent) || !p) return "";
    char name[256] = {};
    GetDepNodeName(p, name);
    return name;
  }
  // Names of the objects of a kind in list order.
  static std::vector<std::string> Names(int kind) {
    std::vector<std::string> v;
    for (int n = 1; n <= Get_TSMObjectsNumber(kind); ++n) {
      char name[256] = {};
      Get_TSMObjectName(kind, Get_TSMObject(n, kind), name);
      v.push_back(name);
    }
    return v;
  }
  static std::string FormulaText(const char* name) {
    TUdf* u = Fetch_UDF(0, name);
    return u ? std::string(ShortStringView(u->text)) : "<none>";
  }

  FakeWorkbench f;
  TWorkbench& wb = f.wb;
  std::filesystem::path dir_;
};

}  // namespace tesmira::wb::test
