// Model files (".tsm"), output files (".tso") and extract files: the
// container's header and directory records, the object directory of the open
// model, linked files, the sample-file and legacy-model loaders, and the
// hand-over to the belief-net program.
//
// Container layout: int32 header length (462), the header, the linked-file
// table (256 bytes per link), the directory (23 bytes per entry) and the data
// blocks, each at the offset its entry gives. Little-endian throughout.
#pragma once

#include <stdbool.h>
#include <stddef.h>
#include <stdint.h>

#include "tesmira/api.h"
#include "tesmira/objects.h"
#include "tesmira/records.h"

#ifdef __cplusplus
extern "C" {
#endif

enum {
  TsmHeaderLength = 462,
  TsmLinkRecordSize = 256,
  TsmEntrySize = 23,
  TsmMaxEntries = 5000,
  TsmMaxLinks = 31,
  TsmMaxDeclaredLinks = 320,
  TsmMaxFileEntries = 50000,
  TsmDisplayNotSet = -777
};

// Results of the readers.
enum {
  TsmReadCannotOpen = -1,
  TsmReadShort = -2,
  TsmReadImplausible = -3,
  TsmReadNewerVersion = -4,
  TsmReadNoMemory = -5
};

// File kinds reported by GetFileHeader.
enum {
  TsmKindUnknown = 0,
  TsmKindLegacyUnreadable = 1,
  TsmKindModel = 2,
  TsmKindOutput = 3,
  TsmKindSampleFile = 4,
  TsmKindLegacyModel = 5
};

// Entry states.
enum { TsmRegistered = 1, TsmInMemory = 2, TsmDeleted = 3 };

// Loader modes of LoadTSMFile.
enum { TsmOpen = 0, TsmOpenListed = 1, TsmMerge = 2, TsmLink = 3, TsmConvert = 4 };

// The legacy import's count-only code (ImportADOSFile, DOStoTSMObjects).
enum { LegacyCountOnly = 17 };

#pragma pack(push, 1)

typedef struct TTsmFileHeader {
  double designVersion;          // 0
  int32_t modelType;             // 8
  TShortString32 modelTypeName;  // 12
  TShortString100 description;   // 45
  int32_t linkCount;             // 146
  int32_t linkTableOffset;       // 150: absolute
  int32_t linkRecordSize;        // 154
  int32_t entryCount;            // 158
  int32_t entrySize;             // 162
  int32_t directoryOffset;       // 166: absolute
  int16_t kindCounts[16];        // 170: element k-1 counts kind k
  int16_t display[16];      // 202: quantperdistrib, fpformat, fpwidth, fpprecision, fpprecisionCMX
  uint8_t reserved1[96];    // 234
  int32_t firstDataOffset;  // 330: absolute
  uint8_t reserved2[128];   // 334
} TTsmFileHeader;

typedef struct TTsmObjectEntry {
  uint8_t kind;       // 0: object kind 1..16, 0 for an empty slot
  uint8_t state;      // 1: TsmRegistered, TsmInMemory or TsmDeleted
  int32_t link;       // 2: 0 the model's own object, n linked file n
  int32_t size;       // 6: bytes of the data block
  int32_t offset;     // 10: offset of the block in the file it came from
  int32_t memoryRef;  // 14: always 0 (the object's address is kept beside the directory)
  uint8_t selected;   // 18
  int32_t duplicate;  // 19: index of the same-named object a loaded one duplicates
} TTsmObjectEntry;

// The header block of a text sample file.
typedef struct TSampleFileHeader {
  int32_t version;
  TSampleList inputs;
  TSampleList outputs;
  int32_t count;
  TShortString255 sampleFile;
  TShortString255 probabilityFile;
} TSampleFileHeader;

#pragma pack(pop)

// ---- the container ---------------------------------------------------------

// Sets a header to its defaults (reserved bytes and first data offset kept).
TESMIRA_API void InitFileHeader(TTsmFileHeader* header);
// Writes the model (or in extract mode its selected part); the number of
// directory entries written, 0 on failure or refusal.
TESMIRA_API int32_t WriteTSMFile(const char* fileName);
// Writes the output file of the last run; 0 when there are no run results.
TESMIRA_API int32_t WriteTSOFile(const char* fileName);
// Appends the objects of a file to the directory; the file's entry count, 0
// or a TsmRead* code.
TESMIRA_API int32_t ReadTSMFile(const char* fileName, int32_t level, int32_t linkIndex);
// Probes a file: a TsmKind* value; *header designates a TTsmFileHeader
// (kinds 2, 3, 5), a TSampleFileHeader (kind 4) or nothing.
TESMIRA_API int32_t GetFileHeader(const char* fileName, void** header);
// Replaces the current model's header (none: nothing happens).
TESMIRA_API void SetFileHeader(const TTsmFileHeader* header);
// Extract mode on (1) or off (0); returns the flag.
TESMIRA_API int32_t SetExtractState(int32_t flag);
// The current model's header (never none).
TESMIRA_API TTsmFileHeader* CurrentFileHeader(void);
// The display settings (quantperdistrib, fpformat, fpwidth, fpprecision,
// fpprecisionCMX) that files apply and store.
TESMIRA_API void GetDisplaySettings(int16_t settings[5]);
TESMIRA_API void SetDisplaySettings(const int16_t settings[5]);

// ---- the object directory ------------------------------------------------------

TESMIRA_API int32_t Create_TSMObject(int32_t kind, const void* data);
TESMIRA_API bool Delete_TSMObject(void* object);
TESMIRA_API int32_t Fetch_TSMObject(const void* object);
TESMIRA_API void* Get_TSMObject(int32_t n, int32_t kind);
TESMIRA_API void Get_TSMObjectName(int32_t kind, const void* object, char* out);
TESMIRA_API int32_t Get_TSMObjectsNumber(int32_t kind);
TESMIRA_API int32_t Get_TSMObjectIndex(const void* object, int32_t kind);
TESMIRA_API int32_t Swap_TSMObjects(int32_t i, int32_t j, int32_t kind);
TESMIRA_API int32_t Mark_TSMObjectSelected(int32_t n, int32_t kind, bool flag);
TESMIRA_API int32_t Mark_AllTSMObjectsSelected(bool flag);
TESMIRA_API int32_t IsSelectedTSMObject(int32_t n, int32_t kind);
TESMIRA_API int32_t IsLinkedTSMObject(int32_t n, int32_t kind);
TESMIRA_API int32_t ScanDuplicateNames(void);
TESMIRA_API int32_t Update_TSMObjects(int32_t kind);
// Entry n (1-based slot) of the directory, none outside its length.
TESMIRA_API const TTsmObjectEntry* Get_TSMObjectEntry(int32_t slot);

// ---- files and links -------------------------------------------------------------

TESMIRA_API int32_t LoadTSMFile(const char* fileName, int32_t mode);
TESMIRA_API int32_t UnlinkTSMFile(int32_t linkIndex);
TESMIRA_API int32_t ChangeLinkFile(int32_t linkIndex, const char* fileName);
TESMIRA_API int32_t ScanDeadLinks(void);
TESMIRA_API int32_t GetLinkedFilesNumber(void);
TESMIRA_API void GetLinkedFile(int32_t n, int32_t kind, char* out);
TESMIRA_API int32_t Merge_LinkedObjects(int32_t n, int32_t kind);
TESMIRA_API int32_t LoadSampleFile(const char* fileName);
TESMIRA_API int32_t DOStoTSMObjects(const char* fileName, uint8_t* kind);
// Reads correlation row `row` of the output file into buffer (8000 bytes);
// true when the whole row was read.
TESMIRA_API bool GetCorrData(void* buffer, int32_t row);

// The overflow warning: the workbench installs the handler that shows the
// text (a warning box with OK); without one nothing is shown.
typedef void (*TRanvarOverflowHandler)(const char* text);
TESMIRA_API void SetRanvarOverflowHandler(TRanvarOverflowHandler handler);
TESMIRA_API int32_t RanvarOverflowMessage(bool loading);

TESMIRA_API bool Init_data(void);
TESMIRA_API void End_data(void);

// ---- legacy (DOS) models -----------------------------------------------------------

TESMIRA_API int32_t Read_randomvariables_file(const char* baseName);
TESMIRA_API int32_t Read_formula_file(const char* baseName);
TESMIRA_API int32_t Read_dependence_file(const char* baseName);
// kind in/out: LegacyCountOnly on entry counts only; the kind read on exit.
TESMIRA_API int32_t ImportADOSFile(const char* fileName, uint8_t* kind);

// ---- hand-over to the belief-net program -------------------------------------------

// Writes the ".RVINFO" file of the current model; false when it can not be written.
TESMIRA_API bool WriteRvInfoFile(void);
// Folder + base name + "." + extension into out; false (out empty) for a
// name without a proper base name ("Invalid filename  [ChangeFileExtension]").
TESMIRA_API bool ChangeFileExtension(const char* fileName, const char* extension, char* out);

// What the launcher needs of the workbench's windows. Every member may be none.
typedef struct TPellianWindowHooks {
  // The main window's screen rectangle.
  void (*getMainRect)(int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);
  // Hides (false) or shows (true) the workbench's two windows.
  void (*showWindows)(bool show);
  // Moves the main window to a rectangle (position and size).
  void (*moveMainWindow)(int32_t left, int32_t top, int32_t width, int32_t height);
  // True once the program (process id) shows its window; fills its rectangle
  // when known. None: a running program counts as shown.
  bool (*programWindow)(int32_t pid, int32_t* left, int32_t* top, int32_t* right, int32_t* bottom);
  // Waits about ms milliseconds while the caller keeps its windows alive
  // (a timer of the caller's event loop). None: the engine sleeps.
  void (*wait)(int32_t ms);
} TPellianWindowHooks;

TESMIRA_API void SetPellianWindowHooks(const TPellianWindowHooks* hooks);
// Starts "<folder>/Pellian/Pellian" with the ".RVINFO" and ".TPS" names, the
// main window's rectangle and, with useExisting, -existingbbn <file>; waits
// until the program ends. True when it was started and showed its window.
TESMIRA_API bool LaunchPellian(const char* programFolder, const char* existingFile,
                               bool useExisting);

#ifdef __cplusplus
}  // extern "C"

