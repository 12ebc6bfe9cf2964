// The object directory of the open model, linked files, the loader of model
// and output files, the sample-file and legacy-model loaders, the lazy reader
// of an output file's correlation rows, and the model's start and end.
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>

#include "files/buffered_file.h"
#include "files/model_container.h"
#include "files/result_files.h"
#include "files/sample_files.h"
#include "model/export_guard.h"
#include "model/file_names.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model/store.h"
#include "tesmira/model.h"
#include "tesmira/simulation.h"
#include "tesmira/structures.h"

namespace tesmira {
namespace {

constexpr int kCorrMarker = 767676;
TRanvarOverflowHandler g_overflowHandler = nullptr;

bool IsNodeKind(int kind) { return kind == ObjDependenceNode || kind == ObjDependenceNode2; }

std::string LinkMessage() {
  return "Tesmira supports only max. " + std::to_string(TsmMaxLinks) + " linked files";
}

void Report(const std::string& text) {
  if (g_overflowHandler) g_overflowHandler(text.c_str());
}

// Removes deleted entries, keeping the order of the rest.
void CompactDirectory() {
  ContainerState& f = Files();
  int to = 0;
  for (int k = 1; k <= f.length; ++k) {
    if (f.entries[k].state == TsmDeleted) continue;
    ++to;
    f.entries[to] = f.entries[k];
    f.objects[to] = f.objects[k];
  }
  for (int k = to + 1; k <= f.length; ++k) {
    f.entries[k] = TTsmObjectEntry{};
    f.objects[k] = nullptr;
  }
  f.length = to;
  f.header.entryCount = to;
}

// Removes empty link names, renumbering the entries' link indexes.
void CompactLinkTable() {
  ContainerState& f = Files();
  int newIndex[TsmMaxLinks + 1] = {};
  int to = 0;
  for (int j = 1; j <= f.linkCount; ++j) {
    if (f.links[j].empty()) continue;
    ++to;
    newIndex[j] = to;
    if (to != j) f.links[to] = f.links[j];
  }
  for (int j = to + 1; j <= TsmMaxLinks; ++j) f.links[j].clear();
  for (int k = 1; k <= f.length; ++k) {
    const int32_t link = f.entries[k].link;
    if (link > 0) f.entries[k].link = link <= f.linkCount ? newIndex[link] : 0;
  }
  f.linkCount = to;
  f.header.linkCount = to;
}

std::string FilePartOf(std::string_view path) {
  std::size_t s = path.find_last_of("/\\:");
  return std::string(s == std::string_view::npos ? path : path.substr(s + 1));
}

bool ExistingFile(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::is_regular_file(path, ec);
}

}  // namespace

ContainerState& Files() {
  static ContainerState state;
  return state;
}

// A new model (or the end of one) forgets the directory, the links and the
// files of the previous model.
void ForgetModelFiles() {
  ContainerState& f = Files();
  CloseHandles();
  f.extract = false;
  f.outputName.clear();
  f.corrIndex.clear();
  f.corrMarker = 0;
  SetCorrDataSource(nullptr);
  for (int k = 1; k <= f.length; ++k) {
    f.entries[k] = TTsmObjectEntry{};
    f.objects[k] = nullptr;
  }
  f.length = 0;
  for (auto& l : f.links) l.clear();
  f.linkCount = 0;
  InitFileHeader(&f.header);
  f.sampleHeader = TSampleFileHeader{};
  f.sampleHeader.version = 1;
  f.preview = TSampleFileHeader{};
  f.preview.version = 1;
  f.probeDescribesOutput = false;
}

void EnsureDirectory() {
  ContainerState& f = Files();
  if (f.entries.empty()) {
    RegisterModelInitHook(&ForgetModelFiles);
    RegisterModelReleaseHook(&ForgetModelFiles);
    f.entries.assign(TsmMaxEntries + 1, TTsmObjectEntry{});
    f.objects.assign(TsmMaxEntries + 1, nullptr);
    InitFileHeader(&f.header);
    f.sampleHeader.version = 1;
  }
}

bool IsLiveOf(const TTsmObjectEntry& e, int kind) {
  if (e.state == TsmDeleted || e.kind == 0) return false;
  if (kind == 0 || e.kind == kind) return true;
  return kind == ObjDependenceNode && e.kind == ObjDependenceNode2 && Design2();
}

int FindEntry(int n, int kind) {
  if (n <= 0) return 0;
  ContainerState& f = Files();
  EnsureDirectory();
  int found = 0;
  for (int k = 1; k <= f.length; ++k)
    if (IsLiveOf(f.entries[k], kind) && ++found == n) return k;
  return -found;
}

bool IsWrittenEntry(const TTsmObjectEntry& e) {
  if (e.kind == 0 || e.kind > 16 || e.link != 0 || !e.selected || e.duplicate != 0) return false;
  return e.state == TsmInMemory || e.kind == ObjDistribution || e.kind == ObjCorrelationData;
}

void RecountKinds() {
  ContainerState& f = Files();
  std::fill(std::begin(f.header.kindCounts), std::end(f.header.kindCounts), int16_t{0});
  for (int k = 1; k <= f.length; ++k)
    if (IsWrittenEntry(f.entries[k])) ++f.header.kindCounts[f.entries[k].kind - 1];
  f.header.entryCount = f.length;
}

bool AppendEntry(const TTsmObjectEntry& e, void* object) {
  ContainerState& f = Files();
  EnsureDirectory();
  if (f.length >= TsmMaxEntries) CompactDirectory();
  if (f.length >= TsmMaxEntries) return false;
  ++f.length;
  f.entries[f.length] = e;
  f.objects[f.length] = object;
  f.header.entryCount = f.length;
  return true;
}

void DeleteEntry(int slot) {
  ContainerState& f = Files();
  TTsmObjectEntry& e = f.entries[slot];
  e.state = TsmDeleted;
  if (f.objects[slot]) Delete_object(e.kind, f.objects[slot]);
  f.objects[slot] = nullptr;
}

void SelectNodeVariables() {
  ContainerState& f = Files();
  for (int k = 1; k <= f.length; ++k) {
    const TTsmObjectEntry& e = f.entries[k];
    if (!IsNodeKind(e.kind) || e.state == TsmDeleted || !e.selected || !f.objects[k]) continue;
    if (NodeIndexOf(f.objects[k]) <= 0) continue;
    const TExtendedRandomVariable* rv = VariableOfNode(f.objects[k]);
    for (int j = 1; rv && j <= f.length; ++j)
      if (f.objects[j] == rv && f.entries[j].kind == ObjRandomVariable) f.entries[j].selected = 1;
  }
}

void CloseHandles() {
  ContainerState& f = Files();
  if (f.outputFd >= 0 && f.outputFd != f.modelFd) CloseFd(f.outputFd);
  CloseFd(f.modelFd);
  f.modelFd = -1;
  f.outputFd = -1;
}

std::string ResolveModelPath(std::string_view name) {
  if (name.empty()) return {};
  std::string given(name);
  if (ExistingFile(given)) return given;
  std::string slashed = given;
  std::replace(slashed.begin(), slashed.end(), '\\', '/');
  if (ExistingFile(slashed)) return slashed;
  std::string found = FindFileNoCase(ModelFolderText() + FilePartOf(given));
  return found;
}

bool CorrRowFromOutputFile(int32_t i, float* row, int32_t* bytes) {
  const TTsmObjectEntry* e = CorrRowEntry(i);
  if (!e || !GetCorrData(row, i)) return false;
  if (bytes) *bytes = e->size;
  return true;
}

const TTsmObjectEntry* CorrRowEntry(int32_t row) {
  ContainerState& f = Files();
  EnsureDirectory();
  if (row <= 0) return nullptr;
  int slot = FindEntry(row, ObjCorrelationData);
  if (slot > 0) return &f.entries[slot];
  if (FindEntry(1, ObjCorrelationData) == 0 && row < static_cast<int>(f.corrIndex.size()))
    return &f.corrIndex[static_cast<std::size_t>(row)];
  return nullptr;
}

}  // namespace tesmira

