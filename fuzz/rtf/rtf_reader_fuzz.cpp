// The RTF reader on any bytes, and everything a reader of the document asks
// of it: paragraph texts, every cell's text and edges, the plain text.
#include <cstdint>
#include <string_view>

#include "rtf_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace tesmira::wb;
  const TRtfDocument doc = ReadRtf(std::string_view(reinterpret_cast<const char*>(data), size));
  size_t total = doc.PlainText().size();
  for (const TRtfBlock& b : doc.blocks) {
    total += b.paragraph.Text().size();
    for (const TRtfTableRow& r : b.rows) {
      for (size_t c = 0; c <= r.cells.size(); ++c) total += r.CellText(c).size();
      for (int edge : r.cellRight) total += static_cast<size_t>(edge & 1);
    }
  }
  for (const auto& [number, name] : doc.fonts)
    total += name.size() + static_cast<size_t>(number & 1);
  return total == static_cast<size_t>(-1) ? 1 : 0;
}
