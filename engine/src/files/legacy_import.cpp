// Import of the old DOS generation's models: random variables (".RAN"),
// formulas (".FML") and dependence nodes (".DEP" or ".2<type>0"), files of
// fixed-size records with 6-byte reals.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "files/buffered_file.h"
#include "model/export_guard.h"
#include "model/file_names.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model/store.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/structures.h"

namespace tesmira {
namespace {

constexpr std::size_t kVariableRecord = 138;
constexpr std::size_t kFormulaRecord = 256;
constexpr std::size_t kNodeRecord = 875;
constexpr int kMaxLegacyChildren = 99;

struct ImportState {
  bool countOnly = false;
  // Folder the readers look in; empty: the model's folder.
  std::string folder;
};

ImportState& Import() {
  static ImportState state;
  return state;
}

// The short string at p of a field with room for limit characters.
std::string FieldText(const uint8_t* p, std::size_t limit) {
  std::size_t n = std::min<std::size_t>(p[0], limit);
  return std::string(reinterpret_cast<const char*>(p + 1), n);
}

// The file of a base name and extension, found without regard to case;
// empty when there is none.
std::string LegacyPath(std::string_view baseName, std::string_view extension) {
  std::string folder = Import().folder.empty() ? ModelFolderText() : Import().folder;
  return FindFileNoCase(folder + std::string(baseName) + std::string(extension));
}

// Whole records of a file; false when it can not be read.
bool ReadRecords(const std::string& path, std::size_t size, std::vector<uint8_t>& bytes,
                 std::size_t& count) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  count = bytes.size() / size;
  return true;
}

std::string DependenceExtension() { return FileKindExtensionText(FileKindDependence); }

int32_t ReadVariables(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::size_t records = 0;
  if (path.empty() || !ReadRecords(path, kVariableRecord, bytes, records)) return 0;
  int32_t created = 0;
  for (std::size_t r = 0; r < records; ++r) {
    if (Import().countOnly) {
      ++created;
      continue;
    }
    const uint8_t* rec = bytes.data() + r * kVariableRecord;
    TExtendedRandomVariable rv;
    std::memset(&rv, 0, sizeof rv);
    Ran_var_init(&rv);
    SetShortString(rv.distribution.name, FieldText(rec + 1, 10));
    const int code = rec[12];
    TDistribution& d = rv.distribution;
    if (code <= 9) {
      static constexpr uint8_t kTypes[10] = {
          DistConstant,    DistUniform, DistLogUniform, DistNormal, DistLogNormal,
          DistExponential, DistGamma,   DistWeibull,    DistBeta,   DistTriangular};
      static constexpr int kParams[10] = {1, 2, 2, 2, 2, 4, 4, 4, 4, 4};
      d.distType = kTypes[code];
      for (int k = 0; k < kParams[code]; ++k) d.u.params[k] = DecodeReal48(rec + 13 + 6 * k);
    } else if (code == 10 || code == 12) {
      std::string file = FieldText(rec + 13, 8) + FieldText(rec + 22, 14);
      if (code == 10) {
        d.distType = DistFile100;
        SetShortString(d.u.fileName, 253, file.substr(0, 12));
      } else {
        d.distType = DistSampleFile;
        SetShortString(d.u.sample.sampleFile, file.substr(0, 126));
      }
    }
    SetShortString(rv.description, FieldText(rec + 37, 100));
    TExtendedRandomVariable* out = nullptr;
    int32_t size = 0;
    int32_t result = Create_extended_random_variable(&rv, &out, &size);
    if (result == 0) break;
    if (result > 0) ++created;
  }
  return created;
}

int32_t ReadFormulas(const std::string& path) {
  if (path.empty()) return 0;
  std::vector<uint8_t> bytes;
  std::size_t records = 0;
  if (!ReadRecords(path, kFormulaRecord, bytes, records)) return -1;
  int32_t created = 0;
  // Record 1 is a header, the last one names the random-variable file.
  for (std::size_t r = 1; r + 1 < records; ++r) {
    const uint8_t* rec = bytes.data() + r * kFormulaRecord;
    std::string line = FieldText(rec, 255);
    std::string name;
    std::string text = line;
    if (!line.empty() && line[0] == ':') {
      std::size_t close = line.find(':', 1);
      std::size_t end = close == std::string::npos ? line.size() : close;
      name = line.substr(1, std::min<std::size_t>(end - 1, 10));
      text = close == std::string::npos ? std::string() : line.substr(close + 1);
    }
    const bool first = r == 1;
    if (text.empty() && !first) continue;
    if (Import().countOnly) {
      ++created;
      continue;
    }
    TUdf udf;
    std::memset(&udf, 0, sizeof udf);
    SetShortString(udf.name, name);
    SetShortString(udf.text, text);
    TUdf* out = nullptr;
    int32_t size = 0;
    int32_t result = Create_UDF(&udf, &out, &size);
    if (result == 0) break;
    if (result > 0) ++created;
  }
  if (created > 0 && !Import().countOnly && records >= 2 && Model()) {
    const uint8_t* last = bytes.data() + (records - 1) * kFormulaRecord;
    SetShortString(Model()->designTag, FieldText(last, 255));
  }
  return created;
}

int32_t ReadNodes(const std::string& path) {
  std::vector<uint8_t> bytes;
  std::size_t records = 0;
  if (path.empty() || !ReadRecords(path, kNodeRecord, bytes, records)) return 0;
  if (Import().countOnly) return static_cast<int32_t>(records);
  // The two node layouts are never mixed in one model.
  if (NodeCount() > 0 && Design2()) return 0;
  if (NodeCount() == 0) Set_model_dep_type(1.0);
  int32_t created = 0;
  for (std::size_t r = 0; r < records; ++r) {
    const uint8_t* rec = bytes.data() + r * kNodeRecord;
    TDepNodeV1 node;
    std::memset(&node, 0, sizeof node);
    Dep_node_init(&node);
    SetShortString(node.varName, FieldText(rec + 10, 32));
    SetShortString(node.parentName, FieldText(rec + 652, 10));
    node.rankCorr = DecodeReal48(rec + 663);
    const int code = rec[670];
    node.typeBits = static_cast<uint8_t>(node.typeBits & 3u);  // a tree
    if (code <= 3)
      node.typeBits = static_cast<uint8_t>((node.typeBits & ~3u) | static_cast<unsigned>(code));
    const int children = std::min<int>(rec[669], kMaxLegacyChildren);
    int kept = 0;
    for (int k = 0; k < children; ++k) {
      int16_t child = 0;
      std::memcpy(&child, rec + 671 + 2 * k, 2);
      if (child >= 1 && static_cast<std::size_t>(child) <= records) node.u.children[kept++] = child;
    }
    node.childCount = static_cast<uint8_t>(kept);
    double last = DecodeReal48(rec + 869);
    std::memcpy(reinterpret_cast<uint8_t*>(&node) + sizeof node - 8, &last, 8);
    void* out = nullptr;
    int32_t size = 0;
    int32_t result = Create_dep_node(&node, &out, &size);
    if (result == 0) break;
    if (result > 0) {
      if (++created == 1 && Model()) SetShortString(Model()->fileName, FieldText(rec, 9));
    }
  }
  return created;
}

bool ContainsNoCase(std::string_view text, std::string_view part) {
  if (part.empty() || part.size() > text.size()) return false;
  for (std::size_t i = 0; i + part.size() <= text.size(); ++i) {
    std::size_t j = 0;
    while (j < part.size() && LowerAscii(text[i + j]) == LowerAscii(part[j])) ++j;
    if (j == part.size()) return true;
  }
  return false;
}

}  // namespace
}  // namespace tesmira