TESMIRA_RAW_RECORD(TTsmFileHeader);
static_assert(sizeof(TTsmFileHeader) == 462);
static_assert(offsetof(TTsmFileHeader, modelTypeName) == 12);
static_assert(offsetof(TTsmFileHeader, description) == 45);
static_assert(offsetof(TTsmFileHeader, linkCount) == 146);
static_assert(offsetof(TTsmFileHeader, entryCount) == 158);
static_assert(offsetof(TTsmFileHeader, directoryOffset) == 166);
static_assert(offsetof(TTsmFileHeader, kindCounts) == 170);
static_assert(offsetof(TTsmFileHeader, display) == 202);
static_assert(offsetof(TTsmFileHeader, reserved1) == 234);
static_assert(offsetof(TTsmFileHeader, firstDataOffset) == 330);
static_assert(offsetof(TTsmFileHeader, reserved2) == 334);
TESMIRA_RAW_RECORD(TTsmObjectEntry);
static_assert(sizeof(TTsmObjectEntry) == 23);
static_assert(offsetof(TTsmObjectEntry, size) == 6);
static_assert(offsetof(TTsmObjectEntry, offset) == 10);
static_assert(offsetof(TTsmObjectEntry, memoryRef) == 14);
static_assert(offsetof(TTsmObjectEntry, selected) == 18);
static_assert(offsetof(TTsmObjectEntry, duplicate) == 19);
#endif
