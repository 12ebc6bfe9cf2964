// The model and output file container: header defaults and reader, the
// writer of model, extract and output files, the directory reader and the
// file-kind probe.
//
// A file is always written whole into a temporary file beside the target,
// synced and renamed over it, so a failed save leaves the previous file as it
// was. The data blocks go out in one buffered sequential stream; header, link
// table and directory follow with one positional write at offset 0.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "files/model_container.h"
#include "files/result_files.h"
#include "files/sample_files.h"
#include "model/export_guard.h"
#include "model/file_names.h"
#include "model/record_checks.h"
#include "model/short_string.h"
#include "model/sim_blocks.h"
#include "model/store.h"
#include "tesmira/model.h"
#include "tesmira/structures.h"

namespace tesmira {
namespace {

constexpr std::string_view kTypeNames[5] = {"Unspecified", "FAULT TREE", "FORMULA", "ZOZIVOR",
                                            "CUSTOM"};
constexpr std::string_view kOutputMark = "Simulation Output file for the model ";
constexpr std::string_view kExtractMark = "Extract file for the model ";
// The data design version of files whose nodes have the old layout.
constexpr double kOldLayoutVersion = 1.0;

int64_t g_faultAfter = -1;

std::string_view TypeName(int type) {
  return type >= 0 && type <= 4 ? kTypeNames[type] : std::string_view();
}

bool IsOutputHeader(const TTsmFileHeader& h) {
  return ShortStringView(h.description).find(kOutputMark) != std::string_view::npos;
}

std::string ModelBaseName() {
  TModelRecord* m = Model();
  if (!m) return {};
  return std::string(BaseNameOf(ShortStringView(m->fileName)));
}

bool SamePath(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

std::string Absolute(const std::string& path) {
  std::error_code ec;
  std::filesystem::path p = std::filesystem::absolute(path, ec);
  if (ec) return path;
  return p.lexically_normal().string();
}

int64_t FileLength(int fd) {
  struct stat st {};
  if (fstat(fd, &st) != 0) return -1;
  return static_cast<int64_t>(st.st_size);
}

// A write-only stream into a file: one large buffer, sticky failure, and the
// test hook that fails it after a number of bytes.
class BlockStream {
 public:
  explicit BlockStream(int fd) : fd_(fd) { buffer_.reserve(kBuffer); }
  bool Write(const void* data, std::size_t size) {
    if (failed_) return false;
    const char* p = static_cast<const char*>(data);
    if (buffer_.size() + size > kBuffer && !Flush()) return false;
    if (size >= kBuffer) return Raw(p, size);
    buffer_.insert(buffer_.end(), p, p + size);
    position_ += static_cast<int64_t>(size);
    return true;
  }
  bool Zeros(std::size_t size) {
    static const char zero[4096] = {};
    while (size > 0) {
      std::size_t n = std::min(size, sizeof zero);
      if (!Write(zero, n)) return false;
      size -= n;
    }
    return true;
  }
  bool Flush() {
    if (failed_) return false;
    std::vector<char> pending;
    pending.swap(buffer_);
    buffer_.reserve(kBuffer);
    int64_t before = position_ - static_cast<int64_t>(pending.size());
    position_ = before;
    return Raw(pending.data(), pending.size());
  }
  int64_t Position() const { return position_; }
  bool Failed() const { return failed_; }

 private:
  static constexpr std::size_t kBuffer = 1 << 20;
  bool Raw(const char* p, std::size_t size) {
    while (size > 0) {
      std::size_t n = size;
      if (g_faultAfter >= 0) {
        if (written_ >= g_faultAfter) return Fail();
        n = static_cast<std::size_t>(
            std::min<int64_t>(static_cast<int64_t>(n), g_faultAfter - written_));
      }
      ssize_t w = ::write(fd_, p, n);
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return Fail();
      p += w;
      size -= static_cast<std::size_t>(w);
      written_ += w;
      position_ += w;
    }
    return true;
  }
  bool Fail() {
    failed_ = true;
    return false;
  }
  int fd_;
  std::vector<char> buffer_;
  int64_t position_ = 0;
  int64_t written_ = 0;
  bool failed_ = false;
};

bool WriteAt(int fd, const void* data, std::size_t size, int64_t offset) {
  if (g_faultAfter >= 0) return false;
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    ssize_t w = ::pwrite(fd, p, size, offset);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    p += w;
    size -= static_cast<std::size_t>(w);
    offset += w;
  }
  return true;
}

// The 1-based index of every variable, formula and node of the store, by address.
struct StoreIndex {
  std::unordered_map<const void*, int> variables, formulas, nodes;
  StoreIndex() {
    for (int k = 1; k <= VariableCount(); ++k) variables[VariableAt(k)] = k;
    for (int k = 1; k <= FormulaCount(); ++k) formulas[FormulaAt(k)] = k;
    for (int k = 1; k <= NodeCount(); ++k) nodes[NodeAt(k)] = k;
  }
  static int Of(const std::unordered_map<const void*, int>& map, const void* p) {
    auto it = map.find(p);
    return it == map.end() ? 0 : it->second;
  }
};

// The record a written entry stores, with its current size; nullptr when the
// object is gone.
const void* EntryData(const StoreIndex& store, int kind, void* object, int32_t& size) {
  switch (kind) {
    case ObjRandomVariable:
      size = sizeof(TExtendedRandomVariable);
      return StoreIndex::Of(store.variables, object) > 0 ? object : nullptr;
    case ObjFormula:
      size = sizeof(TUdf);
      return StoreIndex::Of(store.formulas, object) > 0 ? object : nullptr;
    case ObjDependenceNode:
    case ObjDependenceNode2:
      size = DepNodeSize();
      return StoreIndex::Of(store.nodes, object) > 0 ? object : nullptr;
    case ObjSampleData:
    case ObjUserDistribution:
    case ObjInputSample:
    case ObjOutputSample:
    case ObjSampleResults: return Fetch_object(kind, 0, nullptr, &size);
    default: return nullptr;
  }
}

struct PlannedEntry {
  int slot;
  TTsmObjectEntry entry;
  const void* data;  // kinds other than 9 and 13
};

// Which entries are written, with their data; node entries are put in the
// order of the node table, so that child and parent indexes read back right.
std::vector<PlannedEntry> PlanEntries() {
  ContainerState& f = Files();
  std::vector<PlannedEntry> plan;
  int distributions = 0;
  DistributionSlots* outputs = DistributionSlotArray(true);
  const StoreIndex store;
  for (int k = 1; k <= f.length; ++k) {
    const TTsmObjectEntry& e = f.entries[k];
    if (!IsWrittenEntry(e)) continue;
    PlannedEntry p{k, e, nullptr};
    if (e.kind == ObjDistribution) {
      ++distributions;
      if (!outputs || distributions > MaxSampleListEntries) continue;
      const std::vector<double>& table = outputs->tables[distributions - 1];
      if (table.empty()) continue;
      p.data = table.data();
      p.entry.size = static_cast<int32_t>(table.size() * sizeof(double));
    } else if (e.kind != ObjCorrelationData) {
      int32_t size = 0;
      p.data = EntryData(store, e.kind, f.objects[k], size);
      if (!p.data) continue;
      p.entry.size = size;
    }
    plan.push_back(p);
  }
  std::vector<std::size_t> nodeSlots;
  for (std::size_t i = 0; i < plan.size(); ++i)
    if (plan[i].entry.kind == ObjDependenceNode || plan[i].entry.kind == ObjDependenceNode2)
      nodeSlots.push_back(i);
  std::vector<PlannedEntry> nodes;
  for (std::size_t i : nodeSlots) nodes.push_back(plan[i]);
  std::stable_sort(
      nodes.begin(), nodes.end(), [&store](const PlannedEntry& a, const PlannedEntry& b) {
        return StoreIndex::Of(store.nodes, a.data) < StoreIndex::Of(store.nodes, b.data);
      });
  for (std::size_t i = 0; i < nodeSlots.size(); ++i) plan[nodeSlots[i]] = nodes[i];
  return plan;
}

// Row j of an output file that was loaded (its entry still names the block in
// the open file).
bool ReadLoadedRow(const TTsmObjectEntry& e, std::vector<char>& out) {
  ContainerState& f = Files();
  int fd = f.outputFd >= 0 ? f.outputFd : f.modelFd;
  // An entry that never came from a file (offset 0) has no row to read.
  if (fd < 0 || e.offset <= 0 || e.size <= 0 || e.size > CorrelationDataSize || e.size % 4 != 0)
    return false;
  out.resize(static_cast<std::size_t>(e.size));
  return ReadAt(fd, out.data(), e.size, e.offset);
}

// Writes the container for the planned entries into fd; false on any failure.
bool WriteContainer(int fd, std::vector<PlannedEntry>& plan, bool outputFile) {
  ContainerState& f = Files();
  TTsmFileHeader& h = f.header;
  const int links = std::clamp(f.linkCount, 0, static_cast<int>(TsmMaxLinks));
  const int64_t linkOffset = 4 + TsmHeaderLength;
  const int64_t directoryOffset = linkOffset + int64_t{links} * TsmLinkRecordSize;
  const int64_t firstData = directoryOffset + static_cast<int64_t>(plan.size()) * TsmEntrySize;
  if (firstData > INT32_MAX) return false;
  BlockStream out(fd);
  out.Zeros(static_cast<std::size_t>(firstData));
  bool hasRows = std::any_of(plan.begin(), plan.end(), [](const PlannedEntry& p) {
    return p.entry.kind == ObjCorrelationData;
  });
  if (hasRows) f.corrIndex.assign(1, TTsmObjectEntry{});
  int row = 0;
  std::vector<char> loaded;
  for (PlannedEntry& p : plan) {
    TTsmObjectEntry& e = p.entry;
    if (out.Position() > INT32_MAX) return false;
    e.offset = static_cast<int32_t>(out.Position());
    if (e.kind == ObjCorrelationData) {
      ++row;
      void* data = nullptr;
      int32_t bytes = outputFile ? Compute_corr_data(row, &data) : 0;
      if (bytes > 0 && data) {
        e.size = bytes;
        out.Write(data, static_cast<std::size_t>(bytes));
      } else if (ReadLoadedRow(f.entries[p.slot], loaded)) {
        e.size = static_cast<int32_t>(loaded.size());
        out.Write(loaded.data(), loaded.size());
      } else {
        e.size = 0;
      }
      TTsmObjectEntry index = e;
      index.state = TsmRegistered;
      f.corrIndex.push_back(index);
    } else if (e.size > 0) {
      out.Write(p.data, static_cast<std::size_t>(e.size));
    }
    e.state =
        (e.kind == ObjDistribution || e.kind == ObjCorrelationData) ? TsmRegistered : TsmInMemory;
    e.link = 0;
    e.memoryRef = 0;
    e.selected = 1;
    e.duplicate = 0;
    if (out.Failed()) return false;
  }
  if (!out.Flush()) return false;

  h.entrySize = TsmEntrySize;
  h.entryCount = static_cast<int32_t>(plan.size());
  h.linkCount = links;
  h.linkTableOffset = static_cast<int32_t>(linkOffset);
  h.linkRecordSize = TsmLinkRecordSize;
  h.directoryOffset = static_cast<int32_t>(directoryOffset);
  h.firstDataOffset = static_cast<int32_t>(firstData);
  std::fill(std::begin(h.kindCounts), std::end(h.kindCounts), int16_t{0});
  for (const PlannedEntry& p : plan) ++h.kindCounts[p.entry.kind - 1];
  h.designVersion = Design2() ? GetDataDesignVersion() : kOldLayoutVersion;

  std::vector<unsigned char> head(static_cast<std::size_t>(firstData), 0);
  int32_t length = TsmHeaderLength;
  std::memcpy(head.data(), &length, 4);
  std::memcpy(head.data() + 4, &h, sizeof h);
  for (int j = 1; j <= links; ++j)
    SetShortString(head.data() + linkOffset + int64_t{j - 1} * TsmLinkRecordSize, 255,
                   f.links[static_cast<std::size_t>(j)]);
  for (std::size_t i = 0; i < plan.size(); ++i)
    std::memcpy(head.data() + directoryOffset + static_cast<int64_t>(i) * TsmEntrySize,
                &plan[i].entry, TsmEntrySize);
  if (!WriteAt(fd, head.data(), head.size(), 0)) return false;
  return ::fsync(fd) == 0;
}

// Writes into a temporary file beside the target and renames it over the
// target; false (the target untouched) on any failure.
bool ReplaceFile(const std::string& target, std::vector<PlannedEntry>& plan, bool outputFile) {
  const BesideFile beside = OpenBeside(target);
  if (beside.fd < 0) return false;
  bool ok = WriteContainer(beside.fd, plan, outputFile);
  if (::close(beside.fd) != 0) ok = false;
  return FinishBeside(beside, ok);
}

void ApplyDisplaySettings(const TTsmFileHeader& h) {
  ContainerState& f = Files();
  int sum = 0;
  for (int k = 0; k < 5; ++k) sum += h.display[k];
  if (sum == 0) {
    f.display[0] = 0;
    return;
  }
  for (int k = 0; k < 5; ++k)
    if (h.display[k] != TsmDisplayNotSet) f.display[k] = h.display[k];
  f.display[1] = std::min<int16_t>(f.display[1], 2);
}

// The size a block of this kind must have; 0 when any size passes the kind's
// own test (kinds 9 and 13), -1 for kinds no file stores.
int32_t FixedBlockSize(int kind) {
  switch (kind) {
    case ObjRandomVariable: return sizeof(TExtendedRandomVariable);
    case ObjFormula: return sizeof(TUdf);
    case ObjDependenceNode:
    case ObjDependenceNode2: return DepNodeSize();
    case ObjSampleData: return sizeof(TSampleData);
    case ObjUserDistribution: return sizeof(TUserQuantiles);
    case ObjInputSample:
    case ObjOutputSample: return sizeof(TSampleList);
    case ObjSampleResults: return sizeof(TSampleResults);
    case ObjDistribution:
    case ObjCorrelationData: return 0;
    default: return -1;
  }
}

bool PlausibleBlock(const TTsmObjectEntry& e, int64_t fileLength) {
  if (e.size < 0 || e.offset < 0 || e.size > fileLength - e.offset) return false;
  int32_t fixed = FixedBlockSize(e.kind);
  if (fixed < 0) return false;
  if (fixed > 0) return e.size == fixed;
  if (e.kind == ObjDistribution) {
    if (e.size % 8 != 0) return false;
    int points = e.size / 8;
    return points == 101 || points == 1001 || points == 10001;
  }
  return e.size % 4 == 0 && e.size <= CorrelationDataSize;
}

// The name that a block of the kind holds, when its length byte is in range
// and the name lies within the available bytes; empty otherwise.
std::string NameInBlock(int kind, const char* block, int64_t available) {
  std::size_t at = 0;
  switch (kind) {
    case ObjRandomVariable:
    case ObjFormula:
    case ObjDependenceNode: break;
    case ObjDependenceNode2: at = offsetof(TDepNodeV2, varName); break;
    default: return {};
  }
  if (!block || available < static_cast<int64_t>(at + MaxNameLength + 1)) return {};
  const auto* name = reinterpret_cast<const unsigned char*>(block + at);
  if (name[0] > MaxNameLength) return {};
  return std::string(ShortStringView(name, MaxNameLength));
}

// Marks the entry deleted and notes it among the objects the load could not
// read, with the name the file still shows at the block's place.
void MarkUnread(TTsmObjectEntry& e, int fd, const std::vector<char>& whole, int64_t fileLength) {
  e.state = TsmDeleted;
  const int64_t size = e.size, offset = e.offset;
  std::string name;
  const int64_t available = std::min(std::max<int64_t>(size, 0), fileLength - offset);
  if (offset >= 0 && available > 0) {
    char head[offsetof(TDepNodeV2, varName) + MaxNameLength + 1] = {};
    const int64_t take = std::min<int64_t>(available, sizeof head);
    const char* block = nullptr;
    if (!whole.empty() && offset + take <= static_cast<int64_t>(whole.size()))
      block = whole.data() + offset;
    else if (ReadAt(fd, head, take, offset))
      block = head;
    name = NameInBlock(e.kind, block, take);
  }
  Files().unread.push_back({e.kind, std::move(name)});
}

// A variable or formula whose fields are outside their ranges is not loaded.
bool ValidBlock(int kind, const char* block) {
  if (kind == ObjRandomVariable) {
    TExtendedRandomVariable rv;
    std::memcpy(&rv, block, sizeof rv);
    return ValidVariableRecord(rv, true);
  }
  if (kind == ObjFormula) {
    TUdf u;
    std::memcpy(&u, block, sizeof u);
    return ValidFormulaRecord(u);
  }
  return true;
}

// Reads the data blocks of slots first..last into the store: a file of
// moderate size in one read, a larger one block by block. Blocks that cannot
// be loaded are noted among the unread objects (a refused duplicate and the
// variables beyond the store's limit are not: they have messages of their own).
int LoadBlocks(int fd, int first, int last, int64_t fileLength) {
  ContainerState& f = Files();
  constexpr int64_t kWholeFile = int64_t{256} << 20;
  std::vector<char> whole;
  if (fileLength <= kWholeFile) {
    try {
      whole.resize(static_cast<std::size_t>(fileLength));
    } catch (const std::bad_alloc&) {
      return TsmReadNoMemory;
    }
    if (!ReadAt(fd, whole.data(), fileLength, 0)) whole.clear();
  }
  int32_t largest = 0;
  for (int k = first; k <= last && whole.empty(); ++k)
    if (PlausibleBlock(f.entries[k], fileLength))
      largest = std::max(largest, int32_t{f.entries[k].size});
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[static_cast<std::size_t>(largest) + 1]);
  if (!buffer) return TsmReadNoMemory;
  for (int k = first; k <= last; ++k) {
    TTsmObjectEntry& e = f.entries[k];
    if (!PlausibleBlock(e, fileLength)) {
      MarkUnread(e, fd, whole, fileLength);
      continue;
    }
    if (e.kind == ObjCorrelationData) continue;  // read when a report asks for it
    const char* block = nullptr;
    if (!whole.empty() && int64_t{e.offset} + e.size <= static_cast<int64_t>(whole.size())) {
      block = whole.data() + e.offset;
    } else if (whole.empty() && ReadAt(fd, buffer.get(), e.size, e.offset)) {
      block = buffer.get();
    }
    if (!block || !ValidBlock(e.kind, block)) {
      MarkUnread(e, fd, whole, fileLength);
      continue;
    }
    if (e.kind == ObjDistribution) SetResolution(e.size / 8 - 1);
    void* object = nullptr;
    int32_t size = 0;
    int32_t result = Create_object(e.kind, block, &object, &size);
    if (result > 0 && object) {
      e.state = TsmInMemory;
      e.size = size;
      f.objects[k] = object;
      continue;
    }
    e.state = TsmDeleted;
    if (result < 0) e.duplicate = -result;
    if (e.kind == ObjRandomVariable && result == 0 && !f.overflowWarned) {
      f.overflowWarned = true;
      RanvarOverflowMessage(true);
    }
    if (e.kind != ObjRandomVariable && result == 0)
      f.unread.push_back({e.kind, NameInBlock(e.kind, block, e.size)});
  }
  return 0;
}

}  // namespace

