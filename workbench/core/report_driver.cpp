#include <algorithm>
#include <memory>

#include "office_writer.h"
#include "report_writer.h"
#include "rtf_writer.h"

namespace tesmira::wb {

void GenerateReport(int format, int previewedSection, IReportTarget& target,
                    const TReportContext& context) {
  TReportContext ctx = context;
  ctx.targetIsReportPanel = previewedSection == 0 && context.targetIsReportPanel;
  if (ctx.targetIsReportPanel && ctx.lastReportStream) ctx.lastReportStream->clear();
  std::unique_ptr<TReporter> writer;
  bool rtf = true;
  if (format == 0) {
    writer = std::make_unique<TDOSReporter>(target, ctx);
    rtf = false;
  } else if (format == 2 && previewedSection == 0) {
    writer = std::make_unique<TWordReporter>(target, ctx);
  } else {
    writer = std::make_unique<TRTFReporter>(target, ctx);
  }
  writer->PreviewedSection = previewedSection;
  try {
    writer->Generate();
  } catch (...) {
    target.SetVisible(true);
    throw;
  }
  target.SetModified(true);
  if (previewedSection != 0) {
    if (rtf) target.ScrollToLine(std::max(0, writer->PreviewLine() - 2));
    target.SetCaret(writer->PreviewCaret());
  }
}

}  // namespace tesmira::wb
