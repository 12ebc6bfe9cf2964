// The display program's document: the loaded sample set, the live view state,
// the filter of samples that pass the selection ranges of the shown variables,
// and a bounded history of view snapshots for undo and redo.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

#include "doc/color_record.h"
#include "doc/static_view.h"
#include "fn/sample_data.h"
#include "ut/exception.h"

// Where the document's errors go: the windows show an error box, tests collect
// them. An empty caption stands for the program's own error caption.
class IDocumentErrors {
 public:
  virtual ~IDocumentErrors() = default;
  virtual void ShowException(const ut::String& caption, const ut::Exception& e,
                             const ut::String& message) = 0;
};

// The number of snapshots the history keeps, shared with the interface dialog.
extern std::int32_t UndoSize;
inline constexpr std::int32_t DefaultUndoSize = 13;

// A chooser that keeps the first variables; the program installs its dialog.
class RandVarPickerUI : public fn::RandVarPicker {
 public:
  bool PickVariables(const std::vector<std::unique_ptr<fn::CTesploreVar>>& variables,
                     std::uint32_t limit, ut::SizeTSet& chosen) override;
};

class SampleDataView : public CTesploreStaticView {
 public:
  // Reads the View settings and UndoSize from the settings file at path (the
  // program's settings file when empty); picker chooses among many variables
  // (null: keep the first ones); errors receives the error reports (null: the
  // standard error stream).
  explicit SampleDataView(std::string settingsPath = std::string(),
                          fn::RandVarPicker* picker = nullptr, IDocumentErrors* errors = nullptr);
  // Writes the View settings and UndoSize back.
  ~SampleDataView() override;

  void SetErrors(IDocumentErrors* errors) { m_errors = errors; }
  // The live colour record that colour snapshots exchange with.
  void SetColours(TColorRecord* colours) { m_colours = colours; }
  TColorRecord& Colours() { return *m_colours; }

  void ResetView();
  void Clear();
  bool LoadFile(const ut::String& path, fn::SampleFileType type);
  void SetNumVariables(std::uint32_t n);
  void SetNumSamples(std::uint32_t n);
  bool SaveSelection(const ut::String& path);

  std::uint32_t CountVisible() const;
  int VisibleIndex(std::uint32_t k) const;
  fn::CTesploreVar& VisibleVariable(std::uint32_t k) const;
  void MoveVariable(int from, int to);

  void ResetRanges();
  void UpdateFilter();
  std::int32_t CountSelected() const;
  void UpdateEstimators(std::int32_t size);
  void ReleaseStatistics();
  void UpdateBoundingBox(bool force);
  TBox ZoomBox(const TBox& b) const;

  void PushView(std::uint32_t flags, std::unique_ptr<TColorRecord> colours = nullptr);
  void StepView(bool undo);
  bool CanUndo() const { return m_historyPos != m_history.begin(); }
  bool CanRedo() const { return m_historyPos != m_history.end(); }
  std::size_t HistorySize() const { return m_history.size(); }

  // Sample i of the variable on the scale (0 percentile rank, 1 natural, 2
  // logarithmic), for every loaded sample; computed once per load.
  const std::vector<float>& ScaledValues(const fn::CTesploreVar& v, std::int32_t scale) const;

  fn::SampleData& Samples() { return m_samples; }
  const fn::SampleData& Samples() const { return m_samples; }
  const std::vector<bool>& Filter() const { return m_filter; }

  float m_minValue = 0.0f;
  float m_maxValue = 0.0f;
  float m_maxBinHeight = 0.0f;
  float m_minDensity = 0.0f;
  float m_maxDensity = 0.0f;
  std::uint32_t m_numVars = 0;

 private:
  void ResizeFilter(std::uint32_t n);
  void UpdateExtents();
  void ShowError(const ut::Exception& e, const ut::String& message);
  std::unique_ptr<CTesploreStaticView> Snapshot(std::uint32_t flags) const;
  bool MergesWith(const CTesploreStaticView& newest) const;
  void ExchangeWith(CTesploreStaticView& entry);
  fn::CTesploreVar* VariableByIndex(std::int32_t viewIndex);
  void DropScaledValues();

  std::string m_settingsPath;
  IDocumentErrors* m_errors;
  TColorRecord* m_colours = &ColorRecord;
  std::list<std::unique_ptr<CTesploreStaticView>> m_history;
  std::list<std::unique_ptr<CTesploreStaticView>>::iterator m_historyPos;
  fn::SampleData m_samples;
  std::vector<bool> m_filter;
  // Scaled samples by scale and by variable (ViewIndex); empty until asked for.
  mutable std::vector<std::vector<float>> m_scaled[3];
};
