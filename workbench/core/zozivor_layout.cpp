// Node arrangements of the ZoziVor graph (fixed figures and the force
// layout) and the ".dnt" side file that keeps the node positions.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <stdexcept>

#include "model_helpers.h"
#include "utilities.h"
#include "workbench.h"
#include "zozivor_graph.h"
#include "zozivor_undo.h"

namespace tesmira::wb {

namespace {

int Trunc(double value) { return static_cast<int>(std::trunc(value)); }

std::vector<TGraphNode*> Nodes(const TGraph& graph) {
  std::vector<TGraphNode*> nodes;
  for (const auto& e : graph.Elements)
    if (e->IsNode()) nodes.push_back(static_cast<TGraphNode*>(e.get()));
  return nodes;
}

}  // namespace

void TGraph::PlaceNodes(int kind) {
  const std::vector<TGraphNode*> nodes = Nodes(*this);
  const double w = ClientWidth, h = ClientHeight;
  const int c = static_cast<int>(nodes.size());
  const int g = Trunc(std::sqrt(static_cast<double>(c)) + 0.99999);
  const int f = Trunc(c / 2.0 + 0.999999);
  for (int i = 0; i < c; ++i) {
    TGraphNode* n = nodes[static_cast<std::size_t>(i)];
    switch (kind) {
      case 0: {
        // From the right, clockwise on screen.
        const double a = std::numbers::pi / 2 - (static_cast<double>(i) / c) * 2 * std::numbers::pi;
        n->X = Trunc(std::sin(a) * (w / 2 - 60) + w / 2) - 30;
        n->Y = Trunc(std::cos(a) * (h / 2 - 60) + h / 2);
        break;
      }
      case 1:
        n->X = Trunc(w * (i % g + 1) / (g + 1));
        n->Y = Trunc(h * (i / g + 1) / (g + 1));
        break;
      case 2:
        n->X = Trunc(w * (i % f + 1) / (f + 2));
        n->Y = Trunc(h * (i / f + 1) / 3);
        break;
      case 3:
        n->X = Trunc(w * (i % 2 + 1) / 3);
        n->Y = Trunc(h * (i / 2 + 1) / (c / 2.0 + 2));
        break;
      default: break;
    }
  }
}

void TGraph::Arrange(int kind, bool withUndo) {
  SetModified(wb_, true);
  if (withUndo) {
    CurrentUndoGroup group(wb_.Undo);
    for (TGraphNode* n : Nodes(*this))
      group.AddItem(std::make_unique<TUndoDualNodeMove>(*this, *n));
    PlaceNodes(kind);
    group.Push();
  } else {
    PlaceNodes(kind);
  }
  if (kind == 4) Relax();
  UpdateScrollBars();
}

double TGraph::ArcLength(const TGraphEdge& arc) const {
  if (arc.First == nullptr || arc.Second == nullptr) return 0;
  return std::hypot(arc.Second->FloatX - arc.First->FloatX, arc.Second->FloatY - arc.First->FloatY);
}

void TGraph::Relax() {
  double total = 0;
  int arcs = 0;
  for (const auto& e : Elements) {
    if (e->IsNode()) {
      auto* n = static_cast<TGraphNode*>(e.get());
      n->ForceX = n->ForceY = 0;
      n->FloatX = n->X;
      n->FloatY = n->Y;
    }
  }
  for (const auto& e : Elements) {
    if (e->IsNode()) continue;
    total += ArcLength(*static_cast<const TGraphEdge*>(e.get()));
    ++arcs;
  }
  const double rest = arcs > 0 ? total / arcs : 0.0;
  for (int step = 0; step < 100; ++step) {
    RelaxStep(rest);
    UpdateScrollBars();
    view_->ProcessEvents();
  }
  while (CtrlHeld && CtrlHeld()) {
    RelaxStep(rest);
    UpdateScrollBars();
    view_->ProcessEvents();
  }
}

void TGraph::RelaxStep(double restLength) {
  // Springs pull every arc towards the rest length.
  for (const auto& e : Elements) {
    if (e->IsNode()) continue;
    const auto* arc = static_cast<const TGraphEdge*>(e.get());
    TGraphNode* a = arc->First;
    TGraphNode* b = arc->Second;
    if (a == nullptr || b == nullptr) continue;
    const double vx = b->FloatX - a->FloatX, vy = b->FloatY - a->FloatY;
    const double length = std::hypot(vx, vy);
    const double k = length == 0 ? 0.0 : (restLength - length) / (3 * length);
    b->ForceX += k * vx;
    b->ForceY += k * vy;
    a->ForceX -= k * vx;
    a->ForceY -= k * vy;
  }
  // Nodes closer than 100 pixels push each other away; nodes on one spot
  // part in random directions.
  const std::vector<TGraphNode*> nodes = Nodes(*this);
  for (TGraphNode* n : nodes) {
    double dx = 0, dy = 0;
    for (const TGraphNode* m : nodes) {
      if (m == n) continue;
      const double vx = n->FloatX - m->FloatX, vy = n->FloatY - m->FloatY;
      const double q = vx * vx + vy * vy;
      if (q == 0) {
        dx += Random();
        dy += Random();
      } else if (q < 10000) {
        dx += vx / q;
        dy += vy / q;
      }
    }
    const double d = dx * dx + dy * dy;
    if (d > 0) {
      const double s = std::sqrt(d) / 2;
      n->ForceX += dx / s;
      n->ForceY += dy / s;
    }
  }
  const TGraphNode* dragged = DragState != 0 ? NodeAt(SelectedIndex) : nullptr;
  auto keep = [](double p, double high) { return p < 50 ? 50 : (p > high ? high : p); };
  for (TGraphNode* n : nodes) {
    if (n == dragged) continue;
    n->FloatX = keep(n->FloatX + std::clamp(n->ForceX, -5.0, 5.0), ClientWidth - 100.0);
    n->FloatY = keep(n->FloatY + std::clamp(n->ForceY, -5.0, 5.0), ClientHeight - 100.0);
    n->X = Trunc(n->FloatX);
    n->Y = Trunc(n->FloatY);
    n->ForceX /= 2;
    n->ForceY /= 2;
  }
}

// ---- the side file --------------------------------------------------------------

namespace {

constexpr char kMagic[4] = {'.', 'D', 'N', 'T'};
constexpr int32_t kVersion = 1;
constexpr int32_t kNodeRecord = 1;
constexpr int32_t kNodePayload = 12;

void PutInt32(std::string& out, int32_t value) {
  const auto u = static_cast<uint32_t>(value);
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((u >> shift) & 0xFF);
}

class TDntError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads the little-endian fields of the side file at 64-bit positions.
class TDntReader {
 public:
  explicit TDntReader(const std::string& path) : in_(path, std::ios::binary) {
    if (!in_) throw TDntError("Unrecoginzed file format");
    in_.seekg(0, std::ios::end);
    size_ = static_cast<int64_t>(in_.tellg());
    in_.seekg(0);
  }
  int64_t Left() const { return size_ - position_; }
  int64_t Position() const { return position_; }
  void Seek(int64_t position) {
    position_ = position;
    in_.seekg(position);
  }
  void Read(void* buffer, int64_t count, const char* failure) {
    if (Left() < count) throw TDntError(failure);
    in_.read(static_cast<char*>(buffer), count);
    if (!in_) throw TDntError(failure);
    position_ += count;
  }
  int32_t Int32(const char* failure) {
    unsigned char b[4];
    Read(b, 4, failure);
    return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                                static_cast<uint32_t>(b[2]) << 16 |
                                static_cast<uint32_t>(b[3]) << 24);
  }