using namespace tesmira;

extern "C" {

// ---- directory -------------------------------------------------------------------

TESMIRA_API int32_t Create_TSMObject(int32_t kind, const void* data) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    if (kind == ObjDependenceNode && Design2()) kind = ObjDependenceNode2;
    void* object = nullptr;
    int32_t size = 0;
    bool wasLoading = ModelLoading();
    if (f.directoryUpdate) SetModelLoading(true, false);
    int32_t result = Create_object(kind, data, &object, &size);
    if (f.directoryUpdate) SetModelLoading(wasLoading, false);
    if (result == 0) return 0;
    if (result < 0) {
      for (int k = 1; k <= f.length; ++k)
        if (object && f.objects[k] == object) {
          f.entries[k].state = TsmInMemory;
          return k;
        }
      if (!object || object != data) return 0;
    }
    TTsmObjectEntry e{};
    e.kind = static_cast<uint8_t>(kind);
    e.size = size;
    e.state = object ? TsmInMemory : TsmRegistered;
    e.selected = 1;
    if (!AppendEntry(e, object)) return 0;
    RecountKinds();
    return f.length;
  });
}

TESMIRA_API bool Delete_TSMObject(void* object) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    ContainerState& f = Files();
    EnsureDirectory();
    if (!object) return false;
    for (int k = 1; k <= f.length; ++k)
      if (f.objects[k] == object) {
        DeleteEntry(k);
        RecountKinds();
        return true;
      }
    return false;
  });
}

