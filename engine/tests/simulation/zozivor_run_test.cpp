// Runs of network models: the variables bound by name to supplies, demands,
// bounds and costs; every sample solved; flows, marginal costs and the
// optimum written as outputs.
#include <cmath>
#include <sstream>
#include <vector>

#include "simulation_fixture.h"

namespace {

using example::AddVariable;
using example::Node;

class ZoziVorRunTest : public SimulationTest {
 protected:
  TExtendedRandomVariable* Var(const std::string& name, int type, double p1, double p2 = 0) {
    TExtendedRandomVariable* rv = AddVariable(name, type, p1, p2);
    Node(name);
    return rv;
  }
  // Two plants (plant 1 uncertain), two markets and a store "x" that takes
  // the surplus; crossing costs uncertain.
  void BuildTransport(double storeCapacity) {
    SetModelType(ModelTypeZoziVor);
    Var("s1", DistUniform, 20, 40);
    Var("s2", DistConstant, 30);
    Var("d3", DistConstant, 25);
    Var("d4", DistConstant, 25);
    Var("dx", DistConstant, 0);
    Var("1c3", DistUniform, 0.5, 1.5);
    Var("1c4", DistUniform, 3, 5);
    Var("2c3", DistUniform, 2, 4);
    Var("2c4", DistUniform, 1, 3);
    Var("1cx", DistConstant, 0.25);
    Var("2cx", DistConstant, 0.25);
    for (const char* arc : {"1u3", "1u4", "2u3", "2u4"}) Var(arc, DistConstant, 100);
    Var("1ux", DistConstant, storeCapacity);
    Var("2ux", DistConstant, storeCapacity);
  }
  // The comma-separated sample file: names and rows.
  std::vector<std::string> names_;
  std::vector<std::vector<double>> rows_;
  void ReadSae(const std::string& path) {
    std::istringstream text(ReadAll(path));
    std::string line;
    bool first = true;
    while (std::getline(text, line)) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.empty()) continue;
      std::istringstream fields(line);
      std::string field;
      std::vector<double> row;
      while (std::getline(fields, field, ',')) {
        while (!field.empty() && field.front() == ' ') field.erase(0, 1);
        if (first)
          names_.push_back(field);
        else
          row.push_back(std::stod(field));
      }
      if (!first) rows_.push_back(row);
      first = false;
    }
  }
  double Value(const std::vector<double>& row, const std::string& name) const {
    for (std::size_t k = 0; k < names_.size(); ++k)
      if (names_[k] == name) return row[k];
    ADD_FAILURE() << "no column " << name;
    return NAN;
  }
};

TEST_F(ZoziVorRunTest, EverySampleIsSolvedAndWritten) {
  BuildTransport(100);
  TRunRequest r = Request(2, 11, RunWriteInputs | RunWriteOutputs | RunCommaSeparated);
  ASSERT_EQ(Run_simul(&r), RunCompleted) << Message(r);
  EXPECT_EQ(Message(r), "");
  EXPECT_TRUE(std::filesystem::exists(Path("debug.znp")));
  ReadSae(Path("model.sae"));
  ASSERT_EQ(rows_.size(), 200u);
  for (const auto& row : rows_) {
    double s1 = Value(row, "s1");
    // Plant 1 ships its whole (whole-numbered) output; the store takes the surplus.
    double shipped = Value(row, "1F3") + Value(row, "1F4") + Value(row, "1Fx");
    EXPECT_EQ(shipped, std::nearbyint(s1));
    EXPECT_EQ(Value(row, "dx"), std::nearbyint(s1) + 30 - 50);
    EXPECT_EQ(Value(row, "1F3") + Value(row, "2F3"), 25);
    double cost = 0;
    for (const char* a : {"1?3", "1?4", "2?3", "2?4", "1?x", "2?x"}) {
      std::string flow(a), unit(a);
      flow[1] = 'F';
      unit[1] = 'c';
      cost += Value(row, flow) * Value(row, unit);
    }
    EXPECT_NEAR(Value(row, "opt"), cost, 1e-3 * std::fabs(cost));
  }
}

TEST_F(ZoziVorRunTest, SelectedColumnsBringTheirArcsResults) {
  BuildTransport(100);
  void* objects[] = {Fetch_extended_random_variable(0, "1c3"), nullptr};
  TRunRequest r =
      Request(1, 11, RunWriteInputs | RunWriteOutputs | RunWriteSelected | RunCommaSeparated);
  r.sampledObjects = objects;
  ASSERT_EQ(Run_simul(&r), RunCompleted) << Message(r);
  ReadSae(Path("model.sae"));
  std::string header;
  for (const std::string& n : names_) header += n + " ";
  // The arc's flow and marginal cost follow its cost; the last two outputs always come.
  EXPECT_EQ(header, "1c3 1F3 1M3 2Mx opt ");
  EXPECT_EQ(rows_.size(), 100u);
}

TEST_F(ZoziVorRunTest, InfeasibleSamplesAreCounted) {
  BuildTransport(2);  // the store holds too little for most surpluses
  TRunRequest r = Request(1, 11, RunWriteInputs | RunWriteOutputs);
  ASSERT_EQ(Run_simul(&r), RunCompleted) << Message(r);
  std::string m = Message(r);
  ASSERT_NE(m.find(" samples infeasible"), std::string::npos) << m;
  int n = std::stoi(m);
  EXPECT_GT(n, 50);
  EXPECT_LT(n, 100);
}

TEST_F(ZoziVorRunTest, RefusedRunsGiveTheNetworkCode) {
  struct Case {
    int options;
    bool store;
    std::string message;
  };
  const Case cases[] = {
      {RunWriteInputs | RunWriteOutputs, false,
       "Zozivor error -3: Sum of demands is not equal to sum of supplies. Create dx demand node! "},
      {RunWriteInputs, true, "Zozivor can`t run with the output supressed"},
  };
  for (const Case& c : cases) {
    End_model_data();
    Init_Model_data();
    SetModelFileName(Path("model.tsm").c_str());
    SetModelType(ModelTypeZoziVor);
    Var("s1", DistConstant, 5);
    Var("d2", DistConstant, 3);
    Var("1c2", DistConstant, 1);
    Var("1u2", DistConstant, 10);
    if (c.store) Var("dx", DistConstant, 0);
    TRunRequest r = Request(1, 3, c.options);
    EXPECT_EQ(Run_simul(&r), RunZoziVorFailure);
    EXPECT_EQ(Message(r), c.message);
    int32_t size = 0;
    auto* data = static_cast<TSampleData*>(Fetch_object(ObjSampleData, 0, nullptr, &size));
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(data->accepted, 0);
  }
}

}  // namespace