void SetWriteFaultAfter(int64_t bytes) { g_faultAfter = bytes; }

const std::vector<UnreadObject>& UnreadObjects() { return Files().unread; }

std::string CurrentModelPath() {
  TModelRecord* m = Model();
  if (!m || m->fileName[0] == 0) return {};
  return ModelFolderText() + std::string(ShortStringView(m->fileName));
}

int OpenLocked(const std::string& path, bool exclusive) {
  if (path.empty()) return -1;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      ::flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

void CloseFd(int fd) {
  if (fd >= 0) ::close(fd);
}

bool ReadAt(int fd, void* buffer, int64_t size, int64_t offset) {
  if (fd < 0 || size < 0 || offset < 0) return false;
  char* p = static_cast<char*>(buffer);
  while (size > 0) {
    ssize_t r = ::pread(fd, p, static_cast<std::size_t>(size), offset);
    if (r < 0 && errno == EINTR) continue;
    if (r <= 0) return false;
    p += r;
    size -= r;
    offset += r;
  }
  return true;
}

int ReadFileHeader(const std::string& fileName, int* fd, TTsmFileHeader* header, bool apply) {
  *fd = OpenLocked(fileName, apply);
  if (*fd < 0) {
    std::string_view bare = fileName;
    std::size_t slash = bare.find_last_of("/\\");
    if (slash != std::string_view::npos)
      *fd = OpenLocked(std::string(bare.substr(slash + 1)), apply);
  }
  if (!header) return 0;
  if (*fd < 0) return TsmReadCannotOpen;
  InitFileHeader(header);
  int32_t length = 0;
  if (!ReadAt(*fd, &length, 4, 0)) return TsmReadShort;
  if (!(length > 231 && length < 925)) return TsmReadImplausible;
  if (!ReadAt(*fd, header, std::min<int32_t>(length, TsmHeaderLength), 4)) return TsmReadShort;
  const TTsmFileHeader& h = *header;
  if (h.linkCount < 0 || h.linkCount > TsmMaxDeclaredLinks) return TsmReadImplausible;
  if (!std::isfinite(h.designVersion)) return TsmReadImplausible;
  if (h.designVersion - GetDataDesignVersion() >= 1.0) return TsmReadNewerVersion;
  if (h.entryCount < 0 || h.entryCount > TsmMaxFileEntries) return TsmReadImplausible;
  if (h.entryCount > 0 && (h.entrySize <= 0 || h.directoryOffset < 0)) return TsmReadImplausible;
  if (h.linkCount > 0 && (h.linkRecordSize <= 0 || h.linkTableOffset < 0))
    return TsmReadImplausible;
  if (apply) {
    // A model that already holds nodes keeps their layout: blocks of the other
    // layout are then refused by their size.
    if (NodeCount() == 0) Set_model_dep_type(h.designVersion);
    ApplyDisplaySettings(h);
    int type = GetModelType();
    if (type >= 1 && type <= 3) SetShortString(Files().header.modelTypeName, TypeName(type));
  }
  return 1;
}

}  // namespace tesmira