TESMIRA_API int32_t Fetch_TSMObject(const void* object) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    if (!object) return 0;
    for (int k = 1; k <= f.length; ++k)
      if (f.objects[k] == object) return k;
    return 0;
  });
}

TESMIRA_API void* Get_TSMObject(int32_t n, int32_t kind) {
  return tesmira::Guarded<void*>(nullptr, [&]() -> void* {
    ContainerState& f = Files();
    EnsureDirectory();
    if (kind == 0 && n >= 1 && n <= f.length) return f.objects[n];
    int slot = FindEntry(n, kind);
    return slot > 0 ? f.objects[slot] : nullptr;
  });
}

TESMIRA_API void Get_TSMObjectName(int32_t kind, const void* object, char* out) {
  tesmira::GuardedVoid([&] {
    if (!out) return;
    char name[256] = {};
    Get_object_name(kind, object, name);
    name[32] = '\0';
    std::strcpy(out, name);
  });
}

TESMIRA_API int32_t Get_TSMObjectsNumber(int32_t kind) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    int n = 0;
    for (int k = 1; k <= f.length; ++k)
      if (IsLiveOf(f.entries[k], kind)) ++n;
    return n;
  });
}

TESMIRA_API int32_t Get_TSMObjectIndex(const void* object, int32_t kind) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    if (!object) return 0;
    int rank = 0;
    for (int k = 1; k <= f.length; ++k) {
      if (!IsLiveOf(f.entries[k], kind)) continue;
      ++rank;
      if (f.objects[k] == object) return rank;
    }
    return -rank;
  });
}

TESMIRA_API int32_t Swap_TSMObjects(int32_t i, int32_t j, int32_t kind) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    int a = FindEntry(i, kind), b = FindEntry(j, kind);
    if (a <= 0 || b <= 0) return -1;
    std::swap(f.entries[a], f.entries[b]);
    std::swap(f.objects[a], f.objects[b]);
    return 1;
  });
}

TESMIRA_API int32_t Mark_TSMObjectSelected(int32_t n, int32_t kind, bool flag) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    int slot = FindEntry(n, kind);
    if (slot <= 0) return -1;
    Files().entries[slot].selected = flag ? 1 : 0;
    return n;
  });
}

