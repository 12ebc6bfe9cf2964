#include "report_sections.h"

#include <algorithm>

#include "ini_file.h"
#include "model_helpers.h"
#include "tesmira/model.h"
#include "tesmira/report.h"

namespace tesmira::wb {
namespace {

const char* const kSection = "Report";
constexpr int32_t kNoId = -441;
constexpr int kMaxEntries = 100;
constexpr int32_t kSymbolCharset = 2;

bool ModelHasObjects() { return GetNumberOfRandomVariables() > 0 || GetNumberOfFormulas() > 0; }

// First child of a heading section (always the next id), 0 for the others.
int FirstChild(int id) {
  switch (id) {
    case 1:
    case 2:
    case 5:
    case 7:
    case 9:
    case 11:
    case 12:
    case 14:
    case 17:
    case 19:
    case 21: return id + 1;
    default: return 0;
  }
}

}  // namespace

TRepFont DefaultStyleFont(int32_t style) {
  // clang-format off
  switch (style) {
    case StyleNormal:   return {"Times New Roman", 12, false, false, false, 0};
    case StyleHeading1: return {"Arial", 16, true, false, false, 0};
    case StyleHeading2: return {"Arial", 14, true, true, false, 0};
    case StyleHeading3: return {"Arial", 12, true, true, false, 0};
    case StyleTable:    return {"Times New Roman", 12, false, false, false, 0};
    case StyleSymbol:   return {"Symbol", 12, false, false, false, 2};
    // Pictures of structures: a monospace font that has the box characters,
    // in the ordinary character set, so every word processor shows them.
    default:            return {"DejaVu Sans Mono", 9, false, false, false, 0};
  }
  // clang-format on
}

int TRepSections::IndexOfSection(int32_t id) const {
  for (size_t i = 0; i < Entries.size(); ++i)
    if (Entries[i].id == id) return static_cast<int>(i);
  return -1;
}

int TRepSections::AddSection(int32_t id) {
  TRepSectionSetting s;
  s.id = id;
  Entries.push_back(s);
  return static_cast<int>(Entries.size()) - 1;
}

bool TRepSections::IsSectionVisible(int32_t id, bool forContentList) const {
  if (!forContentList && (id == 7 || id == 9 || id == 12) && !ModelHasObjects()) return false;
  const int i = IndexOfSection(id);
  return i < 0 || Entries[i].visible;
}

void TRepSections::SetSectionVisible(int32_t id, bool visible) {
  int i = IndexOfSection(id);
  if (i < 0) i = AddSection(id);
  Entries[i].visible = visible;
}

int32_t TRepSections::GetNumberFormat(int32_t id, int32_t& width, int32_t& precision) const {
  const int i = IndexOfSection(id);
  if (i < 0) return FormatNone;
  const TRepSectionSetting& s = Entries[i];
  if (s.format == FormatWorkbenchDefault) {
    const TDisplaySettings d = CurrentDisplaySettings();
    width = d.fpwidth;
    precision = d.fpprecision;
    return d.fpformat;
  }
  width = s.width;
  precision = s.precision;
  return s.format;
}

bool TRepSections::IsSectionIncluded(int32_t id) const {
  const int i = IndexOfSection(id);
  return i < 0 || Entries[i].included;
}

void TRepSections::LoadFromIni(const common::TIniFile& ini) {
  Entries.clear();
  const TDisplaySettings d = CurrentDisplaySettings();
  const int count = std::clamp<int32_t>(ini.ReadInteger(kSection, "chs", 0), 0, kMaxEntries);
  for (int i = 0; i < count; ++i) {
    const std::string n = std::to_string(i);
    const int32_t id = ini.ReadInteger(kSection, "id" + n, kNoId);
    if (id == kNoId || IndexOfSection(id) >= 0) continue;
    TRepSectionSetting s;
    s.id = id;
    s.visible = ini.ReadBool(kSection, "vis" + n, true);
    const std::string name = ini.ReadString(kSection, "fntN" + n, "");
    const int32_t charset = ini.ReadInteger(kSection, "fntCS" + n, -1);
    const int32_t size = ini.ReadInteger(kSection, "fntS" + n, -1);
    const int32_t style = ini.ReadInteger(kSection, "fntST" + n, -1);
    if (!name.empty() && charset != -1 && size != -1 && style != -1)
      s.font = TRepFont{name, size, (style & 1) != 0, (style & 2) != 0, (style & 4) != 0, charset};
    s.format = ini.ReadInteger(kSection, "fo" + n, FormatNone);
    s.width = ini.ReadInteger(kSection, "rf" + n, d.fpwidth);
    s.precision = ini.ReadInteger(kSection, "dp" + n, d.fpprecision);
    Entries.push_back(std::move(s));
  }
  EnsureStyleFonts();
  WordTemplate = ini.ReadString(kSection, "WordTemplate", "");
  Format = std::clamp<int32_t>(ini.ReadInteger(kSection, "Format", 1), 0, 2);
  FormatPreview = ini.ReadBool(kSection, "FormatPreview", true);
  LineBreaks = ini.ReadBool(kSection, "LineBreaks", false);
}

void TRepSections::SaveToIni(common::TIniFile& ini) const {
  ini.WriteInteger(kSection, "chs", static_cast<int32_t>(Entries.size()));
  for (size_t i = 0; i < Entries.size(); ++i) {
    const TRepSectionSetting& s = Entries[i];
    const std::string n = std::to_string(i);
    ini.WriteInteger(kSection, "id" + n, s.id);
    ini.WriteBool(kSection, "vis" + n, s.visible);
    if (s.font) {
      ini.WriteString(kSection, "fntN" + n, s.font->name);
      ini.WriteInteger(kSection, "fntCS" + n, s.font->charset);
      ini.WriteInteger(kSection, "fntS" + n, s.font->size);
      ini.WriteInteger(
          kSection, "fntST" + n,
          (s.font->bold ? 1 : 0) | (s.font->italic ? 2 : 0) | (s.font->underline ? 4 : 0));
    } else {
      for (const char* key : {"fntN", "fntCS", "fntS", "fntST"}) ini.DeleteKey(kSection, key + n);
    }
    if (s.format != FormatNone) {
      ini.WriteInteger(kSection, "fo" + n, s.format);
      ini.WriteInteger(kSection, "rf" + n, s.width);
      ini.WriteInteger(kSection, "dp" + n, s.precision);
    } else {
      for (const char* key : {"fo", "rf", "dp"}) ini.DeleteKey(kSection, key + n);
    }
  }
  ini.WriteString(kSection, "WordTemplate", WordTemplate);
  ini.WriteInteger(kSection, "Format", Format);
  ini.WriteBool(kSection, "FormatPreview", FormatPreview);
  ini.WriteBool(kSection, "LineBreaks", LineBreaks);
}

void TRepSections::EnsureStyleFonts() {
  for (int32_t style = StyleNormal; style <= StyleLinedraw; ++style) {
    int i = IndexOfSection(style);
    if (i < 0) i = AddSection(style);
    TRepSectionSetting& s = Entries[i];
    // A picture font of the symbol character set (the setting of older
    // versions) shows icons instead of box characters.
    if (style == StyleLinedraw && s.font && s.font->charset == kSymbolCharset) s.font.reset();
    if (s.font) continue;
    s.visible = true;
    s.included = true;
    s.font = DefaultStyleFont(style);
  }
}

void TRepSections::ResetFonts() {
  for (TRepSectionSetting& s : Entries) s.font.reset();
  EnsureStyleFonts();
}

void TRepSections::ResetFormats() {
  const TDisplaySettings d = CurrentDisplaySettings();
  for (TRepSectionSetting& s : Entries) {
    s.format = FormatNone;
    s.width = d.fpwidth;
    s.precision = d.fpprecision;
  }
}

void TRepSections::UpdateInclusion() {
  auto walk = [&](auto& self, int id, bool parentIncluded) -> void {
    for (; id != 0; id = Rep_get_next_section(id)) {
      const bool included = parentIncluded && IsSectionVisible(id, false);
      const int i = IndexOfSection(id);
      if (i >= 0) Entries[i].included = included;
      if (const int child = FirstChild(id)) self(self, child, included);
    }
  };
  walk(walk, 1, true);
}

}  // namespace tesmira::wb
