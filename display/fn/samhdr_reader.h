#pragma once

#include <map>
#include <memory>
#include <vector>

#include "fn/sample_data.h"

namespace fn {

// One element of a parsed XML document: its name, attributes, text content (the
// text of the element and its descendants, as the low bytes of the UTF-16
// units) and child elements.
struct XmlElement {
  ut::String Name;
  std::vector<std::pair<ut::String, ut::String>> Attributes;
  ut::String Text;
  std::vector<std::unique_ptr<XmlElement>> Children;

  // The first direct child of that name, or none.
  const XmlElement* Child(const char* name) const;
  const ut::String* Attribute(const char* name) const;
};

// The low byte of each UTF-16 unit, in order.
ut::String WideToString(const std::u16string& wide);

// Reads modular sample headers: an XML file naming the variables, their
// properties, the number of samples and, per variable, a binary file of
// little-endian 4-byte floats.
class ModularSampleHeaderFileReader : public SampleFileReader {
 public:
  explicit ModularSampleHeaderFileReader(SampleData& sample_set) : SampleFileReader(sample_set) {}

  void ReadHeader(const ut::String& path, RandVarPicker& picker) override;
  void LoadSortSamples() override;

  // Loads and checks the document; returns its root element.
  static std::unique_ptr<XmlElement> OpenExistingXmlDoc(const ut::String& path);
  // Where the binary file named in the header lies: beside the header first
  // (its name compared without regard to case when no exact match exists),
  // else the name as given.
  static ut::String ResolveBinaryFile(const ut::String& header_path, const ut::String& name);

 private:
  std::vector<ut::String> BinaryFiles;  // binary file of each kept variable, in order
};

}  // namespace fn
