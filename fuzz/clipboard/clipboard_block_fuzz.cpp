// The clipboard block parser and paste. The first byte picks the list
// (variables or formulas) and the shape: either the rest is the block as it
// stands, or a block is copied from a small model's rows and the rest gives
// changes to it (two bytes of offset, one of value, repeated). Every block is
// parsed and pasted into the model in one undo group, which is then undone.
#include <cstdint>
#include <string>

#include "fakes.h"
#include "list_commands.h"
#include "model_builder.h"
#include "tesmira/model_files.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tesmira::wb;
  if (size == 0) return 0;
  const int kind = (data[0] & 1) ? ObjFormula : ObjRandomVariable;
  const bool copied = (data[0] & 2) != 0;
  Init_data();
  example::AddVariable("a", DistNormal, 0, 1);
  example::AddVariable("b", DistUniform, 0, 1);
  example::AddVariable("c", DistExponential, 1);
  example::AddFormula("f", "a+b*c");
  example::AddFormula("g", "f/2");
  for (int k = 1; k <= GetNumberOfRandomVariables(); ++k)
    Create_TSMObject(ObjRandomVariable, GetRanVar(k));
  for (int k = 0; k < GetNumberOfFormulas(); ++k) Create_TSMObject(ObjFormula, GetUDF(k));
  std::string block;
  if (copied) {
    const int rows = Get_TSMObjectsNumber(kind);
    block =
        BuildClipboardBlock(kind, rows == 3 ? std::vector<int>{0, 1, 2} : std::vector<int>{0, 1});
    for (size_t k = 1; k + 2 < size; k += 3) {
      const size_t offset = (static_cast<size_t>(data[k]) | static_cast<size_t>(data[k + 1]) << 8);
      if (!block.empty()) block[offset % block.size()] = static_cast<char>(data[k + 2]);
    }
  } else {
    block.assign(reinterpret_cast<const char*>(data + 1), size - 1);
  }
  (void)ParseClipboardBlock(kind, block);
  {
    test::FakeWorkbench f;
    const std::vector<int> pasted = PasteClipboardBlock(f.wb, kind, block, (data[0] >> 2) % 4 - 1);
    if (!pasted.empty()) {
      for (int row = 0; row < Get_TSMObjectsNumber(kind); ++row) {
        char name[256] = {};
        Get_TSMObjectName(kind, Get_TSMObject(row + 1, kind), name);
      }
      f.wb.Undo.Undo();
    }
  }
  End_data();
  return 0;
}