using namespace tesmira;

extern "C" {

TESMIRA_API void InitFileHeader(TTsmFileHeader* header) {
  tesmira::GuardedVoid([&] {
    if (!header) return;
    TTsmFileHeader& h = *header;
    h.designVersion = GetDataDesignVersion();
    h.modelType = GetModelType();
    SetShortString(h.modelTypeName, TypeName(h.modelType));
    SetShortString(h.description, "");
    h.linkCount = 0;
    h.linkTableOffset = 0;
    h.linkRecordSize = TsmLinkRecordSize;
    h.entryCount = 0;
    h.entrySize = TsmEntrySize;
    h.directoryOffset = 0;
    std::fill(std::begin(h.kindCounts), std::end(h.kindCounts), int16_t{0});
    std::fill(std::begin(h.display), std::end(h.display), int16_t{TsmDisplayNotSet});
  });
}

TESMIRA_API TTsmFileHeader* CurrentFileHeader(void) {
  return tesmira::Guarded<TTsmFileHeader*>(nullptr, [&]() -> TTsmFileHeader* {
    ContainerState& f = Files();
    f.header.entryCount = f.length;
    f.header.linkCount = f.linkCount;
    return &f.header;
  });
}

TESMIRA_API void GetDisplaySettings(int16_t settings[5]) {
  tesmira::GuardedVoid([&] {
    if (settings) std::memcpy(settings, Files().display, sizeof Files().display);
  });
}

TESMIRA_API void SetDisplaySettings(const int16_t settings[5]) {
  tesmira::GuardedVoid([&] {
    if (settings) std::memcpy(Files().display, settings, sizeof Files().display);
  });
}

TESMIRA_API int32_t SetExtractState(int32_t flag) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    Files().extract = flag != 0;
    return Files().extract ? 1 : 0;
  });
}

