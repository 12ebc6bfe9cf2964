// Building a model through the engine's exported C interface, as any
// program that loads libtesmira.so would.
#pragma once

#include <cstring>
#include <filesystem>
#include <string>

#include "tesmira/distributions.h"
#include "tesmira/model.h"
#include "tesmira/records.h"
#include "tesmira/structures.h"

namespace example {

// The output folder: the first argument or "demo-output", created, absolute.
inline std::filesystem::path OutputFolder(int argc, char** argv) {
  std::filesystem::path dir = argc > 1 ? argv[1] : "demo-output";
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  return std::filesystem::absolute(dir);
}

inline void SetName(unsigned char* s, std::size_t capacity, const std::string& text) {
  std::size_t n = text.size() < capacity ? text.size() : capacity;
  std::memset(s, 0, capacity + 1);
  s[0] = static_cast<unsigned char>(n);
  std::memcpy(s + 1, text.data(), n);
}

// Adds a variable of a parametric type (1..10) with parameters P1..P4.
inline TExtendedRandomVariable* AddVariable(const std::string& name, int type, double p1,
                                            double p2 = 0, double p3 = 0, double p4 = 0) {
  TExtendedRandomVariable rv;
  std::memset(&rv, 0, sizeof rv);
  Ran_var_init(&rv);
  SetName(rv.distribution.name, MaxNameLength, name);
  rv.distribution.distType = static_cast<uint8_t>(type);
  rv.representation = 1;
  Process_extended_random_variable(&rv, SetDistributionDefaultsOp);
  double p[4] = {p1, p2, p3, p4};
  std::memcpy(rv.distribution.u.params, p, sizeof p);
  TExtendedRandomVariable* out = nullptr;
  int32_t size = 0;
  return Create_extended_random_variable(&rv, &out, &size) > 0 ? out : nullptr;
}

inline TUdf* AddFormula(const std::string& name, const std::string& text) {
  TUdf f;
  std::memset(&f, 0, sizeof f);
  SetName(f.name, MaxNameLength, name);
  SetName(f.text, 255, text);
  TUdf* out = nullptr;
  int32_t size = 0;
  return Create_UDF(&f, &out, &size) > 0 ? out : nullptr;
}

// The dependence node of a variable, created when it does not exist yet.
inline void* Node(const std::string& name) {
  if (void* n = Fetch_dep_node(0, name.c_str())) return n;
  TDepNodeV2* record = NewDepNodeV2();
  SetName(record->varName, MaxNameLength, name);
  void* out = nullptr;
  int32_t size = 0;
  Create_dep_node(record, &out, &size);
  Free_record(record);
  return out;
}

// Links child below parent with a rank correlation and a copula type.
inline bool Link(const std::string& parent, const std::string& child, double rank, int copula) {
  void* p = Node(parent);
  void* c = Node(child);
  if (!p || !c) return false;
  void* target = p;
  int32_t position = 0;
  if (!Process_dep_node(c, &target, &position, DepNodeAttach)) return false;
  Set_node_correlation_with_parent(c, static_cast<float>(rank));
  return SetBivariateType(c, copula) == 1;
}

}  // namespace example