TESMIRA_API int32_t Mark_AllTSMObjectsSelected(bool flag) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    int n = 0;
    for (int k = 1; k <= f.length; ++k)
      if (IsLiveOf(f.entries[k], 0)) {
        f.entries[k].selected = flag ? 1 : 0;
        ++n;
      }
    return n;
  });
}

TESMIRA_API int32_t IsSelectedTSMObject(int32_t n, int32_t kind) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    int slot = FindEntry(n, kind);
    return slot > 0 ? Files().entries[slot].selected : 0;
  });
}

TESMIRA_API int32_t IsLinkedTSMObject(int32_t n, int32_t kind) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    int slot = FindEntry(n, kind);
    return slot > 0 ? Files().entries[slot].link : -1;
  });
}

TESMIRA_API int32_t ScanDuplicateNames(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    int n = 0;
    for (int k = 1; k <= f.length; ++k)
      if (f.entries[k].duplicate != 0) ++n;
    return n;
  });
}

TESMIRA_API int32_t Update_TSMObjects(int32_t kind) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (!IsNodeKind(kind)) return 0;
    ContainerState& f = Files();
    EnsureDirectory();
    f.directoryUpdate = true;
    int32_t changes = Update_dep_structure();
    for (int k = 1; k <= f.length; ++k) {
      const TTsmObjectEntry& e = f.entries[k];
      if (!IsNodeKind(e.kind) || e.state == TsmDeleted) continue;
      if (NodeIndexOf(f.objects[k]) <= 0) {
        // The store already freed the node: only the entry goes.
        f.entries[k].state = TsmDeleted;
        f.objects[k] = nullptr;
      }
    }
    for (int i = 1; i <= GetNumberOfDepNodes(true); ++i) {
      void* node = NodeAt(i);
      if (node && Fetch_TSMObject(node) == 0) Create_TSMObject(ObjDependenceNode, node);
    }
    f.directoryUpdate = false;
    RecountKinds();
    return changes;
  });
}

TESMIRA_API const TTsmObjectEntry* Get_TSMObjectEntry(int32_t slot) {
  return tesmira::Guarded<const TTsmObjectEntry*>(nullptr, [&]() -> const TTsmObjectEntry* {
    ContainerState& f = Files();
    EnsureDirectory();
    return slot >= 1 && slot <= f.length ? &f.entries[slot] : nullptr;
  });
}

// ---- files and links ---------------------------------------------------------------

TESMIRA_API int32_t LoadTSMFile(const char* fileName, int32_t mode) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    SetCorrDataSource(nullptr);
    f.unread.clear();
    std::string name = fileName ? fileName : "";
    int32_t result = 0;
    switch (mode) {
      case TsmOpen:
      case TsmOpenListed:
        SetMergeMode(false);
        f.outputLoading = f.probeDescribesOutput;
        result = ReadTSMFile(name.c_str(), 0, 0);
        break;
      case TsmMerge:
        for (int j = 1; j <= f.linkCount; ++j)
          if (SameName(std::string_view(f.links[j]).substr(0, 255), name) &&
              f.links[j].size() == name.size()) {
            UnlinkTSMFile(j);
            break;
          }
        SetMergeMode(true);
        result = ReadTSMFile(name.c_str(), 1, 0);
        SetMergeMode(false);
        break;
      case TsmLink:
        if (f.linkCount >= TsmMaxLinks) {
          Report(LinkMessage());
          return TsmReadCannotOpen;
        }
        SetMergeMode(true);
        result = ReadTSMFile(name.c_str(), 1, f.linkCount + 1);
        SetMergeMode(false);
        break;
      default: result = ReadTSMFile(name.c_str(), 1, 0); break;
    }
    if (result > 0) {
      if (mode == TsmMerge) ScanDeadLinks();
      if (mode == TsmLink) {
        ++f.linkCount;
        f.links[f.linkCount] = name.substr(0, 255);
        f.header.linkCount = f.linkCount;
      }
      if ((mode == TsmOpen || mode == TsmOpenListed) &&
          f.header.kindCounts[ObjSampleData - 1] > 0) {
        const TSampleData* data = SampleDataBlock();
        if (data) SetModelType(data->modelType);
        f.outputFd = f.modelFd;
        f.outputName = name;
        SetMergeMode(false);
        f.outputLoading = true;
        // The run's model: the name the results recorded (cut to 8 characters
        // by old files), or the output file's own name with ".tsm".
        std::string recorded = data ? std::string(ShortStringView(data->modelName)) : std::string();
        std::string own;
        const std::string file = FilePartOf(name);
        if (std::size_t p = name.find(".tso"); p != std::string::npos)
          own = name.substr(0, p) + ".tsm";
        std::vector<std::string> candidates;
        if (!own.empty() && !recorded.empty() &&
            SameName(std::string_view(file).substr(0, recorded.size()), recorded))
          candidates.push_back(own);
        if (!recorded.empty()) candidates.push_back(ModelFolderText() + recorded + ".tsm");
        if (!own.empty()) candidates.push_back(own);
        const int ownObjects = f.length;
        for (const std::string& c : candidates) {
          std::string path = FindFileNoCase(c);
          if (!path.empty() && ReadTSMFile(path.c_str(), 1, 0) > 0) break;
        }
        // The run's model brings again the objects the output file already
        // holds: its refused copies are no duplicates to warn about.
        for (int k = ownObjects + 1; k <= f.length; ++k) f.entries[k].duplicate = 0;
        SetCorrDataSource(&CorrRowFromOutputFile);
      }
    }
    f.outputLoading = false;
    return result;
  });
}

