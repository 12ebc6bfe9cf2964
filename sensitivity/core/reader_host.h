// What the sample readers and the converter need of the windows: progress,
// status texts, messages, the busy cursor and the variable picker.
// The windows implement it; a test answers it. Every method has a quiet default.
#pragma once

#include <cstdint>
#include <string>

#include "sample_store.h"

namespace tesvane {

class TReaderHost {
 public:
  virtual ~TReaderHost() = default;
  virtual void ShowProgress(bool /*visible*/) {}
  virtual void SetProgress(int32_t /*percent*/) {}
  // The first panel of the status bar.
  virtual void SetStatus(const std::string& /*text*/) {}
  virtual void SetBusyCursor(bool /*busy*/) {}
  // A plain message box.
  virtual void ShowMessage(const std::string& /*text*/) {}
  // An error box (error icon, OK button).
  virtual void ShowError(const std::string& /*text*/) {}
  // The modal variable picker: shows variables with the first `maximum`
  // entries checked. Returns true when the user confirmed, with the ids of the
  // checked entries in display order in `checkedIds`; false when cancelled.
  virtual bool PickVariables(const TRandVarList& /*variables*/, int32_t /*maximum*/,
                             TIntList& /*checkedIds*/) {
    return false;
  }
};

// The selection step that both readers run after reading the variable list of
// a file and before reading any value. `all` holds the file's
// variables in file order with Id = position. `selection`, when given, is used
// as it stands; otherwise the "Import selected" setting and the number of
// variables decide whether the picker is shown. Returns the selected
// positions; raises ESensitivityError when a given position is out of range
// or when nothing is selected.
std::vector<int32_t> SelectVariablesOnLoad(const TRandVarList& all, const TIntList* selection,
                                           TReaderHost& host, const std::string& fileName);

// Copies of the selected variables in selection order, each Id set to its new position.
TRandVarList CopySelectedVariables(const TRandVarList& all, const std::vector<int32_t>& selected);

}  // namespace tesvane
