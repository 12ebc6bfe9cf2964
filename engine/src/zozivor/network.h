// The network model of a ZoziVor run: the model's variables and formulas are
// bound to the supplies and demands of nodes and to the bounds and costs of
// arcs purely by their names; every sample is then solved as a
// minimum-cost-flow problem whose flows, marginal costs and optimum are the
// run's outputs.
//
// Names: "S"/"s" (supply) or "D"/"d" (demand) followed by a node name whose
// first character is none of C, L, U, c, l, u; "<from>L<to>", "<from>U<to>"
// and "<from>C<to>" (either case) for the lower bound, upper bound and cost
// of an arc. Only arcs whose cost is an input are kept. The outputs are
// "<from>F<to>" (flow) and "<from>M<to>" (marginal cost) per arc and "opt".
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "files/buffered_file.h"
#include "tesmira/objects.h"
#include "zozivor/network_tables.h"
#include "zozivor/solver.h"

namespace tesmira {

class ZoziVorNetwork {
 public:
  ZoziVorNetwork();
  ~ZoziVorNetwork();
  ZoziVorNetwork(const ZoziVorNetwork&) = delete;
  ZoziVorNetwork& operator=(const ZoziVorNetwork&) = delete;

  // Binds the network to the model's lists and replaces them by the
  // network's lists: inputs = the model's inputs followed by its outputs,
  // outputs = F and M per kept arc followed by "opt". Creates the trace file
  // (none when tracePath is empty) with "Start ZoziVor". False with the
  // message when the network is too large; the lists are then unchanged.
  bool Setup(TSampleList& inputs, TSampleList& outputs, int64_t iteration,
             const std::string& tracePath, std::string& message);

  // Solves the network for the current values of the network's inputs
  // (by list position, 0-based; a "dx" entry is raised to balance the
  // network) and stores flows, marginal costs and the optimum into outputs.
  // False with the message when the sample cannot be solved.
  bool Solve(double* inputs, double* outputs, int64_t sample, std::string& message);

  // Flags the list positions (1-based; an output entry k of the model's
  // lists counts as input count + k) used as an arc's lower bound, upper
  // bound or cost; returns the number of arcs.
  int MarkArcParameterEntries(uint8_t* flags, int size) const;

  // "ZoziVor Error <code>" CR LF CR LF <text> "; iteration <n>" when the
  // solver holds an error, else empty.
  std::string FormatError(int64_t iteration) const;

  // Frees the work tables and closes the trace; false when the trace could
  // not be created or written completely.
  bool End();

  int64_t InfeasibleSamples() const { return infeasible_; }
  int InputCount() const { return modelInputs_ + modelOutputs_; }
  int OutputCount() const { return 2 * tables_.ArcCount() + 1; }
  const ZoziVorNetworkTables& Tables() const { return tables_; }
  ZoziVorSolver& Solver() { return solver_; }
  const std::string& TracePath() const { return tracePath_; }

  // The binding alone (exposed for tests): reads the names of both lists.
  void Bind(const TSampleList& inputs, const TSampleList& outputs);

 private:
  double BoundValue(const double* inputs, int16_t binding) const;
  void AddName(std::string_view name, int16_t binding);
  int FindNode(std::string_view name) const;

  ZoziVorNetworkTables tables_;
  ZoziVorSolver solver_;
  int modelInputs_ = 0, modelOutputs_ = 0;
  int dxNode_ = 0;
  int dxPosition_ = 0;  // 0-based position of the "dx" entry among the network's inputs
  int readNodes_ = 0, readArcs_ = 0;
  int64_t infeasible_ = 0;
  std::string tracePath_;
  bool traceFailed_ = false;  // the trace file could not be created
  std::string trace_;
  std::unique_ptr<BufferedFile> traceFile_;
};

// The network of the running simulation (one per run).
ZoziVorNetwork& RunZoziVorNetwork();

// The operations of a ZoziVor run on the network above.
bool SetupZoziVor(TSampleList& inputs, TSampleList& outputs, int64_t iteration,
                  const std::string& tracePath, std::string& message);
int MarkArcParameterEntries(uint8_t* flags, int size);
bool SolveZoziVorSample(double* inputs, double* outputs, int64_t sample, std::string& message);
void FormatZoziVorError(int64_t iteration, std::string& message);
void EndZoziVor(std::string& message);

}  // namespace tesmira
