#include "fn/samhdr_reader.h"

#include <QString>
#include <QXmlStreamReader>
#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>

#include "ut/exception.h"
#include "ut/file.h"

namespace fn {
namespace {

const char kOpenDoc[] = "ModularSampleHeaderFileReader::OpenExistingXmlDoc";
const char kReadHeader[] = "ModularSampleHeaderFileReader::ReadHeader";
const char kLoadSortSamples[] = "ModularSampleHeaderFileReader::LoadSortSamples";

ut::String ToNarrow(const QString& text) {
  return WideToString(std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                                     static_cast<std::size_t>(text.size())));
}

// A number read like atol: leading white space, a sign, digits; 0 without digits.
// Digits beyond the 64-bit range give the largest number of that sign, so that
// they never read as a small valid value.
std::int64_t ToNumber(const ut::String& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                             text[i] == '\v' || text[i] == '\f' || text[i] == '\r')) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  constexpr std::int64_t kLimit = std::numeric_limits<std::int64_t>::max();
  std::int64_t v = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    const int digit = text[i] - '0';
    v = v > (kLimit - digit) / 10 ? kLimit : v * 10 + digit;
  }
  return negative ? -v : v;
}

// Trims the text content as the document's text of an element.
ut::String Trimmed(ut::String s) {
  s.trim();
  return s;
}

struct NotParsed {};  // a required element is missing

const XmlElement& Required(const XmlElement& parent, const char* name) {
  const XmlElement* e = parent.Child(name);
  if (!e) throw NotParsed{};
  return *e;
}

}  // namespace

const XmlElement* XmlElement::Child(const char* name) const {
  for (const auto& c : Children) {
    if (c->Name == name) return c.get();
  }
  return nullptr;
}

const ut::String* XmlElement::Attribute(const char* name) const {
  for (const auto& a : Attributes) {
    if (a.first == name) return &a.second;
  }
  return nullptr;
}

ut::String WideToString(const std::u16string& wide) {
  ut::String s(wide.size(), '\0');
  for (std::size_t i = 0; i < wide.size(); ++i) s[i] = static_cast<char>(wide[i] & 0xFF);
  return s;
}

