#include "script_executor.h"

#include <QtCore/QFile>
#include <QtCore/QXmlStreamReader>
#include <filesystem>
#include <memory>
#include <unordered_map>
#include <vector>

#include "file_commands.h"
#include "jobs.h"
#include "text_samples.h"

namespace tesvane {

// An element of a parsed XML file: name, attributes, its own text (trimmed)
// and child elements in document order.
struct TScriptExecutor::TNode {
  std::string Name;
  std::vector<std::pair<std::string, std::string>> Attributes;
  std::string Text;
  std::vector<TNode> Children;

  const TNode* Child(const std::string& name) const {
    for (const TNode& c : Children)
      if (c.Name == name) return &c;
    return nullptr;
  }
  const std::string* Attribute(const std::string& name) const {
    for (const auto& a : Attributes)
      if (a.first == name) return &a.second;
    return nullptr;
  }
};

namespace {

using TNode = TScriptExecutor::TNode;

std::string Trim(const QString& s) { return s.trimmed().toStdString(); }

// Elements nested deeper than this refuse the file (as the display program's
// header reader does); it also bounds the recursion that destroys the tree.
constexpr size_t MaxXmlDepth = 256;

// The top-level element of the file; raises ESensitivityError naming the
// file when it cannot be read, is not well-formed XML or nests its elements
// deeper than MaxXmlDepth.
TNode ParseXmlFile(const std::string& path) {
  QFile file(QString::fromStdString(path));
  if (!file.open(QIODevice::ReadOnly))
    throw ESensitivityError("Cannot open file " + path + ": " + file.errorString().toStdString());
  QXmlStreamReader xml(&file);
  TNode top;
  std::vector<TNode*> stack;
  std::vector<QString> texts;
  bool haveTop = false;
  while (!xml.atEnd()) {
    xml.readNext();
    if (xml.isStartElement()) {
      if (stack.size() >= MaxXmlDepth)
        throw ESensitivityError("The XML of file " + path + " is not correct (line " +
                                std::to_string(xml.lineNumber()) +
                                "): its elements are nested more than " +
                                std::to_string(MaxXmlDepth) + " levels deep.");
      TNode node;
      node.Name = xml.name().toString().toStdString();
      for (const auto& a : xml.attributes())
        node.Attributes.emplace_back(a.name().toString().toStdString(),
                                     a.value().toString().toStdString());
      if (stack.empty()) {
        top = std::move(node);
        haveTop = true;
        stack.push_back(&top);
      } else {
        stack.back()->Children.push_back(std::move(node));
        stack.push_back(&stack.back()->Children.back());
      }
      texts.emplace_back();
    } else if (xml.isCharacters() && !texts.empty()) {
      texts.back() += xml.text();
    } else if (xml.isEndElement() && !stack.empty()) {
      stack.back()->Text = Trim(texts.back());
      texts.pop_back();
      stack.pop_back();
    }
  }
  if (xml.hasError())
    throw ESensitivityError("The XML of file " + path + " is not correct (line " +
                            std::to_string(xml.lineNumber()) +
                            "): " + xml.errorString().toStdString());
  if (!haveTop) throw ESensitivityError("The file " + path + " holds no XML element");
  return top;
}

std::string LowerAscii(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

class TScriptError : public ESensitivityError {
 public:
  using ESensitivityError::ESensitivityError;
};

const std::string Corrupted = "Provided script file is corrupted.";

}  // namespace

void TScriptExecutor::Run() {
  host_.SetBusyCursor(true);
  try {
    Execute();
  } catch (...) {
    host_.SetBusyCursor(false);
    throw;
  }
  host_.SetBusyCursor(false);
}

void TScriptExecutor::Execute() {
  const TNode top = ParseXmlFile(FileName);
  const std::string* type = top.Name == "pellian_script" ? top.Attribute("type") : nullptr;
  if (type == nullptr) {
    host_.ShowResult("No script type found. " + Corrupted, 2);
    return;
  }
  if (*type == "LOAD_SAMPLES")
    LoadSamples(top);
  else if (*type == "CALC_CORR_RATIO")
    CalcCorrRatio(top);
  else
    host_.ShowResult("No valid command found in the script file.", 2);
}

void TScriptExecutor::LoadSamples(const TNode& root) {
  // Everything that can refuse the script is checked before the window is
  // reset, so that a refused script leaves the loaded file in place.
  const TNode* fileNode = root.Child("filename");
  if (fileNode == nullptr || fileNode->Text.empty()) {
    host_.ShowResult("No sample file name found. " + Corrupted, 2);
    return;
  }
  const TNode* names = root.Child("random_variable");
  if (names == nullptr) {
    host_.ShowResult("No random variables names specified. " + Corrupted, 2);
    return;
  }
  std::vector<std::string> wanted;
  for (const TNode& c : names->Children) wanted.push_back(c.Text);
  const std::string path = fileNode->Text;
  const std::string ext = LowerExtension(path);
  if (ext != ".samhdr" && ext != ".sae" && ext != ".csv") {
    host_.ShowResult("Wrong file extension", 2);
    return;
  }
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    host_.ShowResult("Error, file " + path + " does not exists!", 2);
    return;
  }