TESMIRA_API void SetFileHeader(const TTsmFileHeader* header) {
  tesmira::GuardedVoid([&] {
    if (!header) return;
    ContainerState& f = Files();
    std::memmove(&f.header, header, sizeof f.header);
    SetModelType(f.header.modelType);
    int type = GetModelType();
    f.header.modelType = type;
    SetShortString(f.header.modelTypeName, TypeName(type));
  });
}

TESMIRA_API int32_t WriteTSMFile(const char* fileName) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    const bool extract = f.extract;
    f.extract = false;
    std::string target = fileName ? fileName : "";
    if (target.empty() || !Model()) return 0;
    const bool outputFile = IsOutputHeader(f.header);
    TShortString100 savedDescription;
    std::memcpy(savedDescription, f.header.description, sizeof savedDescription);
    const std::string full = Absolute(target);
    const std::string own = CurrentModelPath();
    if (extract && !own.empty() && SamePath(full, Absolute(own))) return 0;
    if (extract) SetShortString(f.header.description, std::string(kExtractMark) + ModelBaseName());
    if (f.outputFd >= 0 && !outputFile) {
      if (f.modelFd == f.outputFd) f.modelFd = -1;
      CloseFd(f.outputFd);
      f.outputFd = -1;
    }
    // The existing target must be writable (the rename would replace it
    // anyway) and not held open by another program; the model's own file is
    // locked by its handle here.
    if (::access(full.c_str(), F_OK) == 0) {
      bool refused = ::access(full.c_str(), W_OK) != 0;
      if (!refused && !(f.modelFd >= 0 && !own.empty() && SamePath(full, Absolute(own)))) {
        int probe = OpenLocked(full, true);
        refused = probe < 0;
        CloseFd(probe);
      }
      if (refused) {
        std::memcpy(f.header.description, savedDescription, sizeof savedDescription);
        return 0;
      }
    }

    std::vector<TTsmObjectEntry> savedEntries(f.entries.begin(), f.entries.begin() + f.length + 1);
    f.header.entrySize = TsmEntrySize;
    bool unselected = false;
    for (int k = 1; k <= f.length; ++k)
      if (IsLiveOf(f.entries[k], 0) && !f.entries[k].selected) unselected = true;
    if (extract || unselected) SelectNodeVariables();
    for (int k = 0; k < 5; ++k)
      if (f.display[k] != TsmDisplayNotSet) f.header.display[k] = f.display[k];

    std::vector<PlannedEntry> plan = PlanEntries();
    const bool ok = ReplaceFile(full, plan, outputFile);
    int32_t result = ok ? static_cast<int32_t>(plan.size()) : 0;
    if (ok && !outputFile && !extract) {
      CloseFd(f.modelFd);
      f.modelFd = OpenLocked(full, true);
      SetModelFileNameText(full);
    }
    std::copy(savedEntries.begin(), savedEntries.end(), f.entries.begin());
    f.header.entryCount = f.length;
    if (extract) std::memcpy(f.header.description, savedDescription, sizeof savedDescription);
    return result;
  });
}

