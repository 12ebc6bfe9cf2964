#include "variable_frame_core.h"

#include <memory>

#include "cp437.h"
#include "model/short_string.h"
#include "model_helpers.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "undo_items.h"
#include "utilities.h"
#include "workbench.h"

namespace tesmira::wb {

bool BrowseVariableFile(TWorkbench& wb, int row) {
  auto* rv = static_cast<TExtendedRandomVariable*>(Get_TSMObject(row + 1, ObjRandomVariable));
  if (rv == nullptr) return false;
  const bool distributionFile = rv->distribution.distType == DistFile100;
  TFileDialogOptions options;
  options.Title = "Open";
  options.Filter = distributionFile ? "Distribution files (.dis)|*.dis|All files (*.*)|*.*"
                                    : "Probabilistic files (.prb)|*.prb|All files (*.*)|*.*";
  const std::string start =
      Cp437ToUtf8(distributionFile ? GetDistributionFileName(*rv) : GetProbabilityFileName(*rv));
  const std::string absolute = AbsoluteFromModel(start, "", wb.CurrentFileName);
  options.InitialName = ExtractFileName(absolute);
  options.InitialFolder = ExtractFileFolder(absolute);
  std::vector<std::string> names;
  if (!wb.Chooser().ChooseOpen(options, names) || names.empty()) return false;
  SetModified(wb, true);
  const std::string chosen = Utf8ToCp437(
      wb.CurrentFileName.empty() ? names.front()
                                 : RelativeToModel(names.front(), "", wb.CurrentFileName));
  CurrentUndoGroup group(wb.Undo);
  auto write = [&](int position, TExtendedRandomVariable* target) {
    group.AddItem(std::make_unique<TUndoRanVar>(UndoDistParams, position, *target));
    TExtendedRandomVariable copy = *target;
    if (distributionFile)
      SetDistributionFileName(copy, chosen);
    else
      SetShortString(copy.distribution.u.sample.probabilityFile,
                     std::string_view(chosen).substr(0, 126));
    TExtendedRandomVariable* out = nullptr;
    Update_extended_random_variable(&copy, &out, "", false);
  };
  if (distributionFile || rv->distribution.distType != DistSampleFile) {
    if (distributionFile) write(row + 1, rv);
  } else {
    // Only the variables that read the same sample file share its probability file.
    const std::string sample(ShortStringView(rv->distribution.u.sample.sampleFile));
    for (int n = 1; n <= Get_TSMObjectsNumber(ObjRandomVariable); ++n) {
      auto* other = static_cast<TExtendedRandomVariable*>(Get_TSMObject(n, ObjRandomVariable));
      if (other->distribution.distType == DistSampleFile &&
          LowerCase(ShortStringView(other->distribution.u.sample.sampleFile)) == LowerCase(sample))
        write(n, other);
    }
  }
  group.Push();
  return true;
}

}  // namespace tesmira::wb
