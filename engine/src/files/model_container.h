// State shared by the model-file container and the object directory: the
// current header, the in-memory directory with the objects' addresses kept
// beside it, the link table, the open file handles and the loader's flags.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "tesmira/model_files.h"

namespace tesmira {

// An object that a read could not load: its block lies outside the file,
// could not be read or holds values outside their ranges. The name is the
// one the block still shows (code page 437), empty when it shows none.
struct UnreadObject {
  int kind = 0;
  std::string name;
};

struct ContainerState {
  TTsmFileHeader header{};  // the current model's header
  TTsmFileHeader probe{};   // the header GetFileHeader reports
  TSampleFileHeader sampleHeader{};
  TSampleFileHeader preview{};
  bool probeDescribesOutput = false;  // the last probe found an output file
  // Directory: slots 1..length; objects[k] is the address of slot k's object.
  std::vector<TTsmObjectEntry> entries;
  std::vector<void*> objects;
  int length = 0;
  // Link table: names[1..linkCount].
  std::array<std::string, TsmMaxLinks + 1> links;
  int linkCount = 0;
  // Handles (-1 when closed). The model's handle holds the lock on its file.
  int modelFd = -1;
  int outputFd = -1;
  std::string outputName;
  bool extract = false;
  // Entry j (1-based) describes correlation row j of the output file last written.
  std::vector<TTsmObjectEntry> corrIndex;
  int corrMarker = 0;
  int16_t display[5] = {0, 2, 0, 5, 2};
  bool outputLoading = false;
  bool directoryUpdate = false;
  bool overflowWarned = false;       // the file being read already warned once
  std::vector<UnreadObject> unread;  // what the last load could not read
};

ContainerState& Files();
// Allocates the directory's slots on first use.
void EnsureDirectory();

// ---- directory helpers --------------------------------------------------------

// Live: state not 3 and the kind matches (0 any; 7 also 16 under design 2).
bool IsLiveOf(const TTsmObjectEntry& e, int kind);
// Slot of the n-th live entry of a kind, or minus the number found.
int FindEntry(int n, int kind);
// Would a write store this entry?
bool IsWrittenEntry(const TTsmObjectEntry& e);
// Recounts the header's per-kind counts over the entries a write would store.
void RecountKinds();
// Appends an entry; false when the directory is full.
bool AppendEntry(const TTsmObjectEntry& e, void* object);
// State 3, the object deleted from the store, the address cleared.
void DeleteEntry(int slot);
// Marks every object selected that a selected node names (kinds 7 and 16).
void SelectNodeVariables();
// Closes both handles (once when they are one) and sets them to -1.
void CloseHandles();

// ---- files ----------------------------------------------------------------------

// The objects that the last load (LoadTSMFile, or ReadTSMFile at level 0)
// could not read, its linked files' included, in directory order.
const std::vector<UnreadObject>& UnreadObjects();

// Reads a header: 1, 0 (no header asked: only opened), or a TsmRead* code.
// With apply the file's design version and display settings become the
// program's; a probe passes false. *fd receives the open handle (or -1).
int ReadFileHeader(const std::string& fileName, int* fd, TTsmFileHeader* header, bool apply);
// Opens a file read only with an advisory lock (exclusive or shared);
// -1 when it can not be opened or another holder has locked it.
int OpenLocked(const std::string& path, bool exclusive);
void CloseFd(int fd);
// Reads size bytes at offset; true when all were read.
bool ReadAt(int fd, void* buffer, int64_t size, int64_t offset);
// A path as given, with "/" for "\", then by file name in the model's folder
// (without regard to case); empty when none exists.
std::string ResolveModelPath(std::string_view name);
// The model's folder + file name.
std::string CurrentModelPath();

// The output file's correlation rows: the entry of row i (the directory's
// i-th live row, else the index of the file last written), and the reader the
// engine calls for Get_sample_correlation.
const TTsmObjectEntry* CorrRowEntry(int32_t row);
bool CorrRowFromOutputFile(int32_t i, float* row, int32_t* bytes);

// Test hook: the writer fails after this many bytes (negative: never).
void SetWriteFaultAfter(int64_t bytes);

}  // namespace tesmira
