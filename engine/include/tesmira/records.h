// Records shared by the whole workbench: the global model record, the
// random-variable, formula and dependence-node records, and the marker values.
//
// The variable, formula and node records are file formats: they are packed,
// little-endian, and their in-memory bytes are the bytes written to model
// files and to the clipboard. Sizes and offsets are checked below.
#pragma once

#include <stddef.h>
#include <stdint.h>

#include "tesmira/api.h"

#ifdef __cplusplus
extern "C" {
#endif

// ---- limits -------------------------------------------------------------
enum {
  MaxNameLength = 32,  // names of variables, formulas and nodes
  MaxVariables = 1000,
  MaxNodes = 1000,
  MaxFormulas = 1000,
  FormulaSlots = 1001,
  MaxDistributionTables = 100,
  MaxChildren = 256,
  CorrValueSlots = 512,
  DiscretePairs = 20,
  TextLines = 20,
  ValueSlots = 20
};

// ---- markers ------------------------------------------------------------
#define CorrNotSet (-3.125e-05)
#define CorrUnavailable (-6.25e-05)
#define MissingValue (-5.4321e-05)

// ---- model types --------------------------------------------------------
enum {
  ModelTypeUnspecified = 0,
  ModelTypeFaultTree = 1,
  ModelTypeFormula = 2,
  ModelTypeZoziVor = 3,
  ModelTypeCustom = 4
};

// ---- distribution type codes -------------------------------------------
enum {
  DistConstant = 1,
  DistUniform = 2,
  DistLogUniform = 3,
  DistNormal = 4,
  DistLogNormal = 5,
  DistExponential = 6,
  DistGamma = 7,
  DistWeibull = 8,
  DistBeta = 9,
  DistTriangular = 10,
  DistFile100 = 11,
  DistSampleFile = 12,
  DistDiscrete = 13,
  DistFile1000 = 14,
  DistFile10000 = 15
};

// ---- dependence structure types and copula types -------------------------
enum {
  DepCompositeNode = -3,
  DepLatentNode = -2,
  DepTree = 0,
  DepCorrelationMatrix = 1,
  DepCanonicalVine = 2,
  DepDVine = 3,
  DepUserVine = 4
};

enum {
  CopulaFrank = 0,
  CopulaDiagonalBand = 1,
  CopulaMinimumInformation = 2,
  CopulaElliptical = 3,
  CopulaNormal = 4,
  CopulaClayton = 5,  // 5..8: the four Clayton variants
  CopulaGumbel = 9    // 9..12: the four Gumbel variants
};

#pragma pack(push, 1)

// Short strings: a length byte followed by the characters.
typedef unsigned char TShortString32[MaxNameLength + 1];
typedef unsigned char TShortString80[81];
typedef unsigned char TShortString100[101];
typedef unsigned char TShortString126[127];
typedef unsigned char TShortString255[256];

typedef struct TDiscretePair {
  float value;
  float probability;
} TDiscretePair;

// The distribution part of a variable (288 bytes).
typedef struct TDistribution {
  TShortString32 name;            // 0
  uint8_t distType;               // 33
  union {                         // 34..287, laid out by type
    double params[4];             // types 1..10
    unsigned char fileName[254];  // types 11, 14, 15: short string, up to 253 characters
    struct {
      TShortString126 sampleFile;       // 34
      TShortString126 probabilityFile;  // 161
    } sample;                           // type 12
    struct {
      TDiscretePair pairs[DiscretePairs];  // 34 + 8k
      int16_t count;                       // 194
    } discrete;                            // type 13
    unsigned char raw[254];
  } u;
} TDistribution;

typedef struct TExtendedRandomVariable {
  TDistribution distribution;      // 0
  int16_t samplePosition;          // 288
  uint8_t readingFile;             // 290
  TShortString100 description;     // 291
  TShortString80 text[TextLines];  // 392
  double values[ValueSlots];       // 2012
  int32_t representation;          // 2172
} TExtendedRandomVariable;

typedef struct TUdf {
  TShortString32 name;          // 0
  TShortString100 description;  // 33
  uint8_t evaluated;            // 134
  TShortString255 text;         // 135
  int32_t reserved;             // 391
  double value;                 // 395
} TUdf;

typedef struct TDepNodeV1 {
  TShortString32 varName;     // 0
  TShortString32 parentName;  // 33
  double rankCorr;            // 66
  uint8_t childCount;         // 74
  uint8_t typeBits;           // 75: bits 0-1 copula, bits 3-7 structure type
  union {                     // 76
    int32_t children[MaxChildren];
    int16_t values[CorrValueSlots];
  } u;
  int32_t vineLevel;  // 1100
  int32_t reserved;   // 1104
} TDepNodeV1;

typedef struct TDepNodeV2 {
  int32_t recordSize;                 // 0
  TShortString32 structName;          // 4
  TShortString32 varName;             // 37
  double rankCorr;                    // 70
  double zero;                        // 78
  int16_t parent;                     // 86
  int16_t childCount;                 // 88
  int16_t capacity;                   // 90
  int16_t copula;                     // 92
  int16_t depType;                    // 94
  int16_t vineLevel;                  // 96
  int16_t orderStamp;                 // 98
  int32_t savedDepType;               // 100
  unsigned char unused1[8];           // 104
  int16_t children[MaxChildren];      // 112
  int16_t unused2[1000];              // 624
  float values[CorrValueSlots];       // 2624
  float savedValues[CorrValueSlots];  // 4672
} TDepNodeV2;

#pragma pack(pop)

// The one global model (memory only; natural alignment).
typedef struct TModelRecord {
  TShortString255 fileName;
  TShortString255 designTag;
  TShortString255 folder;
  int32_t varCount;
  TExtendedRandomVariable* vars[MaxVariables + 1];  // 1-based; [0] unused
  int32_t nodeCount;
  void* nodes[MaxNodes + 1];  // 1-based; TDepNodeV1* or TDepNodeV2*
  int32_t modelType;
  int32_t formulaCount;
  TUdf* formulas[FormulaSlots];                 // formula k in slot k-1
  void* distTables[MaxDistributionTables + 1];  // 1-based; owned by the formula engine
} TModelRecord;

#ifdef __cplusplus
}  // extern "C"

