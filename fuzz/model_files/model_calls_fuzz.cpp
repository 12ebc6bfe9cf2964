// Sequences of calls into the exported model interface on an opened model.
// A small model (four variables, two formulas, a dependence tree) is written
// once; every input opens it and is read as a list of calls: one byte picks
// the call, the bytes after it its indexes, names, distribution types and
// parameters. Names come from a small alphabet so that they meet the model's.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "model_builder.h"
#include "tesmira/distributions.h"
#include "tesmira/files.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"

namespace {

class TCalls {
 public:
  TCalls(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool More() const { return pos_ < size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  int32_t Small() { return static_cast<int32_t>(static_cast<int8_t>(Byte())); }
  double Number() {
    double v = 0;
    uint8_t b[sizeof v] = {};
    for (auto& x : b) x = Byte();
    std::memcpy(&v, b, sizeof v);
    return v;
  }
  std::string Name() {
    static const char kLetters[] = "abcfgxyz_01 A";
    const int length = Byte() % 6;
    std::string s;
    for (int k = 0; k < length; ++k) s += kLetters[Byte() % (sizeof kLetters - 1)];
    return s;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

std::string ModelFile() {
  std::string dir = "/tmp/tesmira_fuzz_calls_" + std::to_string(::getpid());
  ::mkdir(dir.c_str(), 0700);
  const std::string path = dir + "/m.tsm";
  Init_data();
  SetModelFileName(path.c_str());
  example::AddVariable("a", DistNormal, 0, 1);
  example::AddVariable("b", DistUniform, 0, 1);
  example::AddVariable("c", DistExponential, 1);
  example::AddVariable("x", DistNormal, 2, 3);
  example::AddFormula("f", "a+b*c");
  example::AddFormula("g", "f/x");
  example::Link("a", "b", 0.5, CopulaNormal);
  example::Link("a", "c", -0.3, CopulaNormal);
  // The objects enter the file's directory as the demo registers them.
  for (int k = 1; k <= GetNumberOfRandomVariables(); ++k)
    Create_TSMObject(ObjRandomVariable, GetRanVar(k));
  for (int k = 0; k < GetNumberOfFormulas(); ++k) Create_TSMObject(ObjFormula, GetUDF(k));
  Update_TSMObjects(ObjDependenceNode);
  WriteTSMFile(path.c_str());
  End_data();
  return path;
}

void Call(TCalls& in) {
  switch (in.Byte() % 20) {
    case 0: (void)Variable_exists(in.Name().c_str()); break;
    case 1: (void)UDF_exists(in.Name().c_str()); break;
    case 2: (void)Node_exists(in.Name().c_str()); break;
    case 3: {
      int32_t kind = in.Small();
      (void)Object_exists(in.Name().c_str(), &kind);
      break;
    }
    case 4: {
      const int32_t index = in.Small();
      (void)Fetch_extended_random_variable(index, in.Name().c_str());
      break;
    }
    case 5: {
      const int32_t index = in.Small();
      (void)Fetch_UDF(index, in.Name().c_str());
      break;
    }
    case 6:
      (void)GetRanVar(in.Small());
      (void)GetNode(in.Small());
      (void)GetUDF(in.Small());
      break;
    case 7: {
      const std::string name = in.Name();
      const int type = in.Byte() % 12;
      example::AddVariable(name, type, in.Number(), in.Number(), in.Number(), in.Number());
      break;
    }
    case 8: {
      const TExtendedRandomVariable* rv = GetRanVar(in.Small());
      if (!rv) break;
      TExtendedRandomVariable copy = *rv;
      copy.distribution.distType = static_cast<uint8_t>(in.Byte() % 12);
      copy.distribution.u.params[in.Byte() % 4] = in.Number();
      TExtendedRandomVariable* out = nullptr;
      const std::string name = in.Name();
      (void)Update_extended_random_variable(&copy, &out, name.empty() ? nullptr : name.c_str(),
                                            in.Byte() & 1);
      break;
    }
    case 9:
      if (TExtendedRandomVariable* rv = GetRanVar(in.Small()))
        (void)Delete_extended_random_variable(rv, in.Byte() & 1);
      break;
    case 10: {
      const std::string name = in.Name();
      const std::string text = in.Name() + "+" + in.Name();
      example::AddFormula(name, text);
      break;
    }
    case 11: {
      const TUdf* f = GetUDF(in.Small());
      if (!f) break;
      TUdf copy = *f;
      example::SetName(copy.text, 255, in.Name() + "*" + in.Name());
      TUdf* out = nullptr;
      const std::string name = in.Name();
      (void)Update_UDF(&copy, &out, name.empty() ? nullptr : name.c_str());
      break;
    }
    case 12:
      if (TUdf* f = GetUDF(in.Small())) (void)Delete_UDF(f);
      break;
    case 13: {
      const std::string parent = in.Name();
      const std::string child = in.Name();
      if (Variable_exists(parent.c_str()) > 0 && Variable_exists(child.c_str()) > 0)
        example::Link(parent, child, static_cast<double>(in.Small()) / 128.0, in.Byte() % 8);
      break;
    }
    case 14: {
      const int32_t i = in.Small(), j = in.Small();
      (void)Swap_TSMObjects(i, j, in.Small());
      break;
    }
    case 15: {
      const int32_t n = in.Small(), kind = in.Small();
      (void)Mark_TSMObjectSelected(n, kind, in.Byte() & 1);
      break;
    }
    case 16: {
      const int32_t n = in.Small(), kind = in.Small();
      if (void* object = Get_TSMObject(n, kind)) {
        char name[256] = {};
        Get_TSMObjectName(kind, object, name);
        (void)Get_TSMObjectIndex(object, kind);
        (void)Fetch_TSMObject(object);
      }
      break;
    }
    case 17:
      (void)ScanDuplicateNames();
      (void)Update_TSMObjects(in.Small());
      break;
    case 18:
      (void)GetNumberOfRandomVariables();
      (void)GetNumberOfFormulas();
      (void)GetNumberOfDepNodes(in.Byte() & 1);
      (void)Get_TSMObjectsNumber(in.Small());
      (void)Get_TSMObjectEntry(in.Small());
      break;
    case 19: (void)IsSelectedTSMObject(in.Small(), in.Small()); break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string model = ModelFile();
  Init_data();
  if (LoadTSMFile(model.c_str(), TsmOpen) > 0) {
    TCalls in(data, size);
    for (int calls = 0; in.More() && calls < 200; ++calls) Call(in);
  }
  End_data();
  return 0;
}
