#include "zozivor/solver.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <string_view>

#include "text/value_text.h"

namespace tesmira {
namespace {

constexpr int kSlots = ZoziVorMaxItems + 2;  // 801: nodes 0..800, arcs 1..800
constexpr double kZero = 1e-8;
constexpr double kNoCandidate = 2147483647.0;
constexpr int kNone = -1;

double Snap(double v) { return std::fabs(v) < kZero ? 0.0 : v; }

// (x - k)^2 above the capacity k, x^2 below 0, else 0 (k >= 0).
double Violation(double x, double k) {
  double d = std::max(x - k, -x);
  return d >= kZero ? d * d : 0.0;
}

void Right(std::string& out, std::string_view text, std::size_t width) {
  if (text.size() < width) out.append(width - text.size(), ' ');
  out.append(text);
}

void Fixed(std::string& out, double v, int decimals, int width) {
  AppendFixed(out, v, decimals, width);
}

void Line(std::string& out, std::string_view text = {}) {
  out.append(text);
  out += "\r\n";
}

}  // namespace

void ZoziVorSolver::AllocateSolverTables() {
  for (auto* v : {&balance_, &capacity_, &potential_, &pathFlow_, &arcCapacity_, &arcCost_})
    v->assign(kSlots, 0.0);
  for (auto* v : {&parent_, &treeArc_, &thread_, &depth_, &last_, &before_, &order_, &oldLast_,
                  &mark_, &path_, &pathArc_, &tail_, &head_, &dumpOrder_})
    v->assign(kSlots, 0);
  reversed_.assign(kSlots, 0);
  outList_.assign(kSlots, {});
  inList_.assign(kSlots, {});
  violating_.assign((kSlots + 63) / 64, 0);
  names_.assign(kSlots, std::string());
  for (std::string& s : names_) s.reserve(10);
  stamp_ = 0;
}

void ZoziVorSolver::FreeSolverTables() {
  for (auto* v : {&balance_, &capacity_, &potential_, &pathFlow_, &arcCapacity_, &arcCost_}) {
    v->clear();
    v->shrink_to_fit();
  }
  for (auto* v : {&parent_, &treeArc_, &thread_, &depth_, &last_, &before_, &order_, &oldLast_,
                  &mark_, &path_, &pathArc_, &tail_, &head_, &dumpOrder_}) {
    v->clear();
    v->shrink_to_fit();
  }
  reversed_.clear();
  outList_.clear();
  outList_.shrink_to_fit();
  inList_.clear();
  inList_.shrink_to_fit();
  names_.clear();
  n_ = m_ = 0;
}

void ZoziVorSolver::SetError(int code, std::string text) {
  code_ = code;
  text_ = std::move(text);
}

// The lists of outgoing and incoming arcs, each held backwards: the arc
// added last is at the back and comes first.
void ZoziVorSolver::Link(int a) {
  outList_[tail_[a]].push_back({a, head_[a]});
  inList_[head_[a]].push_back({a, tail_[a]});
}

void ZoziVorSolver::Unlink(int a) {
  auto drop = [a](std::vector<std::pair<int, int>>& list) {
    for (std::size_t i = 0; i < list.size(); ++i)
      if (list[i].first == a) {
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
        return;
      }
  };
  drop(outList_[tail_[a]]);
  drop(inList_[head_[a]]);
}

// An arc that leaves the tree at its capacity is turned round, so that every
// non-tree arc carries flow 0 in the solver's orientation.
void ZoziVorSolver::Reverse(int a) {
  Unlink(a);
  std::swap(tail_[a], head_[a]);
  arcCost_[a] = -arcCost_[a];
  reversed_[a] ^= 1;
  Link(a);
}

double ZoziVorSolver::TreeFlow(int v) const {
  int a = treeArc_[v];
  if (a != 0 && head_[a] == v) return balance_[v] - capacity_[v];
  return balance_[v];
}

void ZoziVorSolver::SetTreeFlow(int v, double f) {
  int a = treeArc_[v];
  capacity_[v] = a != 0 ? arcCapacity_[a] : 0.0;
  balance_[v] = RoundReal48(a != 0 && head_[a] == v ? f + capacity_[v] : f);
  MarkViolation(v);
}

void ZoziVorSolver::AddFlow(int v, double change) {
  balance_[v] = RoundReal48(balance_[v] + change);
  MarkViolation(v);
}

void ZoziVorSolver::MarkViolation(int v) {
  const uint64_t bit = uint64_t{1} << (v & 63);
  const double x = balance_[v];
  const uint64_t on = (x - capacity_[v] >= kZero || x <= -kZero) ? bit : 0;
  violating_[v >> 6] = (violating_[v >> 6] & ~bit) | on;
}
void ZoziVorSolver::LoadNodes(const ZoziVorNetworkTables& net) {
  for (int v = 0; v <= n_; ++v) {
    balance_[v] = capacity_[v] = potential_[v] = 0;
    parent_[v] = 0;
    treeArc_[v] = 0;
    outList_[v].clear();
    inList_[v].clear();
    mark_[v] = 0;
    if (v > 0) {
      const ZoziVorNode& node = net.nodes[static_cast<std::size_t>(v)];
      names_[v] = node.name;
      if (node.type == 'S' || node.type == 's')
        balance_[v] = node.value;
      else if (node.type == 'D' || node.type == 'd')
        balance_[v] = -node.value;
    }
  }
  stamp_ = 0;
}

// Arcs of negative cost are turned round; lower bounds move into the balances.
double ZoziVorSolver::LoadArcs(const ZoziVorNetworkTables& net) {
  double constant = 0;
  for (int a = 1; a <= m_; ++a) {
    const ZoziVorArc& arc = net.arcs[static_cast<std::size_t>(a)];
    int from = std::clamp<int>(arc.from, 1, std::max(n_, 1));
    int to = std::clamp<int>(arc.to, 1, std::max(n_, 1));
    double l = arc.lower, u = arc.upper, c = arc.cost;
    if (c >= 0) {
      tail_[a] = from;
      head_[a] = to;
      arcCost_[a] = c;
      balance_[from] -= l;
      balance_[to] += l;
      constant += l * c;
      reversed_[a] = 0;
    } else {
      tail_[a] = to;
      head_[a] = from;
      arcCost_[a] = -c;
      balance_[from] -= u;
      balance_[to] += u;
      constant += u * c;
      reversed_[a] = 1;
    }
    arcCapacity_[a] = RoundReal48(u - l);
    Link(a);
  }
  for (int v = 1; v <= n_; ++v) balance_[v] = RoundReal48(balance_[v]);

  // The dump order: every node's outgoing arcs in the order they were added.
  int k = 0;
  for (int v = 1; v <= n_; ++v) {
    for (const auto& entry : outList_[v]) dumpOrder_[k++] = entry.first;
  }
  return RoundReal48(constant);
}

void ZoziVorSolver::TraceProblem(const ZoziVorNetworkTables& net, double constant,
                                 std::string& out) const {
  Line(out, "BEGIN");
  out += " PROBLEM NUMBER   1 ";
  Right(out, std::to_string(n_), 7);
  Line(out, " NODES");
  auto nodes = [&](bool supply) {
    for (int v = 1; v <= n_; ++v) {
      const ZoziVorNode& node = net.nodes[static_cast<std::size_t>(v)];
      bool isSupply = node.type == 'S' || node.type == 's';
      bool isDemand = node.type == 'D' || node.type == 'd';
      if (supply ? !isSupply : !isDemand) continue;
      Right(out, node.name, 12);
      Fixed(out, node.value, 0, 28);
      Line(out);
    }
  };
  Line(out, "SUPPLY");
  nodes(true);
  Line(out, "ARCS                         c      a       b ");
  for (int k = 0; k < m_; ++k) {
    const ZoziVorArc& arc = net.arcs[static_cast<std::size_t>(dumpOrder_[k])];
    Right(out, net.nodes[static_cast<std::size_t>(arc.from)].name, 12);
    Right(out, net.nodes[static_cast<std::size_t>(arc.to)].name, 12);
    Fixed(out, arc.cost, 2, 8);
    Fixed(out, arc.lower, 2, 8);
    Fixed(out, arc.upper, 2, 8);
    Line(out);
  }
  Line(out, "DEMAND");
  nodes(false);
  Line(out, "END");
  Line(out);
  out += "Value : ";
  Fixed(out, constant, 2, 12);
  Line(out);
  Line(out);
}

// Checks, in this order: arc capacities, the balance sum, blocking nodes.
bool ZoziVorSolver::CheckProblem(const ZoziVorNetworkTables& net) {
  for (int a = 1; a <= m_; ++a) {
    if (arcCapacity_[a] < 0) {
      const ZoziVorArc& arc = net.arcs[static_cast<std::size_t>(a)];
      SetError(ZoziVorNegativeCapacity,
               "The problem is INFEASIBLE!\n\rArc ( " +
                   net.nodes[static_cast<std::size_t>(arc.from)].name + ", " +
                   net.nodes[static_cast<std::size_t>(arc.to)].name + ") has negative capacity.");
      return false;
    }
  }
  double sum = 0;
  for (int v = 1; v <= n_; ++v) sum += balance_[v];
  if (!(std::fabs(sum) < kZero)) {
    SetError(ZoziVorUnbalanced,
             " The problem is INFEASIBLE!\r\n The sum of the external flows is nonzero.");
    return false;
  }
  for (int v = 1; v <= n_; ++v) {
    if ((outList_[v].empty() && balance_[v] >= kZero) ||
        (inList_[v].empty() && balance_[v] <= -kZero)) {
      SetError(ZoziVorBlockingNode,
               " The problem is INFEASIBLE!\r\n Node " + names_[v] + " is blocking");
      return false;
    }
  }
  return true;
}

double ZoziVorSolver::BuildNetworkProblem(const ZoziVorNetworkTables& net, std::string* trace) {
  ClearError();
  infeasible_ = false;
  iterations_ = 0;
  n_ = net.NodeCount();
  m_ = net.ArcCount();
  if (n_ > ZoziVorMaxItems || m_ > ZoziVorMaxItems) {
    SetError(ZoziVorTooLarge, "The number of nodes is too large. The maximal number is 800.");
    return 0;
  }
  if (!Allocated()) AllocateSolverTables();
  LoadNodes(net);
  const double constant = LoadArcs(net);
  if (trace) TraceProblem(net, constant, *trace);
  if (!CheckProblem(net)) return constant;

  // The initial tree: every node hangs from the root without a tree arc.
  for (int v = 1; v <= n_; ++v) parent_[v] = 0;
  InitTreeCounts();
  std::fill(violating_.begin(), violating_.end(), 0);
  for (int v = 1; v <= n_; ++v) MarkViolation(v);
  int64_t size = n_ + m_;
  cap_ = capOverride_ > 0 ? capOverride_ : std::min<int64_t>(50 * size * size + 50, 2000000);
  return constant;
}

// The initial tree: the thread runs 0 -> 1 -> ... -> n -> 0, every node its
// own subtree at depth 1.
void ZoziVorSolver::InitTreeCounts() {
  depth_[0] = 0;
  for (int v = 0; v <= n_; ++v) {
    thread_[v] = v < n_ ? v + 1 : 0;
    before_[v] = v > 0 ? v - 1 : n_;
    last_[v] = v;
    if (v > 0) depth_[v] = 1;
  }
  last_[0] = n_;
}

void ZoziVorSolver::Rehang(int v, int p, int q, int r, int count) {
  // The subtree leaves the thread; the ancestors that ended with it end before it.
  const int oldEnd = last_[v];
  const int previous = before_[v], next = thread_[oldEnd];
  thread_[previous] = next;
  before_[next] = previous;
  for (int a = p;; a = parent_[a]) {
    if (last_[a] != oldEnd) break;
    last_[a] = previous;
    if (a == 0) break;
  }
  // Its new preorder from q: the old subtree of q, then each path node with
  // its old subtree less the part already taken, in path order.
  for (int i = 0; i < count; ++i) oldLast_[i] = last_[path_[i]];
  int k = 0;
  for (int w = q;; w = thread_[w]) {
    order_[k++] = w;
    if (w == oldLast_[0]) break;
  }
  for (int i = 1; i < count; ++i) {
    for (int w = path_[i]; w != path_[i - 1]; w = thread_[w]) order_[k++] = w;
    if (oldLast_[i - 1] != oldLast_[i]) {
      for (int w = thread_[oldLast_[i - 1]];; w = thread_[w]) {
        order_[k++] = w;
        if (w == oldLast_[i]) break;
      }
    }
  }
  // Path nodes now end where the whole subtree ends; depths follow the new parents.
  const int end = order_[k - 1];
  for (int i = 0; i < count; ++i) last_[path_[i]] = end;
  for (int i = 0; i < k; ++i) depth_[order_[i]] = depth_[parent_[order_[i]]] + 1;
  // It goes in after the end of r's subtree.
  const int at = last_[r];
  const int after = thread_[at];
  int prev = at;
  for (int i = 0; i < k; ++i) {
    thread_[prev] = order_[i];
    before_[order_[i]] = prev;
    prev = order_[i];
  }
  thread_[end] = after;
  before_[after] = end;
  for (int a = r;; a = parent_[a]) {
    if (last_[a] != at) break;
    last_[a] = end;
    if (a == 0) break;
  }
}

// The largest violation, the first one on ties; 0 when there is none. Only
// the nodes flagged as violating are looked at, in number order.
inline int ZoziVorSolver::LeavingNode() const {
  const double* balance = balance_.data();
  const double* capacity = capacity_.data();
  int v = 0;
  double worst = 0;
  for (std::size_t word = 0; word < violating_.size(); ++word) {
    for (uint64_t bits = violating_[word]; bits != 0; bits &= bits - 1) {
      int u = static_cast<int>(word * 64) + std::countr_zero(bits);
      double violation = Violation(balance[u], capacity[u]);
      if (violation > worst) {
        worst = violation;
        v = u;
      }
    }
  }
  return v;
}

// Out of the subtree of v for an excess, into it for a deficit; subtree nodes
// in thread order, each node's arcs in list order. The leaving arc itself is
// no candidate. 0 when there is none; best is the entering arc's reduced cost.
inline int ZoziVorSolver::EnteringArc(int v, bool excess, int leaving, double& best) {
  const int* thread = thread_.data();
  const int end = last_[v];
  const int stamp = ++stamp_;
  int* mark = mark_.data();
  for (int w = v;; w = thread[w]) {
    mark[w] = stamp;
    if (w == end) break;
  }
  const double* potential = potential_.data();
  const double* cost = arcCost_.data();
  int entering = 0;
  best = kNoCandidate;
  if (excess) {
    for (int w = v;; w = thread[w]) {
      const double pw = potential[w];
      const auto& list = outList_[static_cast<std::size_t>(w)];
      for (std::size_t i = list.size(); i-- > 0;) {
        const auto [a, o] = list[i];
        if (mark[o] == stamp || a == leaving) continue;
        double rc = cost[a] + pw - potential[o];
        if (rc < best) {
          best = rc;
          entering = a;
        }
      }
      if (w == end) break;
    }
  } else {
    for (int w = v;; w = thread[w]) {
      const double pw = potential[w];
      const auto& list = inList_[static_cast<std::size_t>(w)];
      for (std::size_t i = list.size(); i-- > 0;) {
        const auto [a, o] = list[i];
        if (mark[o] == stamp || a == leaving) continue;
        double rc = cost[a] + potential[o] - pw;
        if (rc < best) {
          best = rc;
          entering = a;
        }
      }
      if (w == end) break;
    }
  }
  return entering;
}

// Flows along the cycle that the entering arc closes: inside the subtree from
// q up to v (the path is kept in path_, its flows and arcs beside it),
// outside from p and from r up to their common ancestor. Returns the path's length.
inline int ZoziVorSolver::PushCycleFlow(int v, int p, int q, int r, double inside) {
  int count = 0;
  for (int w = q;; w = parent_[w]) {
    path_[count++] = w;
    AddFlow(w, inside);
    if (w == v) break;
  }
  int a = p, b = r;
  while (a != b) {
    if (depth_[a] >= depth_[b]) {
      AddFlow(a, inside);
      a = parent_[a];
    } else {
      AddFlow(b, -inside);
      b = parent_[b];
    }
  }
  for (int i = 0; i < count; ++i) {
    pathFlow_[i] = TreeFlow(path_[i]);
    pathArc_[i] = treeArc_[path_[i]];
  }
  return count;
}

bool ZoziVorSolver::SolverIteration() {
  if (code_ != 0 || infeasible_ || n_ == 0) return false;
  if (iterations_ >= cap_) {
    SetError(ZoziVorIterationLimit,
             "The solver did not reach a solution in " + std::to_string(cap_) + " iterations.");
    return false;
  }
  ++iterations_;

  const int v = LeavingNode();
  if (v == 0) return false;  // optimal
  const bool excess = balance_[v] - capacity_[v] >= kZero;
  const double delta = excess ? balance_[v] - capacity_[v] : -balance_[v];
  const int leaving = treeArc_[v];

  double best = 0;
  const int entering = EnteringArc(v, excess, leaving, best);
  // No entering arc: the violation cannot be repaired.
  if (entering == 0) {
    infeasible_ = true;
    SetError(ZoziVorInfeasible, "The problem is INFEASIBLE");
    return false;
  }

  // Pivot. Potentials of the subtree shift so that the entering arc's
  // reduced cost becomes 0.
  const double shift = excess ? -best : best;
  if (shift != 0) {
    const int end = last_[v];
    for (int w = v;; w = thread_[w]) {
      potential_[w] = RoundReal48(potential_[w] + shift);
      if (w == end) break;
    }
  }
  const int q = excess ? tail_[entering] : head_[entering];  // the end inside the subtree
  const int r = excess ? head_[entering] : tail_[entering];
  const int p = parent_[v];
  const int count = PushCycleFlow(v, p, q, r, excess ? -delta : delta);

  // The leaving arc leaves at a bound; at its capacity it is turned round.
  if (leaving != 0) {
    bool up = tail_[leaving] == v;
    if (up == excess) Reverse(leaving);
  }

  // The subtree is re-hung at the entering arc: the path from q to v turns
  // round.
  for (int i = 1; i < count; ++i) {
    int w = path_[i];
    parent_[w] = path_[i - 1];
    treeArc_[w] = pathArc_[i - 1];
    SetTreeFlow(w, -pathFlow_[i - 1]);
  }
  parent_[q] = r;
  treeArc_[q] = entering;
  SetTreeFlow(q, excess ? delta : -delta);
  Rehang(v, p, q, r, count);
  return true;
}

bool ZoziVorSolver::Solve() {
  while (SolverIteration()) {
  }
  return code_ == 0 || code_ == ZoziVorInfeasible;
}

double ZoziVorSolver::ComputeSolution(ZoziVorNetworkTables& net, std::string* trace) {
  double total = 0;
  for (int a = 1; a <= m_; ++a) {
    ZoziVorArc& arc = net.arcs[static_cast<std::size_t>(a)];
    double c = std::fabs(arcCapacity_[a]);
    int t = tail_[a], h = head_[a];
    double x = 0;
    bool tree = false;
    if (treeArc_[h] == a) {
      x = c - balance_[h];
      tree = true;
    } else if (treeArc_[t] == a) {
      x = balance_[t];
      tree = true;
    }
    double flow = reversed_[a] ? arc.lower + (c - x) : arc.lower + x;
    arc.flow = Snap(RoundReal48(flow));
    arc.marginal = Snap(RoundReal48(potential_[t] + arcCost_[a] - potential_[h]));
    arc.state = tree ? 't' : (reversed_[a] ? 'c' : 'b');
    arc.potentialFrom = Snap(potential_[std::clamp<int>(arc.from, 0, n_)]);
    arc.potentialTo = Snap(potential_[std::clamp<int>(arc.to, 0, n_)]);
    total += arc.cost * arc.flow;
  }
  total = Snap(RoundReal48(total));

  if (trace) {
    std::string& out = *trace;
    Line(out, "   arcs .     a .  flow.       b .     c . marg.cost  arctype . pot[v] . pot[w]");
    for (int k = 0; k < m_; ++k) {
      const ZoziVorArc& arc = net.arcs[static_cast<std::size_t>(dumpOrder_[k])];
      Right(out, net.nodes[static_cast<std::size_t>(arc.from)].name, 3);
      out += "  ";
      Right(out, net.nodes[static_cast<std::size_t>(arc.to)].name, 3);
      Fixed(out, arc.lower, 2, 8);
      Fixed(out, arc.flow, 2, 8);
      out += (arc.flow < arc.lower - kZero || arc.flow > arc.upper + kZero) ? '*' : ' ';
      Fixed(out, arc.upper, 2, 7);
      Fixed(out, Snap(arc.cost), 2, 8);
      Fixed(out, arc.marginal, 2, 8);
      out += arc.marginal < 0 ? '*' : ' ';
      Right(out, arc.state == 't' ? "tree " : (arc.state == 'c' ? "ceiling" : "bottom"), 12);
      Fixed(out, arc.potentialFrom, 2, 8);
      Fixed(out, arc.potentialTo, 2, 8);
      Line(out);
    }
    if (infeasible_) Line(out, "*** INFEASIBLE ***");
    out += "Recalculated Value : ";
    Fixed(out, total, 2, 12);
    Line(out);
  }
  return total;
}

}  // namespace tesmira
