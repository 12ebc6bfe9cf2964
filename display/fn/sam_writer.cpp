// Writing the shown and selected samples of a sample set as a text sample file.
#include <charconv>
#include <cstdio>
#include <fstream>
#include <string>

#include "fn/sample_data.h"
#include "replacing_file.h"
#include "ut/exception.h"

namespace fn {
namespace {

const char kRemarks[] =
    "; Remarks for those who are going to update this file\r\n"
    "; with output variables for further postprocessing by\r\n"
    "; the TESMIRA:\r\n"
    "; 1. Put a proper number into the `Number of output\r\n"
    ";    variables` line below\r\n"
    "; 2. After that line insert a list of the output variable\r\n"
    ";    names (similar to the input variable names list);\r\n"
    ";    names must not exceed 10 characters\r\n"
    "; 3. If you have, for example, 5 input and 3 output\r\n"
    ";    variables in your model, insert 3 data lines\r\n"
    ";    corresponding your output variables AFTER EVERY 5th line\r\n"
    ";    of the input data. This should be repeated N times,\r\n"
    ";    where N is `Number of samples per variable` (see below)\r\n"
    ";\r\n";

void AppendInt(std::string& out, long long v) {
  char buf[24];
  auto r = std::to_chars(buf, buf + sizeof buf, v);
  out.append(buf, r.ptr);
}

// The value as "%11e" in the C locale: six digits after the point, exponent
// form, at least 11 characters.
void AppendValue(std::string& out, float value) {
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof buf, static_cast<double>(value),
                         std::chars_format::scientific, 6);
  std::size_t len = static_cast<std::size_t>(r.ptr - buf);
  if (len < 11) out.append(11 - len, ' ');
  out.append(buf, len);
  out += "\r\n";
}

}  // namespace

bool SampleData::SaveSelSamples(const ut::String& path, std::uint32_t n, std::int32_t selected,
                                const std::vector<bool>& mask) const {
  (void)selected;  // the count line gives the samples actually written
  if (mask.size() < n) {
    throw ut::Exception("The number of sample values must match the sample visibility mask size.",
                        "SampleData::SaveSelSamples");
  }
  // Only samples that every variable holds can be shown.
  std::size_t shown = n;
  for (const auto& v : Variables) shown = std::min(shown, v->GetSamples().size());
  std::size_t written = 0;
  for (std::size_t s = 0; s < shown; ++s) written += mask[s] ? 1 : 0;

  std::string text(kRemarks);
  AppendInt(text, KeptInputs);
  text += "  ; Number of input variables (array of names goes next)\r\n";
  std::size_t k = 0;
  for (; k < Variables.size() && k < static_cast<std::size_t>(KeptInputs); ++k) {
    text += Variables[k]->GetName() + "\r\n";
  }
  AppendInt(text, KeptOutputs);
  text += "  ; Number of output variables\r\n";
  for (std::int32_t o = 0; o < KeptOutputs && k < Variables.size(); ++o, ++k) {
    text += Variables[k]->GetName() + "\r\n";
  }
  AppendInt(text, static_cast<long long>(written));
  text += " ;* Number of samples per variable\r\n";

  // Written beside the target and renamed over it when complete.
  common::TReplacingFile file(path);
  std::ofstream& out = file.Stream();
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  for (std::size_t s = 0; s < shown && out; ++s) {
    if (!mask[s]) continue;
    text.clear();
    for (const auto& v : Variables) AppendValue(text, v->GetSamples()[s]);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
  }
  std::string error;
  return file.IsOpen() && file.Commit(error);
}

}  // namespace fn