 private:
  std::ifstream in_;
  int64_t size_ = 0;
  int64_t position_ = 0;
};

void ReadDnt(TGraph& graph, const std::string& path) {
  TDntReader in(path);
  char magic[4] = {};
  in.Read(magic, 4, "Unrecoginzed file format");
  if (std::memcmp(magic, kMagic, 4) != 0) throw TDntError("Unrecoginzed file format");
  if (in.Int32("Unsupported version") > kVersion) throw TDntError("Unsupported version");
  in.Int32("Unexpected end");
  // A file ends after a whole record, or inside the type field of the next.
  while (in.Left() >= 4) {
    const int32_t type = in.Int32("Unexpected end");
    in.Int32("Unexpected end");
    const int32_t length = in.Int32("Unexpected end");
    // A negative length would lead back into the record forever.
    if (length < 0 || (type == kNodeRecord && length < kNodePayload))
      throw TDntError("Unexpected end");
    const int64_t next = in.Position() + length;
    if (type == kNodeRecord) {
      const int32_t number = in.Int32("Unexpected end");
      const int32_t x = in.Int32("Unexpected end");
      const int32_t y = in.Int32("Unexpected end");
      if (TGraphNode* node = graph.FindNode(number, false)) {
        node->X = std::clamp(x, -TGraph::kCoordinateLimit, TGraph::kCoordinateLimit);
        node->Y = std::clamp(y, -TGraph::kCoordinateLimit, TGraph::kCoordinateLimit);
      }
    }
    if (next > in.Position() + in.Left()) break;
    in.Seek(next);
  }
}

// Replaces the file only with a whole new one.
bool WriteWholeFile(const std::string& path, const std::string& bytes) {
  namespace fs = std::filesystem;
  const std::string temporary = path + ".tmp";
  std::error_code ec;
  {
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.flush();
    if (!out) {
      out.close();
      fs::remove(temporary, ec);
      return false;
    }
  }
  fs::rename(temporary, path, ec);
  if (ec) {
    fs::remove(temporary, ec);
    return false;
  }
  return true;
}

}  // namespace

bool TGraph::SaveLayout(const std::string& modelFileName) const {
  if (GetHeaderModelType() != 3) return true;
  std::string bytes(kMagic, 4);
  PutInt32(bytes, kVersion);
  PutInt32(bytes, 0);
  for (const TGraphNode* n : Nodes(*this)) {
    PutInt32(bytes, kNodeRecord);
    PutInt32(bytes, 1);
    PutInt32(bytes, kNodePayload);
    PutInt32(bytes, n->Number);
    PutInt32(bytes, n->X);
    PutInt32(bytes, n->Y);
  }
  return WriteWholeFile(ChangeFileExt(modelFileName, ".dnt"), bytes);
}

bool TGraph::LoadLayout(const std::string& modelFileName) {
  if (GetHeaderModelType() != 3) return true;
  SyncWithModel(false);
  bool ok = true;
  try {
    const std::string dnt = ChangeFileExt(modelFileName, ".dnt");
    const std::string found = FindDerivedFile(dnt);
    ReadDnt(*this, found.empty() ? dnt : found);
  } catch (const TDntError&) {
    // The model opens with the circle instead, and is not changed by it.
    PlaceNodes(0);
    ok = false;
  }
  UpdateScrollBars();
  return ok;
}

}  // namespace tesmira::wb