TESMIRA_API int32_t WriteTSOFile(const char* fileName) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    if (!InputSampleList() || !OutputSampleList() || !Model()) return 0;
    const TTsmFileHeader savedHeader = f.header;
    const int savedLength = f.length;
    std::vector<TTsmObjectEntry> savedEntries(f.entries.begin(), f.entries.begin() + f.length + 1);
    std::vector<void*> savedObjects(f.objects.begin(), f.objects.begin() + f.length + 1);

    InitFileHeader(&f.header);
    f.header.modelType = savedHeader.modelType;
    std::memcpy(f.header.modelTypeName, savedHeader.modelTypeName, sizeof f.header.modelTypeName);
    SetShortString(f.header.description, std::string(kOutputMark) + ModelBaseName());
    const int inputs = std::clamp<int>(int{InputSampleList()->count}, 0, MaxSampleListEntries);
    const int outputs = std::clamp<int>(int{OutputSampleList()->count}, 0, MaxSampleListEntries);
    bool registered = Create_TSMObject(ObjSampleData, nullptr) > 0;
    for (int k = 0; k < outputs; ++k)
      registered = registered && Create_TSMObject(ObjDistribution, nullptr) > 0;
    registered = registered && Create_TSMObject(ObjUserDistribution, nullptr) > 0;
    registered = registered && Create_TSMObject(ObjInputSample, nullptr) > 0;
    registered = registered && Create_TSMObject(ObjOutputSample, nullptr) > 0;
    for (int k = 0; k < inputs + outputs; ++k)
      registered = registered && Create_TSMObject(ObjCorrelationData, nullptr) > 0;
    registered = registered && Create_TSMObject(ObjSampleResults, nullptr) > 0;
    int32_t result = 0;
    // Result entries of an output file that was opened are replaced by this run's.
    for (int k = 1; k <= savedLength; ++k)
      if (f.entries[k].kind >= ObjSampleData && f.entries[k].kind <= ObjSampleResults)
        f.entries[k].state = TsmDeleted;
    if (registered) {
      Mark_AllTSMObjectsSelected(true);
      result = WriteTSMFile(fileName);
    }
    if (result > 0) {
      SetCorrDataSource(&CorrRowFromOutputFile);
      if (f.outputFd != f.modelFd) CloseFd(f.outputFd);
      f.outputFd = -1;
      f.outputName = Absolute(fileName);
    }
    f.header = savedHeader;
    f.length = savedLength;
    std::copy(savedEntries.begin(), savedEntries.end(), f.entries.begin());
    std::copy(savedObjects.begin(), savedObjects.end(), f.objects.begin());
    for (std::size_t k = static_cast<std::size_t>(savedLength) + 1; k < f.entries.size(); ++k) {
      f.entries[k] = TTsmObjectEntry{};
      f.objects[k] = nullptr;
    }
    RecountKinds();
    return result;
  });
}

