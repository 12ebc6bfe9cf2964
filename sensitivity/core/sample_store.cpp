#include "sample_store.h"

#include "jobs.h"
#include "reader_host.h"
#include "sensitivity_item.h"
#include "settings.h"

namespace tesvane {

TFileData FileData;
TRunData RunData;
TResultFormat ResultFormat;
std::string ExeFolder;

bool SameTextAscii(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
    if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
    if (x != y) return false;
  }
  return true;
}

TRandomVariable::TRandomVariable(int32_t id, std::string name, std::string description,
                                 int32_t isFunctional, int32_t varType, std::string binaryFileName)
    : Id(id),
      Name(std::move(name)),
      Description(std::move(description)),
      VarType(varType),
      IsFunctional(isFunctional),
      BinaryFileName(std::move(binaryFileName)) {}

std::string TRandomVariable::TypeText() const {
  switch (VarType) {
    case 0: return "continunous";
    case 1: return "discrete";
    default: return "n/a";
  }
}

std::string TRandomVariable::FunctionalText() const {
  switch (IsFunctional) {
    case 0: return "probabilistic / input";
    case 1: return "functional / output";
    default: return "n/a";
  }
}

TRandomVariableRef TRandVarList::FindByName(const std::string& text) const {
  for (const auto& v : Items)
    if (SameTextAscii(v->Name, text)) return v;
  return nullptr;
}

TRandomVariableRef TRandVarList::FindById(int32_t id) const {
  for (const auto& v : Items)
    if (v->Id == id) return v;
  return nullptr;
}

void TFileData::Close() {
  FileName.clear();
  Names.clear();
  VarCount = 0;
  SampleCount = 0;
  Samples.clear();
  Samples.shrink_to_fit();
}

TJobMatrix::TJobMatrix(TSquareMatrix own)
    : base_(std::make_shared<const TSquareMatrix>(std::move(own))) {
  map_.resize(static_cast<size_t>(base_->Size()));
  for (size_t i = 0; i < map_.size(); ++i) map_[i] = static_cast<int32_t>(i);
}

TJobMatrix::TJobMatrix(std::shared_ptr<const TSquareMatrix> base, std::vector<int32_t> map)
    : base_(std::move(base)), map_(std::move(map)) {}

TSquareMatrix TJobMatrix::ToMatrix() const {
  TSquareMatrix m(Size());
  for (int32_t i = 0; i < Size(); ++i)
    for (int32_t j = 0; j < Size(); ++j) m(i, j) = (*this)(i, j);
  return m;
}

TRunData::TRunData() = default;
TRunData::~TRunData() = default;

void TRunData::ClearResults() {
  std::lock_guard<std::mutex> guard(Lock);
  CorrMatrices.clear();
  CofactorMatrices.clear();
  Results.clear();
}

std::vector<int32_t> SelectVariablesOnLoad(const TRandVarList& all, const TIntList* selection,
                                           TReaderHost& host, const std::string& fileName) {
  const int32_t n = all.Count();
  std::vector<int32_t> selected;
  if (selection != nullptr) {
    for (int32_t id : selection->Items) {
      if (id < 0 || id >= n)
        throw ESensitivityError("The variable number " + std::to_string(id + 1) +
                                " is not in the file " + fileName);
      selected.push_back(id);
    }
  } else {
    TIniFile ini(SettingsFileName());
    bool picked = false;
    if (ReadImportSelected(ini) || n > MaxImportVariables) {
      TIntList checked;
      if (host.PickVariables(all, MaxImportVariables, checked)) {
        picked = true;
        for (int32_t id : checked.Items) {
          if (id < 0 || id >= n) continue;
          selected.push_back(id);
        }
      }
    }
    if (!picked)
      for (int32_t i = 0; i < std::min(MaxImportVariables, n); ++i) selected.push_back(i);
  }
  if (selected.empty())
    throw ESensitivityError("No variable of the file " + fileName + " is selected");
  return selected;
}

TRandVarList CopySelectedVariables(const TRandVarList& all, const std::vector<int32_t>& selected) {
  TRandVarList out;
  for (size_t k = 0; k < selected.size(); ++k) {
    auto v = std::make_shared<TRandomVariable>(all[selected[k]]);
    v->Id = static_cast<int32_t>(k);
    out.Add(std::move(v));
  }
  return out;
}

}  // namespace tesvane
