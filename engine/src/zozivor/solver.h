// The network solver: a dual network simplex on a spanning tree hung from an
// artificial root. It starts from a dual-feasible tree (all costs made
// non-negative, all potentials 0) whose tree flows may violate their bounds
// and removes the worst violation per iteration until none is left
// (optimal) or the violating part cannot be repaired (infeasible).
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "zozivor/network_tables.h"

namespace tesmira {

// Error codes of the solver (0: none).
enum ZoziVorSolverCode : int {
  ZoziVorTooLarge = 2,
  ZoziVorNegativeCapacity = 10,
  ZoziVorUnbalanced = 11,
  ZoziVorBlockingNode = 12,
  ZoziVorInfeasible = 13,
  // The iteration cap was reached: the pivots did not end (cycling).
  ZoziVorIterationLimit = 14,
};

class ZoziVorSolver {
 public:
  // Work tables of 801 slots (nodes and arcs); freed by FreeSolverTables.
  void AllocateSolverTables();
  void FreeSolverTables();
  bool Allocated() const { return !balance_.empty(); }

  // Builds nodes, balances and arcs from the network's current values,
  // appends the problem dump to trace (when not null), checks the problem
  // and sets up the initial tree. Returns the constant part of the
  // objective; a failed check leaves its code and text.
  double BuildNetworkProblem(const ZoziVorNetworkTables& net, std::string* trace);
  // Thread, depth and subtree data of the initial tree (every node below the root).
  void InitTreeCounts();
  // One iteration; false when the iterations end (optimal, infeasible or an
  // error: see ErrorCode).
  bool SolverIteration();
  // Flows, reduced costs, states and potentials of every arc into the
  // network's arc table; appends the solution table to trace; returns the
  // total cost.
  double ComputeSolution(ZoziVorNetworkTables& net, std::string* trace);

  // Iterates from the built problem until the end; true when the result is
  // optimal or infeasible (code 0 or 13).
  bool Solve();

  int ErrorCode() const { return code_; }
  const std::string& ErrorText() const { return text_; }
  void SetError(int code, std::string text);
  void ClearError() {
    code_ = 0;
    text_.clear();
  }
  int64_t Iterations() const { return iterations_; }
  // The cap on the iterations of one problem: min(50 (n + m)^2, 2e6) unless set.
  void SetIterationCap(int64_t cap) { capOverride_ = cap; }

 private:
  void Link(int a);
  void Unlink(int a);
  void Reverse(int a);
  // Moves the subtree of v (formerly below p, re-rooted at q along
  // path_[0..count), new parents already set) below r in the thread, the
  // depths and the subtree ends.
  void Rehang(int v, int p, int q, int r, int count);
  // Steps of building a problem.
  void LoadNodes(const ZoziVorNetworkTables& net);
  double LoadArcs(const ZoziVorNetworkTables& net);
  void TraceProblem(const ZoziVorNetworkTables& net, double constant, std::string& out) const;
  bool CheckProblem(const ZoziVorNetworkTables& net);
  // Steps of one iteration.
  int LeavingNode() const;
  int EnteringArc(int v, bool excess, int leaving, double& best);
  int PushCycleFlow(int v, int p, int q, int r, double inside);
  // Flow towards the root on the node's tree arc.
  double TreeFlow(int v) const;
  void SetTreeFlow(int v, double f);
  void AddFlow(int v, double change);
  void MarkViolation(int v);

  int n_ = 0, m_ = 0;
  int code_ = 0;
  std::string text_;
  int64_t iterations_ = 0;
  int64_t cap_ = 0;
  int64_t capOverride_ = 0;
  int stamp_ = 0;

  // Per node 0..n (0 is the root).
  std::vector<double>
      balance_;  // flow of the tree arc towards the root (+ capacity for a downward arc)
  std::vector<double> capacity_;  // capacity of the node's tree arc (0 without one)
  std::vector<double> potential_;
  std::vector<int> parent_, treeArc_, thread_, depth_, last_;
  std::vector<int> before_;  // the thread backwards
  std::vector<int> order_, oldLast_;
  // Per node its outgoing and incoming arcs (arc, other end), backwards.
  std::vector<std::vector<std::pair<int, int>>> outList_, inList_;
  std::vector<int> mark_;
  std::vector<int> path_;
  std::vector<double> pathFlow_;
  std::vector<int> pathArc_;
  std::vector<std::string> names_;
  // Per arc 1..m (solver orientation).
  std::vector<int> tail_, head_;
  std::vector<double> arcCapacity_, arcCost_;
  std::vector<uint8_t> reversed_;
  std::vector<int> dumpOrder_;
  std::vector<uint64_t> violating_;  // one bit per node whose tree arc is out of bounds  // the
                                     // arcs in the order of the problem dump
  bool infeasible_ = false;
};

}  // namespace tesmira
