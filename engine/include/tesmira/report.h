// The report-data interface: the results of the last run described as a fixed
// tree of 23 report sections, with the tables' shapes and every cell's text or
// number. The workbench's report writers and outside programs read it.
//
// ELF has no ordinals; the functions are exported by name. Their ordinals in
// the published interface: 134 Rep_get_next_section, 135 Rep_get_object_data,
// 136 Rep_get_table_info, 137 Rep_get_section_info.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "tesmira/api.h"

#ifdef __cplusplus
extern "C" {
#endif

// Section kinds.
enum { RepHeading = 1, RepText = 2, RepTable = 3 };

// Cell kinds of TRepObjectData.
enum {
  RepCellNone = 0,
  RepCellText = 4,
  RepCellInteger = 6,
  RepCellStatistic = 7,
  RepCellPercentHeader = 9,
  RepCellPercentile = 10,
  RepCellCorrelation = 11,
  RepCellRandomVariable = 13,
  RepCellFormula = 14,
  RepCellDepNode = 15
};

// Records with natural alignment; short strings are a length byte followed by
// up to 255 characters (code page 437).
typedef struct TRepSectionInfo {
  uint8_t sectionId;         // 0 in
  uint8_t firstChild;        // 1
  unsigned char title[256];  // 2
  uint8_t titled;            // 258
  int32_t count;             // 260
  uint8_t kind;              // 264
} TRepSectionInfo;

typedef struct TRepTableInfo {
  uint8_t sectionId;          // 0 in
  uint8_t tableKind;          // 1
  int32_t rows;               // 4
  int32_t columns;            // 8
  unsigned char header[256];  // 12
  int32_t selectedOutput;     // 268 in: 1-based, section 22 only
} TRepTableInfo;

typedef struct TRepObjectData {
  uint8_t sectionId;        // 0 in
  int32_t selectedOutput;   // 4 in/out
  int32_t row;              // 8 in/out
  int32_t column;           // 12 in
  uint8_t cellKind;         // 16
  unsigned char text[256];  // 17 in: a name to look up; out: the cell text
  int32_t integer;          // 276
  double number;            // 280
  char character;           // 288
} TRepObjectData;

// 1 done, 0 no data, -1 unknown section (or a null record).
TESMIRA_API int32_t Rep_get_section_info(TRepSectionInfo* info);
TESMIRA_API int32_t Rep_get_table_info(TRepTableInfo* info);
TESMIRA_API int32_t Rep_get_object_data(TRepObjectData* data);
// The next sibling of a section, 0 for none (low seven bits of the id used).
TESMIRA_API int32_t Rep_get_next_section(int32_t sectionId);

#ifdef __cplusplus
}  // extern "C"

static_assert(sizeof(TRepSectionInfo) == 268);
static_assert(offsetof(TRepSectionInfo, title) == 2);
static_assert(offsetof(TRepSectionInfo, titled) == 258);
static_assert(offsetof(TRepSectionInfo, count) == 260);
static_assert(offsetof(TRepSectionInfo, kind) == 264);
static_assert(sizeof(TRepTableInfo) == 272);
static_assert(offsetof(TRepTableInfo, rows) == 4);
static_assert(offsetof(TRepTableInfo, columns) == 8);
static_assert(offsetof(TRepTableInfo, header) == 12);
static_assert(offsetof(TRepTableInfo, selectedOutput) == 268);
static_assert(sizeof(TRepObjectData) == 296);
static_assert(offsetof(TRepObjectData, selectedOutput) == 4);
static_assert(offsetof(TRepObjectData, row) == 8);
static_assert(offsetof(TRepObjectData, column) == 12);
static_assert(offsetof(TRepObjectData, cellKind) == 16);
static_assert(offsetof(TRepObjectData, text) == 17);
static_assert(offsetof(TRepObjectData, integer) == 276);
static_assert(offsetof(TRepObjectData, number) == 280);
static_assert(offsetof(TRepObjectData, character) == 288);
#endif