TESMIRA_API int32_t UnlinkTSMFile(int32_t linkIndex) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    if (linkIndex < 1 || linkIndex > f.linkCount) return -1;
    for (int k = 1; k <= f.length; ++k)
      if (f.entries[k].link == linkIndex && f.entries[k].state != TsmDeleted) DeleteEntry(k);
    f.links[linkIndex].clear();
    CompactLinkTable();
    RecountKinds();
    return linkIndex;
  });
}

TESMIRA_API int32_t ChangeLinkFile(int32_t linkIndex, const char* fileName) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (UnlinkTSMFile(linkIndex) < 0) return -1;
    return LoadTSMFile(fileName, TsmLink);
  });
}

TESMIRA_API int32_t ScanDeadLinks(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    int cleared = 0;
    for (int j = 1; j <= f.linkCount; ++j) {
      bool used = false;
      for (int k = 1; k <= f.length && !used; ++k) used = f.entries[k].link == j;
      if (!used) {
        f.links[j].clear();
        ++cleared;
      }
    }
    CompactLinkTable();
    return cleared;
  });
}

TESMIRA_API int32_t GetLinkedFilesNumber(void) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t { return Files().linkCount; });
}

TESMIRA_API void GetLinkedFile(int32_t n, int32_t kind, char* out) {
  tesmira::GuardedVoid([&] {
    if (!out) return;
    ContainerState& f = Files();
    EnsureDirectory();
    int link = n;
    if (kind != 0) {
      int slot = FindEntry(n, kind);
      link = slot > 0 ? f.entries[slot].link : 0;
    }
    CopyOut(out, link >= 1 && link <= f.linkCount ? std::string_view(f.links[link])
                                                  : std::string_view());
  });
}

TESMIRA_API int32_t Merge_LinkedObjects(int32_t n, int32_t kind) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    if (n == 0) {
      int merged = 0;
      for (int k = 1; k <= f.length; ++k)
        if (IsLiveOf(f.entries[k], kind) && f.entries[k].link != 0) {
          f.entries[k].link = 0;
          ++merged;
        }
      RecountKinds();
      return merged;
    }
    int slot = FindEntry(n, kind);
    if (slot <= 0 || f.entries[slot].link == 0) return -1;
    f.entries[slot].link = 0;
    RecountKinds();
    return n;
  });
}