TESMIRA_RAW_RECORD(TDistribution);
static_assert(sizeof(TDistribution) == 288);
static_assert(offsetof(TDistribution, distType) == 33);
static_assert(offsetof(TDistribution, u) == 34);
static_assert(offsetof(TDistribution, u.sample.probabilityFile) == 161);
static_assert(offsetof(TDistribution, u.discrete.count) == 194);
TESMIRA_RAW_RECORD(TExtendedRandomVariable);
static_assert(sizeof(TExtendedRandomVariable) == 2176);
static_assert(offsetof(TExtendedRandomVariable, samplePosition) == 288);
static_assert(offsetof(TExtendedRandomVariable, readingFile) == 290);
static_assert(offsetof(TExtendedRandomVariable, description) == 291);
static_assert(offsetof(TExtendedRandomVariable, text) == 392);
static_assert(offsetof(TExtendedRandomVariable, values) == 2012);
static_assert(offsetof(TExtendedRandomVariable, representation) == 2172);
TESMIRA_RAW_RECORD(TUdf);
static_assert(sizeof(TUdf) == 403);
static_assert(offsetof(TUdf, evaluated) == 134);
static_assert(offsetof(TUdf, text) == 135);
static_assert(offsetof(TUdf, reserved) == 391);
static_assert(offsetof(TUdf, value) == 395);
TESMIRA_RAW_RECORD(TDepNodeV1);
static_assert(sizeof(TDepNodeV1) == 1108);
static_assert(offsetof(TDepNodeV1, rankCorr) == 66);
static_assert(offsetof(TDepNodeV1, typeBits) == 75);
static_assert(offsetof(TDepNodeV1, u) == 76);
static_assert(offsetof(TDepNodeV1, vineLevel) == 1100);
TESMIRA_RAW_RECORD(TDepNodeV2);
static_assert(sizeof(TDepNodeV2) == 6720);
static_assert(offsetof(TDepNodeV2, varName) == 37);
static_assert(offsetof(TDepNodeV2, rankCorr) == 70);
static_assert(offsetof(TDepNodeV2, parent) == 86);
static_assert(offsetof(TDepNodeV2, copula) == 92);
static_assert(offsetof(TDepNodeV2, savedDepType) == 100);
static_assert(offsetof(TDepNodeV2, children) == 112);
static_assert(offsetof(TDepNodeV2, values) == 2624);
static_assert(offsetof(TDepNodeV2, savedValues) == 4672);
#endif
