// Pictures of the model's dependence structures in the report: trees (with
// latent and composite nodes), correlation matrices, D-vines and canonical
// vines, drawn with the box characters of code page 437.
#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "model_helpers.h"
#include "report_writer.h"
#include "tesmira/model.h"
#include "tesmira/model_files.h"
#include "tesmira/objects.h"
#include "tesmira/structures.h"
#include "tesmira/vines.h"

namespace tesmira::wb {
namespace {

constexpr char kVertical = '\xB3', kHorizontal = '\xC4', kTee = '\xC3', kCorner = '\xC0';

enum class TDraw { Root, First, Middle, Last };

std::string NodeName(void* node) {
  char name[256] = {};
  Get_TSMObjectName(ObjDependenceNode, node, name);
  return name;
}

std::vector<void*> Children(void* node) {
  std::vector<void*> out;
  int32_t count = 0;
  if (!Process_dep_node(node, nullptr, &count, DepNodeCount)) return out;
  for (int32_t k = 1; k <= count && k <= 1000; ++k) {
    void* child = nullptr;
    int32_t index = k;
    if (Process_dep_node(node, &child, &index, DepNodeChild) && child) out.push_back(child);
  }
  return out;
}

bool HasParent(void* node) {
  void* parent = nullptr;
  int32_t index = 0;
  return Process_dep_node(node, &parent, &index, DepNodeParent) && parent != nullptr;
}

// A correlation as the pictures show it: "not set" and tiny values as 0.
std::string CorrelationText(double value) {
  if (value == CorrNotSet || std::fabs(value) < 6e-5) value = 0;
  return FormatCorrelation(value);
}

std::string Repeat(char c, int n) { return std::string(static_cast<size_t>(std::max(n, 0)), c); }

std::string PadRight(const std::string& s, int width) {
  return s + Repeat(' ', width - static_cast<int>(s.size()));
}

// Centred with the odd blank on the left.
std::string Centre(const std::string& s, int width) {
  const int d = width - static_cast<int>(s.size());
  if (d <= 0) return s;
  return Repeat(' ', (d + 1) / 2) + s + Repeat(' ', d / 2);
}

// Name shown after a node's value: a composite node shows the structure
// name of its first child that is the root of a vine or matrix.
std::string LabelName(void* node) {
  if (IsCompositeNode(node)) {
    for (void* c : Children(node)) {
      if (ShowsStructureName(c)) {
        char name[256] = {};
        Get_object_name(ObjRootDependenceNode, c, name);
        return name;
      }
    }
  }
  return NodeName(node);
}

class TPictureWriter {
 public:
  explicit TPictureWriter(TReporter& w) : w_(w) {}

  void Tree(void* node, const std::string& prefix, TDraw mode, int depth) {
    if (depth > 1000) return;
    if (mode == TDraw::Root) {
      w_.WriteLine(prefix + NodeName(node), 0);
    } else {
      const std::string label =
          std::string("(").append(CorrelationText(Get_node_correlation_with_parent(node))) + ") " +
          LabelName(node);
      if (mode == TDraw::First) w_.WriteLine(prefix + kVertical, 0);
      w_.WriteLine(prefix + (mode == TDraw::Last ? kCorner : kTee) + kHorizontal + label, 0);
    }
    // A vine's own nodes are drawn in its picture, not in the tree.
    std::vector<void*> children;
    for (void* c : Children(node))
      if (!IsVineOrMatrix(node) || IsCompositeNode(c)) children.push_back(c);
    const bool open = mode == TDraw::Root || mode == TDraw::Last;
    const std::string inner = prefix + (open ? std::string("  ") : std::string(1, kVertical) + " ");
    for (size_t i = 0; i < children.size(); ++i) {
      const TDraw m = i + 1 == children.size() ? TDraw::Last
                      : i == 0                 ? TDraw::First
                                               : TDraw::Middle;
      Tree(children[i], inner, m, depth + 1);
    }
    if (!children.empty() && !open) w_.WriteLine(prefix + kVertical, 0);
  }

  void Matrix(void* root, int variables) {
    std::vector<void*> nodes{root};
    for (void* c : Children(root)) nodes.push_back(c);
    const int n = static_cast<int>(nodes.size());
    std::vector<std::string> labels;
    std::string legend;
    for (int k = 0; k < n; ++k) {
      labels.push_back(k < variables ? std::string("I").append(std::to_string(k + 1))
                                     : std::string("O").append(std::to_string(k - variables + 1)));
      legend += std::string(k ? "," : "") + " " + labels.back() + " : " + NodeName(nodes[k]);
    }
    w_.WriteLine("Legend: ", 0);
    w_.WriteLine("", 0);
    w_.WriteLine(legend, 0);
    w_.WriteLine("", 0);
    std::vector<std::vector<std::string>> values(static_cast<size_t>(n));
    size_t width = 3;  // "Nr."
    for (const auto& l : labels) width = std::max(width, l.size());
    for (int j = 0; j < n; ++j)
      for (int c = 0; c < n; ++c) {
        values[j].push_back(CorrelationText(CMatrix_GetCell(nodes[c], nodes[j])));
        width = std::max(width, values[j].back().size());
      }
    const int w = static_cast<int>(width);
    auto border = [&](char left, char junction, char right) {
      std::string line(1, left);
      for (int c = 0; c <= n; ++c) line += Repeat(kHorizontal, w) + (c < n ? junction : right);
      w_.WriteLine(line, 0);
    };
    auto label = [&](const std::string& s) { return kVertical + PadRight(s, w); };
    border('\xDA', '\xC2', '\xBF');
    std::string header = label("Nr.");
    for (const auto& l : labels) header += label(l);
    w_.WriteLine(header + kVertical, 0);
    border('\xC3', '\xC5', '\xB4');
    for (int j = 0; j < n; ++j) {
      std::string row = label(labels[j]);
      for (const auto& v : values[j])
        row += kVertical + Repeat(' ', w - static_cast<int>(v.size())) + v;
      w_.WriteLine(row + kVertical, 0);
    }
    border('\xC0', '\xC1', '\xD9');
    w_.WriteLine("", 0);
  }