  TIntList selection;
  int32_t missing = static_cast<int32_t>(wanted.size());
  if (ext == ".samhdr") {
    const TNode header = ParseXmlFile(path);
    if (header.Name != "pellian_modular_sample_header") {
      host_.ShowResult("The format of file " + path + " is not correct", 2);
      return;
    }
    // A variable's position is its place among the "random_variable"
    // elements, whatever else stands between them; the first of equal names
    // counts.
    std::unordered_map<std::string, int32_t> positions;
    int32_t position = 0;
    for (const TNode& c : header.Children) {
      if (c.Name != "random_variable") continue;
      if (const TNode* n = c.Child("name")) positions.emplace(n->Text, position);
      ++position;
    }
    for (const std::string& name : wanted) {
      auto found = positions.find(name);
      if (found == positions.end()) continue;
      selection.Add(found->second);
      --missing;
    }
  } else {
    QFile file(QString::fromStdString(path));
    std::vector<std::string> header;
    if (file.open(QIODevice::ReadOnly)) header = SplitNamesLine(file.readLine().toStdString());
    for (std::string& h : header)
      while (!h.empty() && (h.back() == '\n' || h.back() == '\r')) h.pop_back();
    // Names match without regard to ASCII case; the first of equal names counts.
    std::unordered_map<std::string, int32_t> positions;
    positions.reserve(header.size());
    for (size_t i = 0; i < header.size(); ++i)
      positions.emplace(LowerAscii(header[i]), static_cast<int32_t>(i));
    for (const std::string& name : wanted) {
      auto found = positions.find(LowerAscii(name));
      if (found == positions.end()) continue;
      selection.Add(found->second);
      --missing;
    }
  }

  host_.UnloadSampleFile();
  store_.FileName = path;
  if (selection.Count() > 0 && ReadSampleFile(store_, &selection, host_)) host_.RefreshAfterLoad();
  if (missing > 0)
    host_.ShowResult("Some variables specified for loading were not found in the sample file.", 1);
}

void TScriptExecutor::CalcCorrRatio(const TNode& root) {
  if (store_.SampleCount <= 0) {
    host_.ShowMessage("There is no samples loaded.");
    return;
  }
  {
    std::lock_guard<std::mutex> guard(run_.Lock);
    run_.Jobs.clear();
  }
  try {
    auto lookUp = [&](const std::string& name, const char* what) {
      TRandomVariableRef v = store_.Variables.FindByName(name);
      if (!v)
        throw TScriptError(std::string("Name of the ") + what + " variable " + name +
                           " not found in the list of imported random variables." + CRLF +
                           "Computations aborted.");
      return v;
    };
    for (const TNode& job : root.Children) {
      if (job.Name != "corr_ratio") continue;
      const TNode* p = job.Child("predicted");
      if (p == nullptr || p->Text.empty())
        throw TScriptError(std::string("Predicted variable not specified.") + CRLF + Corrupted);
      TRandomVariableRef predicted = lookUp(p->Text, "predicted");
      const TNode* b = job.Child("base");
      if (b == nullptr || b->Text.empty())
        throw TScriptError(std::string("Base variable not specified.") + CRLF + Corrupted);
      TRandomVariableRef base = lookUp(b->Text, "base");
      TRandVarList explanatory;
      if (const TNode* e = job.Child("explanatory"))
        for (const TNode& c : e->Children) explanatory.Add(lookUp(c.Text, "explanatory"));
      std::lock_guard<std::mutex> guard(run_.Lock);
      run_.Jobs.push_back(std::make_unique<TCorrRatioInfo>(predicted, explanatory, base));
    }
  } catch (const TScriptError& e) {
    host_.ShowResult(e.what(), 2);
    return;
  }
  host_.StartRun();
}

}  // namespace tesvane
