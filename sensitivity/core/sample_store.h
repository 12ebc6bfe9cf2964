// The sample store, the variable list and the run record of the
// sensitivity program Tesvane.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

#include "matrix.h"

namespace tesvane {

inline constexpr const char* CRLF = "\r\n";
// A variable with at most this many distinct values is discrete; distinct
// counting stops once DiscreteThreshold + 1 values are known.
inline constexpr int32_t DiscreteThreshold = 20;
// Most variables loaded without the picker; also the picker's limit.
inline constexpr int32_t MaxImportVariables = 69;

// Every error the core raises: a message meant for the user (it names the file
// when a file is concerned).
class ESensitivityError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TRandomVariable {
 public:
  int32_t Id = 0;
  std::string Name;
  std::string Description;
  int32_t VarType = 2;       // 0 continuous, 1 discrete, 2 not known
  int32_t IsFunctional = 2;  // 0 probabilistic (input), 1 functional (output), 2 not known
  std::string BinaryFileName;

  // The functional flag comes before the type, as the documented constructor takes them.
  TRandomVariable(int32_t id, std::string name, std::string description, int32_t isFunctional,
                  int32_t varType, std::string binaryFileName);
  TRandomVariable(const TRandomVariable&) = default;
  TRandomVariable& operator=(const TRandomVariable&) = default;

  std::string TypeText() const;        // "continunous", "discrete", "n/a"
  std::string FunctionalText() const;  // "probabilistic / input", "functional / output", "n/a"
};

using TRandomVariableRef = std::shared_ptr<TRandomVariable>;

// A list of variables. The variables are shared: a list that only refers to
// variables held elsewhere (a job's explanatory list) keeps them alive but
// never copies them.
class TRandVarList {
 public:
  std::vector<TRandomVariableRef> Items;

  int32_t Count() const { return static_cast<int32_t>(Items.size()); }
  void Add(TRandomVariableRef variable) { Items.push_back(std::move(variable)); }
  // First item whose Name equals text without regard to ASCII letter case.
  TRandomVariableRef FindByName(const std::string& text) const;
  // First item whose Id equals id.
  TRandomVariableRef FindById(int32_t id) const;
  void FreeItems() { Items.clear(); }
  const TRandomVariable& operator[](int32_t i) const { return *Items[static_cast<size_t>(i)]; }
};

class TIntList {
 public:
  std::vector<int32_t> Items;

  int32_t Count() const { return static_cast<int32_t>(Items.size()); }
  void Add(int32_t value) { Items.push_back(value); }
};

// The sample store: exactly one loaded sample file at a time.
class TFileData {
 public:
  std::string FileName;
  std::vector<std::string> Names;
  int32_t VarCount = 0;
  int32_t SampleCount = 0;
  std::vector<std::vector<double>> Samples;  // [VarCount][SampleCount]
  std::vector<int32_t> DistinctCounts;       // counted up to DiscreteThreshold + 1
  std::vector<double> MinValues;
  std::vector<double> MaxValues;
  TRandVarList Variables;

  // Closing the sample file: empties FileName, Names and
  // Samples and the counts; the other arrays keep their content.
  void Close();
};

// A job's matrix: a square matrix given as a view into a shared matrix through
// a map of positions, so that the jobs of one batch share one correlation
// matrix and one cofactor matrix per set of variables (the documented record stores one
// full matrix per job; the view reads the same cells).
class TJobMatrix {
 public:
  TJobMatrix() = default;
  // A matrix of its own (identity map).
  explicit TJobMatrix(TSquareMatrix own);
  TJobMatrix(std::shared_ptr<const TSquareMatrix> base, std::vector<int32_t> map);

  int32_t Size() const { return static_cast<int32_t>(map_.size()); }
  double operator()(int32_t row, int32_t column) const {
    return (*base_)(map_[static_cast<size_t>(row)], map_[static_cast<size_t>(column)]);
  }
  TSquareMatrix ToMatrix() const;

 private:
  std::shared_ptr<const TSquareMatrix> base_;
  std::vector<int32_t> map_;
};

class TSensitivityItem;
class TCorrRatioInfo;

// The run record. CorrMatrices, CofactorMatrices and Results grow across runs;
// Clear empties them together. Lock guards them while a worker appends.
class TRunData {
 public:
  std::vector<TJobMatrix> CorrMatrices;
  std::vector<TJobMatrix> CofactorMatrices;
  std::vector<std::unique_ptr<TSensitivityItem>> Results;
  std::vector<std::unique_ptr<TCorrRatioInfo>> Jobs;
  mutable std::mutex Lock;

  TRunData();
  ~TRunData();
  // Empties the results and both matrix arrays (the result list's Clear and
  // the closing of the sample file).
  void ClearResults();
};

class TResultFormat {
 public:
  std::string FormatString;
  int32_t Precision = 4;
};

extern TFileData FileData;
extern TRunData RunData;
extern TResultFormat ResultFormat;
extern std::string ExeFolder;

// Compares two texts without regard to ASCII letter case.
bool SameTextAscii(std::string_view a, std::string_view b);

}  // namespace tesvane
