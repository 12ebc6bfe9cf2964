#include "zozivor/network.h"

#include <algorithm>
#include <cmath>

#include "model/short_string.h"
#include "model/sim_blocks.h"

namespace tesmira {
namespace {

constexpr std::size_t kNodeNameLength = 10;

bool IsNodeType(char c) { return c == 'S' || c == 's' || c == 'D' || c == 'd'; }
bool IsSupply(char c) { return c == 'S' || c == 's'; }
bool IsDemand(char c) { return c == 'D' || c == 'd'; }

// 1-based position of the separator letter (the later of its first upper-
// and lower-case occurrence), 0 when it does not split the name.
std::size_t SeparatorAt(std::string_view name, char upper) {
  std::size_t a = name.find(upper);
  std::size_t b = name.find(static_cast<char>(upper + 32));
  std::size_t p = 0;
  if (a != std::string_view::npos) p = a + 1;
  if (b != std::string_view::npos) p = std::max(p, b + 1);
  if (p <= 1 || p >= name.size()) return 0;
  return p;
}

void Append(std::string& out, std::string_view text) {
  out.append(text);
  out += "\r\n";
}

}  // namespace

ZoziVorNetwork::ZoziVorNetwork() { tables_.Clear(); }
ZoziVorNetwork::~ZoziVorNetwork() = default;

int ZoziVorNetwork::FindNode(std::string_view name) const {
  for (int v = 1; v <= tables_.NodeCount(); ++v)
    if (tables_.nodes[static_cast<std::size_t>(v)].name == name) return v;
  return 0;
}

void ZoziVorNetwork::AddName(std::string_view name, int16_t binding) {
  if (name == "FORMULA" || name == "formula") return;
  auto& nodes = tables_.nodes;
  if (!name.empty() && IsNodeType(name[0]) &&
      (name.size() < 2 || std::string_view("CLUclu").find(name[1]) == std::string_view::npos)) {
    std::string_view nodeName = name.substr(1, kNodeNameLength);
    for (int v = 1; v <= tables_.NodeCount(); ++v) {
      ZoziVorNode& node = nodes[static_cast<std::size_t>(v)];
      if (node.type == name[0] && node.name == nodeName) {
        node.binding = binding;
        return;
      }
    }
    ZoziVorNode node;
    node.name = std::string(nodeName);
    node.type = name[0];
    node.binding = binding;
    nodes.push_back(std::move(node));
    return;
  }
  char letter = 'L';
  std::size_t p = SeparatorAt(name, 'L');
  if (p == 0) {
    letter = 'U';
    p = SeparatorAt(name, 'U');
  }
  if (p == 0) {
    letter = 'C';
    p = SeparatorAt(name, 'C');
  }
  if (p == 0) return;
  int ends[2];
  std::string_view parts[2] = {name.substr(0, std::min(p - 1, kNodeNameLength)),
                               name.substr(p, kNodeNameLength)};
  for (int i = 0; i < 2; ++i) {
    ends[i] = FindNode(parts[i]);
    if (ends[i] == 0) {
      ZoziVorNode node;
      node.name = std::string(parts[i]);
      nodes.push_back(std::move(node));
      ends[i] = tables_.NodeCount();
    }
  }
  ZoziVorArc* arc = nullptr;
  for (int a = 1; a <= tables_.ArcCount(); ++a) {
    ZoziVorArc& x = tables_.arcs[static_cast<std::size_t>(a)];
    if (x.from == ends[0] && x.to == ends[1]) {
      arc = &x;
      break;
    }
  }
  if (arc == nullptr) {
    ZoziVorArc x;
    x.from = static_cast<int16_t>(ends[0]);
    x.to = static_cast<int16_t>(ends[1]);
    tables_.arcs.push_back(x);
    arc = &tables_.arcs.back();
  }
  (letter == 'L'   ? arc->lowerBinding
   : letter == 'U' ? arc->upperBinding
                   : arc->costBinding) = binding;
}

void ZoziVorNetwork::Bind(const TSampleList& inputs, const TSampleList& outputs) {
  tables_.Clear();
  modelInputs_ = std::clamp<int>(inputs.count, 0, MaxSampleListEntries);
  modelOutputs_ = std::clamp<int>(outputs.count, 0, MaxSampleListEntries);
  auto full = [&] {
    return tables_.NodeCount() >= ZoziVorReadLimit || tables_.ArcCount() >= ZoziVorReadLimit;
  };
  for (int k = 1; k <= modelInputs_ && !full(); ++k)
    AddName(ShortStringView(inputs.entries[k - 1].name), static_cast<int16_t>(k));
  for (int k = 1; k <= modelOutputs_ && !full(); ++k)
    AddName(ShortStringView(outputs.entries[k - 1].name), static_cast<int16_t>(-k));
  readNodes_ = tables_.NodeCount();
  readArcs_ = tables_.ArcCount();

  // Only arcs whose cost is an input stay, in their order.
  std::vector<ZoziVorArc> kept(1);
  for (int a = 1; a <= tables_.ArcCount(); ++a)
    if (tables_.arcs[static_cast<std::size_t>(a)].costBinding > 0)
      kept.push_back(tables_.arcs[static_cast<std::size_t>(a)]);
  tables_.arcs = std::move(kept);

  // The demand node of the input named "dx" takes up the difference of the sums.
  dxNode_ = 0;
  dxPosition_ = -1;
  for (int v = 1; v <= tables_.NodeCount() && dxNode_ == 0; ++v) {
    const ZoziVorNode& node = tables_.nodes[static_cast<std::size_t>(v)];
    if (!IsDemand(node.type) || node.binding == 0) continue;
    const TSampleListEntry& e =
        node.binding > 0 ? inputs.entries[node.binding - 1] : outputs.entries[-node.binding - 1];
    if (LowerCase(ShortStringView(e.name)) == "dx") {
      dxNode_ = v;
      dxPosition_ = node.binding > 0 ? node.binding - 1 : modelInputs_ - node.binding - 1;
    }
  }
}

bool ZoziVorNetwork::Setup(TSampleList& inputs, TSampleList& outputs, int64_t iteration,
                           const std::string& tracePath, std::string& message) {
  message.clear();
  infeasible_ = 0;
  solver_.ClearError();
  solver_.AllocateSolverTables();
  Bind(inputs, outputs);

  tracePath_ = tracePath;
  traceFailed_ = false;
  trace_.clear();
  traceFile_.reset();
  if (!tracePath_.empty()) {
    traceFile_ = std::make_unique<BufferedFile>();
    if (traceFile_->Create(tracePath_) != 0) {
      traceFile_.reset();
      traceFailed_ = true;
    } else {
      traceFile_->Write("Start ZoziVor\r\n", 15);
    }
  }

  if (readNodes_ >= ZoziVorReadLimit || readArcs_ >= ZoziVorReadLimit) {
    solver_.SetError(ZoziVorTooLarge,
                     "The number of nodes is too large. The maximal number is 800.");
    message = FormatError(iteration);
  } else if (modelInputs_ + modelOutputs_ > MaxSampleListEntries ||
             OutputCount() > MaxSampleListEntries) {
    // The network's lists hold 1000 entries each.
    message = "Too many input & output variables";
  }
  if (!message.empty()) {
    solver_.FreeSolverTables();
    End();
    return false;
  }

  // The network's lists: every model quantity is an input.
  TSampleList in = inputs;
  for (int k = 0; k < modelOutputs_; ++k) in.entries[modelInputs_ + k] = outputs.entries[k];
  in.count = static_cast<int16_t>(modelInputs_ + modelOutputs_);
  TSampleList out;
  ClearSampleList(out);
  int k = 0;
  for (int a = 1; a <= tables_.ArcCount(); ++a) {
    const ZoziVorArc& arc = tables_.arcs[static_cast<std::size_t>(a)];
    const std::string& from = tables_.nodes[static_cast<std::size_t>(arc.from)].name;
    const std::string& to = tables_.nodes[static_cast<std::size_t>(arc.to)].name;
    for (const char* letter : {"F", "M"}) {
      TSampleListEntry& e = out.entries[k++];
      SetShortString(e.name, from + letter + to);
      e.objectIndex = static_cast<int16_t>(a);
    }
  }
  SetShortString(out.entries[k++].name, "opt");
  out.count = static_cast<int16_t>(k);
  inputs = in;
  outputs = out;
  trace_.reserve(
      static_cast<std::size_t>(200 + 180 * tables_.ArcCount() + 50 * tables_.NodeCount()));
  return true;
}

double ZoziVorNetwork::BoundValue(const double* inputs, int16_t binding) const {
  return binding > 0 ? inputs[binding - 1] : inputs[modelInputs_ - binding - 1];
}

bool ZoziVorNetwork::Solve(double* inputs, double* outputs, int64_t sample, std::string& message) {
  solver_.ClearError();
  std::string* trace = traceFile_ ? &trace_ : nullptr;
  if (trace) {
    trace_ += "\r\nIteration ";
    Append(trace_, std::to_string(sample));
  }

  // Supplies and demands are whole numbers (halves to even).
  double supplies = 0, demands = 0;
  for (int v = 1; v <= tables_.NodeCount(); ++v) {
    ZoziVorNode& node = tables_.nodes[static_cast<std::size_t>(v)];
    if (node.binding == 0 || !IsNodeType(node.type)) continue;
    node.value = RoundReal48(std::nearbyint(BoundValue(inputs, node.binding)));
    (IsSupply(node.type) ? supplies : demands) += node.value;
  }
  int code = 0;
  const char* text = "";
  if (supplies < 0) {
    code = -1;
    text = "supplies is negative";
  } else if (demands < 0) {
    code = -2;
    text = "demands is negative";
  } else if (supplies != demands) {
    if (dxNode_ != 0) {
      double difference = supplies - demands;
      ZoziVorNode& dx = tables_.nodes[static_cast<std::size_t>(dxNode_)];
      dx.value = RoundReal48(dx.value + difference);
      inputs[dxPosition_] += difference;
    } else {
      code = -3;
      text = "demands is not equal to sum of supplies. Create dx demand node! ";
    }
  }

  bool solved = false;
  if (code == 0) {
    for (int a = 1; a <= tables_.ArcCount(); ++a) {
      ZoziVorArc& arc = tables_.arcs[static_cast<std::size_t>(a)];
      arc.lower = arc.lowerBinding ? RoundReal48(BoundValue(inputs, arc.lowerBinding)) : 0.0;
      arc.upper = arc.upperBinding ? RoundReal48(BoundValue(inputs, arc.upperBinding)) : 1.0;
      arc.cost = RoundReal48(BoundValue(inputs, arc.costBinding));
    }
    solver_.BuildNetworkProblem(tables_, trace);
    if (solver_.ErrorCode() == 0) solver_.Solve();
    int result = solver_.ErrorCode();
    if (result == 0 || result == ZoziVorInfeasible) {
      double total = solver_.ComputeSolution(tables_, trace);
      for (int a = 1; a <= tables_.ArcCount(); ++a) {
        const ZoziVorArc& arc = tables_.arcs[static_cast<std::size_t>(a)];
        outputs[2 * a - 2] = arc.flow;
        outputs[2 * a - 1] = arc.marginal;
      }
      outputs[2 * tables_.ArcCount()] = total;
      if (result == ZoziVorInfeasible) ++infeasible_;
      solver_.ClearError();
      solved = true;
    }
  }

  if (code < 0) {
    message = "Zozivor error " + std::to_string(code) + ": Sum of " + text;
  } else if (!solved) {
    message = FormatError(sample);
  }
  if (traceFile_) {
    traceFile_->Write(trace_.data(), trace_.size());
    trace_.clear();
  }
  return message.empty();
}

int ZoziVorNetwork::MarkArcParameterEntries(uint8_t* flags, int size) const {
  auto mark = [&](int16_t binding) {
    if (binding == 0) return;
    int position = binding > 0 ? binding : modelInputs_ - binding;
    if (position < size) flags[position] = 1;
  };
  for (int a = 1; a <= tables_.ArcCount(); ++a) {
    const ZoziVorArc& arc = tables_.arcs[static_cast<std::size_t>(a)];
    mark(arc.lowerBinding);
    mark(arc.upperBinding);
    mark(arc.costBinding);
  }
  return tables_.ArcCount();
}

std::string ZoziVorNetwork::FormatError(int64_t iteration) const {
  if (solver_.ErrorCode() == 0) return {};
  return "ZoziVor Error " + std::to_string(solver_.ErrorCode()) + "\r\n\r\n" + solver_.ErrorText() +
         "; iteration " + std::to_string(iteration);
}

bool ZoziVorNetwork::End() {
  solver_.FreeSolverTables();
  bool ok = !traceFailed_;
  if (traceFile_) ok = traceFile_->Close() && ok;
  traceFailed_ = false;
  traceFile_.reset();
  trace_.clear();
  trace_.shrink_to_fit();
  return ok;
}

ZoziVorNetwork& RunZoziVorNetwork() {
  static ZoziVorNetwork network;
  return network;
}

bool SetupZoziVor(TSampleList& inputs, TSampleList& outputs, int64_t iteration,
                  const std::string& tracePath, std::string& message) {
  return RunZoziVorNetwork().Setup(inputs, outputs, iteration, tracePath, message);
}

int MarkArcParameterEntries(uint8_t* flags, int size) {
  return RunZoziVorNetwork().MarkArcParameterEntries(flags, size);
}

bool SolveZoziVorSample(double* inputs, double* outputs, int64_t sample, std::string& message) {
  return RunZoziVorNetwork().Solve(inputs, outputs, sample, message);
}

void FormatZoziVorError(int64_t iteration, std::string& message) {
  message = RunZoziVorNetwork().FormatError(iteration);
}

void EndZoziVor(std::string& message) {
  RunZoziVorNetwork().End();
  message.clear();
}

}  // namespace tesmira