using namespace tesmira;

extern "C" {

TESMIRA_API int32_t Read_randomvariables_file(const char* baseName) {
  return tesmira::Guarded<int32_t>(
      0, [&]() -> int32_t { return ReadVariables(LegacyPath(baseName ? baseName : "", ".RAN")); });
}

TESMIRA_API int32_t Read_formula_file(const char* baseName) {
  return tesmira::Guarded<int32_t>(
      0, [&]() -> int32_t { return ReadFormulas(LegacyPath(baseName ? baseName : "", ".FML")); });
}

TESMIRA_API int32_t Read_dependence_file(const char* baseName) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    std::string base = baseName ? baseName : "";
    std::string path = LegacyPath(base, DependenceExtension());
    if (path.empty()) path = LegacyPath(base, ".DEP");
    return ReadNodes(path);
  });
}

TESMIRA_API int32_t ImportADOSFile(const char* fileName, uint8_t* kind) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ImportState& st = Import();
    uint8_t code = kind ? *kind : 0;
    st.countOnly = code == LegacyCountOnly;
    st.folder.clear();
    std::string work;
    if (fileName && fileName[0] != '\0') {
      std::string full = fileName;
      std::size_t slash = full.find_last_of("/\\");
      std::string folder = slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
      work = slash == std::string::npos ? full : full.substr(slash + 1);
      if (st.countOnly) {
        // Counting looks beside the probed file and leaves the model alone.
        st.folder = folder.empty() ? std::string("./") : folder;
      } else if (Model()) {
        SetShortString(Model()->folder, folder);
        SetShortString(Model()->fileName, work);
      }
    } else if (Model()) {
      if (code == ObjFormula) work = std::string(ShortStringView(Model()->fileName)) + ".FML";
      if (code == ObjRandomVariable)
        work = std::string(ShortStringView(Model()->designTag)) + ".RAN";
    }
    const std::string base(BaseNameOf(work));
    int32_t count = 0;
    if (ContainsNoCase(work, ".RAN")) {
      code = ObjRandomVariable;
      count = Read_randomvariables_file(base.c_str());
    }
    if (ContainsNoCase(work, ".BSE")) code = ObjBasicEvent;
    if (ContainsNoCase(work, ".MIN")) code = ObjMinimalCutSet;
    if (ContainsNoCase(work, ".FLT")) code = ObjFaultTree;
    if (ContainsNoCase(work, ".FML")) {
      code = ObjFormula;
      count = Read_formula_file(base.c_str());
    }
    const std::string dependence = DependenceExtension();
    if (ContainsNoCase(work, dependence) || ContainsNoCase(work, ".dep")) {
      code = ObjDependenceNode;
      std::string ext = ContainsNoCase(work, dependence) ? dependence : std::string(".DEP");
      std::string path = LegacyPath(base, ext);
      if (path.empty()) path = LegacyPath(base, ext == ".DEP" ? dependence : std::string(".DEP"));
      count = ReadNodes(path);
    }
    st.countOnly = false;
    st.folder.clear();
    if (kind) *kind = code;
    return count;
  });
}

}  // extern "C"