TESMIRA_API int32_t ReadTSMFile(const char* fileName, int32_t level, int32_t linkIndex) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    std::string name = fileName ? fileName : "";
    if (level >= 2 || level < 0 || name.empty() || linkIndex < 0) return 0;
    const bool top = level == 0 && linkIndex == 0;
    TTsmFileHeader temporary{};
    TTsmFileHeader& h = top ? f.header : temporary;
    const int previousFd = f.modelFd;
    int fd = -1;
    int result = ReadFileHeader(name, &fd, &h, top);
    const int32_t fileEntries = h.entryCount;
    const int64_t fileLength = fd >= 0 ? FileLength(fd) : -1;
    const int firstSlot = f.length + 1;
    const bool wasLoading = ModelLoading();
    if (level == 0) f.unread.clear();
    const std::size_t unreadBefore = f.unread.size();
    if (result == 1) {
      SetModelLoading(true, !top);
      f.overflowWarned = false;
      // The directory.
      const int64_t entryEnd = int64_t{h.directoryOffset} + int64_t{h.entryCount} * h.entrySize;
      if (h.entryCount > 0 && entryEnd > fileLength) result = TsmReadShort;
      for (int i = 1; result == 1 && i <= h.entryCount && f.length < TsmMaxEntries; ++i) {
        TTsmObjectEntry e{};
        if (!ReadAt(fd, &e, std::min<int32_t>(int32_t{h.entrySize}, TsmEntrySize),
                    int64_t{h.directoryOffset} + int64_t{i - 1} * h.entrySize)) {
          result = TsmReadShort;
          break;
        }
        e.link = linkIndex;
        e.memoryRef = 0;
        // The model's own objects stay selected, so that saving an opened
        // model writes them again.
        e.selected = linkIndex == 0 ? 1 : 0;
        e.state = TsmRegistered;
        e.duplicate = 0;
        ++f.length;
        f.entries[static_cast<std::size_t>(f.length)] = e;
        f.objects[static_cast<std::size_t>(f.length)] = nullptr;
      }
      if (result == 1 && f.length >= firstSlot) {
        result = LoadBlocks(fd, firstSlot, f.length, fileLength) < 0 ? TsmReadNoMemory : 1;
        // A file none of whose objects could be read is not opened.
        const auto appended = static_cast<std::size_t>(f.length - firstSlot + 1);
        if (result == 1 && f.unread.size() - unreadBefore == appended) result = TsmReadImplausible;
      }
      if (result < 0) {
        for (int k = firstSlot; k <= f.length; ++k) {
          f.entries[static_cast<std::size_t>(k)] = TTsmObjectEntry{};
          f.objects[static_cast<std::size_t>(k)] = nullptr;
        }
        f.length = firstSlot - 1;
      }
      RecountKinds();
      SetModelLoading(wasLoading, false);
    }
    if (result == 1 && top) {
      // The model's own file: it stays open (and locked) as the model's handle.
      if (previousFd >= 0 && previousFd != fd && previousFd != f.outputFd) CloseFd(previousFd);
      f.modelFd = fd;
      fd = -1;
      const int links = std::min<int>(int{h.linkCount}, TsmMaxLinks);
      f.linkCount = 0;
      for (int j = 1; j <= links; ++j) {
        unsigned char record[TsmLinkRecordSize] = {};
        int size = std::min<int32_t>(int32_t{h.linkRecordSize}, TsmLinkRecordSize);
        if (!ReadAt(f.modelFd, record, size,
                    int64_t{h.linkTableOffset} + int64_t{j - 1} * h.linkRecordSize))
          std::memset(record, 0, sizeof record);
        f.links[static_cast<std::size_t>(j)] =
            std::string(ShortStringView(record, static_cast<std::size_t>(size - 1)));
        f.linkCount = j;
      }
      h.linkCount = f.linkCount;
      SetModelFileNameText(Absolute(name));
      for (int j = 1; j <= f.linkCount; ++j) {
        std::string linked = ResolveModelPath(f.links[static_cast<std::size_t>(j)]);
        if (!linked.empty()) ReadTSMFile(linked.c_str(), level + 1, j);
      }
      SetModelType(h.modelType);
    }
    if (!top || result != 1) CloseFd(fd);
    if (!top) f.modelFd = previousFd;
    if (result != 1) return result;
    f.header.entryCount = f.length;
    return fileEntries;
  });
}