TESMIRA_API int32_t LoadSampleFile(const char* fileName) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    std::string name = fileName ? fileName : "";
    if (f.preview.count > 0) {
      f.sampleHeader = f.preview;
    } else {
      f.sampleHeader = TSampleFileHeader{};
      f.sampleHeader.version = 1;
      f.sampleHeader.count =
          LoadSampleFileHeader(name.c_str(), &f.sampleHeader.inputs, &f.sampleHeader.outputs);
      if (f.sampleHeader.count > 0) {
        SetShortString(f.sampleHeader.sampleFile, name);
        SetShortString(f.sampleHeader.probabilityFile, ReplaceExtension(name, ".prb"));
      }
    }
    f.preview = TSampleFileHeader{};
    f.preview.version = 1;
    const int32_t count = f.sampleHeader.count;
    if (count <= 0) return count;
    std::error_code ec;
    SetModelFileNameText(std::filesystem::absolute(name, ec).string());
    if (!InputSampleList() || !OutputSampleList()) AllocateSimulationBlocks();
    if (TSampleList* in = InputSampleList()) *in = f.sampleHeader.inputs;
    if (TSampleList* out = OutputSampleList()) *out = f.sampleHeader.outputs;
    return count;
  });
}

TESMIRA_API int32_t DOStoTSMObjects(const char* fileName, uint8_t* kind) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    EnsureDirectory();
    uint8_t code = kind ? *kind : 0;
    const bool countOnly = code == LegacyCountOnly;
    int32_t n = ImportADOSFile(fileName, &code);
    if (kind) *kind = code;
    for (int i = -n; i <= -1 && n > 0; ++i) {
      TTsmObjectEntry e{};
      e.kind = code;
      e.state = TsmInMemory;
      e.selected = 1;
      void* object = nullptr;
      if (!countOnly) {
        int32_t size = 0;
        object = Fetch_object(code, i, nullptr, &size);
        e.size = size;
        if (code == ObjDependenceNode && Design2()) e.kind = ObjDependenceNode2;
      }
      AppendEntry(e, object);
    }
    RecountKinds();
    return n;
  });
}

TESMIRA_API bool GetCorrData(void* buffer, int32_t row) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    ContainerState& f = Files();
    EnsureDirectory();
    if (!buffer) return false;
    if (f.corrMarker != kCorrMarker) f.corrMarker = kCorrMarker;
    if (f.outputFd < 0 && !f.outputName.empty()) f.outputFd = OpenLocked(f.outputName, false);
    const TTsmObjectEntry* e = CorrRowEntry(row);
    if (!e || f.outputFd < 0) return false;
    // A row larger than the buffer, or not made of singles, is refused.
    if (e->size < 0 || e->size > CorrelationDataSize || e->size % 4 != 0) return false;
    return ReadAt(f.outputFd, buffer, e->size, e->offset);
  });
}

TESMIRA_API void SetRanvarOverflowHandler(TRanvarOverflowHandler handler) {
  tesmira::GuardedVoid([&] { g_overflowHandler = handler; });
}

TESMIRA_API int32_t RanvarOverflowMessage(bool loading) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    if (GetNumberOfRandomVariables() < MaxVariables) return 0;
    const std::string limit = std::to_string(MaxVariables);
    std::string text;
    if (loading)
      text =
          "The file that`s being loaded contains too many input variables.\n\rTesmira supports "
          "only "
          "max. " +
          limit +
          " variables,\n\rthe extraneous ones will be discarded.\n\r"
          "This might result in numerous errors in the Formula/UDF panel";
    else
      text = "Can`t create any more random variables.\n\rTesmira supports only max. " + limit +
             " variables";
    Report(text);
    return 1;
  });
}

TESMIRA_API bool Init_data(void) {
  return tesmira::Guarded<bool>(false, [&]() -> bool {
    End_data();
    return Init_Model_data() != nullptr;
  });
}

TESMIRA_API void End_data(void) {
  tesmira::GuardedVoid([&] {
    EnsureDirectory();
    End_model_data();
    ForgetModelFiles();
  });
}

}  // extern "C"