std::unique_ptr<XmlElement> ModularSampleHeaderFileReader::OpenExistingXmlDoc(
    const ut::String& path) {
  std::string bytes;
  {
    ut::File file(path, 0);
    std::uint64_t size = file.Size();
    if (size > (1u << 30)) throw ut::Exception("Invalid SAMHDR file format.", kOpenDoc);
    bytes.resize(static_cast<std::size_t>(size));
    bytes.resize(static_cast<std::size_t>(file.ReadBuf(bytes.data(), size)));
  }
  QXmlStreamReader xml(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
  // Top-level nodes: the XML declaration, comments, processing instructions,
  // the document type and the root element.
  int top_level = 0;
  int root_position = 0;  // position of the root among the top-level nodes
  std::unique_ptr<XmlElement> root;
  std::vector<XmlElement*> open;
  constexpr std::size_t kMaxDepth = 256;
  while (!xml.atEnd()) {
    QXmlStreamReader::TokenType token = xml.readNext();
    switch (token) {
      case QXmlStreamReader::StartDocument:
        if (!xml.documentVersion().isEmpty()) ++top_level;
        break;
      case QXmlStreamReader::Comment:
      case QXmlStreamReader::ProcessingInstruction:
      case QXmlStreamReader::DTD:
        if (open.empty()) ++top_level;
        break;
      case QXmlStreamReader::StartElement: {
        auto element = std::make_unique<XmlElement>();
        element->Name = ToNarrow(xml.qualifiedName().toString());
        for (const QXmlStreamAttribute& a : xml.attributes()) {
          element->Attributes.emplace_back(ToNarrow(a.qualifiedName().toString()),
                                           ToNarrow(a.value().toString()));
        }
        XmlElement* raw = element.get();
        if (open.empty()) {
          ++top_level;
          if (!root) {
            root_position = top_level;
            root = std::move(element);
          }
        } else {
          if (open.size() >= kMaxDepth) {
            throw ut::Exception("Invalid SAMHDR file format.", kOpenDoc);
          }
          open.back()->Children.push_back(std::move(element));
        }
        open.push_back(raw);
        break;
      }
      case QXmlStreamReader::EndElement:
        if (!open.empty()) open.pop_back();
        break;
      case QXmlStreamReader::Characters: {
        ut::String text = ToNarrow(xml.text().toString());
        for (XmlElement* e : open) e->Text += text;
        break;
      }
      default: break;
    }
  }
  if (xml.hasError()) {
    throw ut::Exception("XML error in file \"" + ut::file_name(path, true) + "\" at line " +
                            ut::int_to_string(xml.lineNumber()) + ", column " +
                            ut::int_to_string(xml.columnNumber()) + ": " +
                            xml.errorString().toStdString(),
                        kOpenDoc);
  }
  // The root is the only top-level node, or the second of two.
  if (!root || top_level > 2 || root_position != top_level) {
    throw ut::Exception("Invalid SAMHDR file format.", kOpenDoc);
  }
  if (root->Name != "pellian_modular_sample_header") {
    throw ut::Exception("Invalid SAMHDR file format.", kOpenDoc);
  }
  const ut::String* version = root->Attribute("version");
  if (!version) throw ut::Exception("Invalid SAMHDR file format.", kOpenDoc);
  if (ToNumber(*version) != 1) {
    throw ut::Exception("SAMHDR file format is the wrong version", kOpenDoc);
  }
  return root;
}

ut::String ModularSampleHeaderFileReader::ResolveBinaryFile(const ut::String& header_path,
                                                            const ut::String& name) {
  namespace fs = std::filesystem;
  ut::String given(name);
  std::replace(given.begin(), given.end(), '\\', '/');
  std::error_code ec;
  fs::path as_given(static_cast<const std::string&>(given));
  if (as_given.is_absolute()) return given;
  fs::path folder = fs::path(static_cast<const std::string&>(header_path)).parent_path();
  fs::path beside = folder / as_given;
  if (fs::is_regular_file(beside, ec)) return beside.string();
  // The same name in another case, beside the header.
  fs::path dir = beside.parent_path();
  ut::String wanted(beside.filename().string());
  for (fs::directory_iterator it(dir.empty() ? fs::path(".") : dir, ec), end; !ec && it != end;
       it.increment(ec)) {
    if (ut::compare_nocase(it->path().filename().string(), wanted) == 0 &&
        it->is_regular_file(ec)) {
      return (dir / it->path().filename()).string();
    }
  }
  return given;
}

void ModularSampleHeaderFileReader::ReadHeader(const ut::String& path, RandVarPicker& picker) {
  std::unique_ptr<XmlElement> root = OpenExistingXmlDoc(path);
  std::vector<ut::String> files;  // binary file of every variable of the header
  std::size_t i = 0;
  try {
    const XmlElement* count = root->Child("number_of_samples");
    if (!count) throw ut::Exception("File does not specify the number of samples.", kReadHeader);
    std::int64_t samples = ToNumber(count->Text);
    if (samples <= 0 || samples > std::numeric_limits<std::uint32_t>::max()) {
      throw ut::Exception("Invalid number of samples.", kReadHeader);
    }
    SampleSet.NumSamplesInFile = static_cast<std::uint32_t>(samples);
    SampleSet.NumSamples = std::min(SampleSet.NumSamplesInFile, InitialSamples);
    for (const auto& child : root->Children) {
      if (child->Name != "random_variable") continue;
      const XmlElement* name = child->Child("name");
      if (!name) {
        throw ut::Exception("Random variable XML node contains no variable name.", kReadHeader);
      }
      const XmlElement* file = child->Child("binary_sample_filename");
      if (!file) {
        throw ut::Exception("Random variable XML node contains no binary sample filename.",
                            kReadHeader);
      }
      const ut::String var_name = Trimmed(name->Text);
      files.push_back(Trimmed(file->Text));
      SampleSet.AddVariable(var_name, true);
      SampleSet.GetKeptIndices().insert(i);
      ++i;
      CTesploreVar& var = SampleSet.GetVariable(SampleSet.NumVariables() - 1);
      var.SetDescription(Trimmed(Required(*child, "description").Text));
      std::int64_t type = ToNumber(Required(*child, "type").Text);
      if (type != 0 && type != 1) {
        throw ut::Exception(
            "Invalid random variable distribution type (continuous or discrete) for \"" + var_name +
                "\"",
            kReadHeader);
      }
      var.SetVarType(static_cast<std::int32_t>(type));
      std::int64_t functional = ToNumber(Required(*child, "is_functional").Text);
      if (functional != 0 && functional != 1) {
        throw ut::Exception(
            "Invalid random variable type (probabilistic or functional) for \"" + var_name + "\"",
            kReadHeader);
      }
      var.SetIsOutput(functional == 1);
    }
  } catch (const ut::Exception&) {
    throw;
  } catch (...) {
    throw ut::Exception("An unknown error has occurred while parsing the file.", kReadHeader);
  }
  if (files.empty()) throw ut::Exception("File contains no random variables.", kReadHeader);
  SelectVariables(i, picker);
  BinaryFiles.clear();
  for (std::size_t column : SampleSet.GetKeptIndices()) {
    BinaryFiles.push_back(ResolveBinaryFile(path, files[column]));
  }
  SampleSet.SetCounts(static_cast<std::int32_t>(SampleSet.GetKeptIndices().size()),
                      static_cast<std::int32_t>(i), 0, 0);
  FilePath = path;
}

void ModularSampleHeaderFileReader::LoadSortSamples() {
  const std::uint32_t n = std::min(SampleSet.NumSamplesInFile, MaxSamples);
  SampleSet.NumSamples = n;
  const std::size_t nvars = SampleSet.NumVariables();
  if (BinaryFiles.size() != nvars) {
    throw ut::Exception("'ModularSampleHeaderFileReader' object is corrupted.", kLoadSortSamples);
  }
  for (std::size_t k = 0; k < nvars; ++k) {
    CTesploreVar& var = SampleSet.GetVariable(k);
    var.Resize(n);
    const ut::String& name = BinaryFiles[k];
    ut::File file(name, 0);
    // The file must hold every sample the header announces.
    const std::uint64_t needed = std::uint64_t{SampleSet.NumSamplesInFile} * 4;
    const std::uint64_t size = file.Size();
    if (size < needed) {
      throw ut::Exception("Binary sample file \"" + ut::file_name(name, true) +
                              "\" of variable \"" + var.GetName() + "\" holds " +
                              ut::int_to_string(static_cast<long long>(size / 4)) +
                              " samples, the header announces " +
                              ut::int_to_string(SampleSet.NumSamplesInFile) + ".",
                          kLoadSortSamples);
    }
    float* samples = var.GetSamples().data();
    const std::uint64_t bytes = std::uint64_t{n} * 4;
    if (file.ReadBuf(samples, bytes) != bytes) {
      throw ut::Exception(
          "Error reading from file \"" + ut::file_name(name, true) + "\" - unexpected end of file",
          kLoadSortSamples);
    }
    for (std::uint32_t s = 0; s < n; ++s) {
      if constexpr (std::endian::native == std::endian::big) {
        std::uint32_t bits;
        std::memcpy(&bits, &samples[s], 4);
        bits = __builtin_bswap32(bits);
        std::memcpy(&samples[s], &bits, 4);
      }
      if (!std::isfinite(samples[s])) ThrowNotFinite(s + 1, var.GetName(), kLoadSortSamples);
    }
    var.ComputeQuantiles();
  }
}

}  // namespace fn