TESMIRA_API int32_t GetFileHeader(const char* fileName, void** header) {
  return tesmira::Guarded<int32_t>(0, [&]() -> int32_t {
    ContainerState& f = Files();
    EnsureDirectory();
    if (header) *header = nullptr;
    std::vector<TTsmObjectEntry> saved(f.entries.begin(), f.entries.begin() + f.length + 1);
    const int savedLength = f.length;
    InitFileHeader(&f.probe);
    f.preview = TSampleFileHeader{};
    f.preview.version = 1;
    std::string name = fileName ? fileName : "";
    TModelRecord* m = Model();
    std::string_view file = name;
    if (std::size_t s = file.find_last_of("/\\"); s != std::string_view::npos)
      file = file.substr(s + 1);
    int kind = -1;
    if (name.empty() || (m && m->fileName[0] != 0 && SameName(file, ShortStringView(m->fileName)) &&
                         file.size() == ShortStringView(m->fileName).size())) {
      Mark_AllTSMObjectsSelected(true);
      RecountKinds();
      f.probe = *CurrentFileHeader();
      f.preview = f.sampleHeader;
    } else {
      int fd = -1;
      int r = ReadFileHeader(name, &fd, &f.probe, false);
      CloseFd(fd);
      if (r == TsmReadCannotOpen) kind = TsmKindUnknown;
      if (r < 1 && r != TsmReadCannotOpen) {
        int32_t count = LoadSampleFileHeader(name.c_str(), &f.preview.inputs, &f.preview.outputs);
        if (count > 0) {
          f.preview.count = count;
          SetShortString(f.preview.sampleFile, name);
          SetShortString(f.preview.probabilityFile, ReplaceExtension(name, ".prb"));
        } else if (count == 0) {
          kind = TsmKindUnknown;
        } else {
          f.preview = TSampleFileHeader{};
          uint8_t code = LegacyCountOnly;
          TTsmFileHeader savedHeader = f.header;
          int32_t n = ImportADOSFile(name.c_str(), &code);
          if (n <= 0) {
            kind = TsmKindLegacyUnreadable;
          } else {
            for (int k = 0; k < n; ++k) {
              TTsmObjectEntry e{};
              e.kind = code;
              e.state = TsmInMemory;
              AppendEntry(e, nullptr);
            }
            Mark_AllTSMObjectsSelected(true);
            RecountKinds();
            f.probe = *CurrentFileHeader();
            kind = TsmKindLegacyModel;
          }
          f.header = savedHeader;
        }
      }
    }
    f.length = savedLength;
    std::copy(saved.begin(), saved.end(), f.entries.begin());
    for (std::size_t k = static_cast<std::size_t>(savedLength) + 1; k < f.entries.size(); ++k)
      f.entries[k] = TTsmObjectEntry{};
    RecountKinds();
    f.probeDescribesOutput = false;
    if (kind == TsmKindUnknown || kind == TsmKindLegacyUnreadable) return kind;
    if (f.preview.count > 0) {
      if (header) *header = &f.preview;
      return TsmKindSampleFile;
    }
    if (header) *header = &f.probe;
    if (kind == TsmKindLegacyModel) return kind;
    f.probeDescribesOutput = f.probe.kindCounts[ObjSampleData - 1] > 0;
    return f.probeDescribesOutput ? TsmKindOutput : TsmKindModel;
  });
}

}  // extern "C"