  void DVine(void* root) {
    std::vector<void*> chain{root};
    for (int k = 0; k < 1000; ++k) {
      const auto c = Children(chain.back());
      if (c.empty()) break;
      chain.push_back(c.front());
    }
    const int n = static_cast<int>(chain.size()) - 1;
    const int t = Vine_IsTranscended();
    size_t width = 0;
    for (int j = 1; j <= std::max(t, 0); ++j)
      for (int i = 0; i + j <= n; ++i)
        width = std::max(width, CorrelationText(Vine_GetCorrValue(chain[i], j)).size());
    const int w = static_cast<int>(width);
    const int lines = std::min(t > 1 ? t + 1 : t, n);
    std::string names;
    for (void* node : chain) names += PadRight(NodeName(node), w + 4);
    w_.WriteLine(names, 0);
    for (int j = 1; j <= lines; ++j) {
      std::string line = std::string(" ").append(Repeat(' ', (w + 4) * (j - 1) / 2));
      for (int i = 0; i + j <= n; ++i)
        line += std::string(1, kCorner) + kHorizontal +
                Centre(CorrelationText(Vine_GetCorrValue(chain[i], j)), w) + kHorizontal + '\xD9';
      w_.WriteLine(line, 0);
    }
  }

  void CanonicalVine(void* root) {
    std::vector<void*> nodes{root};
    const auto rootChildren = Children(root);
    if (rootChildren.size() > 1) {
      nodes.insert(nodes.end(), rootChildren.begin(), rootChildren.end());
    } else {
      for (int k = 0; k < 1000; ++k) {
        const auto c = Children(nodes.back());
        if (c.empty()) break;
        nodes.push_back(c.front());
      }
    }
    const int m = static_cast<int>(nodes.size()) - 1;
    const int t = Vine_IsTranscended();
    auto label = [&](int j, int l) {
      return std::string("(").append(CorrelationText(Vine_GetCorrValue(nodes[j], l))) + ") " +
             NodeName(nodes[j]);
    };
    std::vector<size_t> widest(static_cast<size_t>(std::max(t, 0) + 1), 0);
    for (int l = 1; l <= t; ++l)
      for (int j = l; j <= m; ++j) widest[l] = std::max(widest[l], label(j, l).size());
    for (int j = 0; j <= m; ++j) {
      std::string line;
      const int entries = std::min(j, std::max(t, 0));
      for (int l = 1; l <= entries; ++l) {
        if (l > 1) line += "  ";
        line += std::string(1, j == m ? kCorner : kTee) + kHorizontal +
                PadRight(label(j, l), static_cast<int>(widest[l]));
      }
      if (j < m && (t > 1 || entries == 0)) {
        std::string condition = NodeName(nodes[j]) + "|";
        for (int e = j - 1; e >= 0; --e) condition += NodeName(nodes[e]) + (e > 0 ? "," : "");
        line += (entries > 0 ? "  " : "") + condition;
      }
      w_.WriteLine(line, 0);
    }
  }

 private:
  TReporter& w_;
};

}  // namespace

void TReporter::WriteDependenceStructures() {
  TPictureWriter pictures(*this);
  std::vector<void*> nodes;
  for (int k = 1; k <= nNodes_; ++k)
    if (void* node = Get_TSMObject(k, ObjDependenceNode)) nodes.push_back(node);
  for (void* node : nodes) {
    if (!ShowsStructureName(node)) continue;
    char type[256] = {}, copula[256] = {};
    GetDependenceStrings(node, type, copula);
    WriteBlank(1);
    WriteLine("", 0);
    WriteLine(type, 0);
    if (copula[0]) WriteLine(copula, 0);
    WriteBlank(1);
    SelectStyle(105);
    void* previous = SetCurrentDependenceStructureRoot(node, "");
    switch (GetDependenceType(node)) {
      case 1: pictures.Matrix(node, nVariables_); break;
      case 2: pictures.CanonicalVine(node); break;
      case 3: pictures.DVine(node); break;
      default: break;
    }
    SetCurrentDependenceStructureRoot(previous, "");
    ReleaseStyle();
  }
  for (void* node : nodes) {
    if (HasParent(node)) continue;
    const size_t children = Children(node).size();
    const int type = GetDependenceType(node);
    const bool composite = IsCompositeNode(node);
    if (!(composite ? children >= 2 : (type == 0 || type == -2) && children >= 1)) continue;
    WriteBlank(1);
    WriteLine("", 0);
    WriteLine("Dependence structure type: Dependence Tree", 0);
    if (composite) {
      char title[256] = {};
      GetCopulaTitle(GetBivariateType(node), title);
      WriteLine(("Bivariate type: " + std::string(title) + " ... Tree name: " + NodeName(node))
                    .substr(0, 100),
                0);
    } else {
      char typeText[256] = {}, copula[256] = {};
      GetDependenceStrings(node, typeText, copula);
      WriteLine(copula, 0);
    }
    WriteBlank(1);
    SelectStyle(105);
    pictures.Tree(node, " ", TDraw::Root, 0);
    ReleaseStyle();
  }
}

}  // namespace tesmira::wb
