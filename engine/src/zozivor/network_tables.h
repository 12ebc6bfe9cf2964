// The node and arc tables of a network model: what the name binding builds
// once per run and what every sample's solve reads and fills.
#pragma once

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace tesmira {

// Nodes and arcs are numbered from 1; the tables hold at most 799 of each.
inline constexpr int ZoziVorMaxItems = 799;
// Reading the names stops when this many nodes or arcs exist.
inline constexpr int ZoziVorReadLimit = 800;

struct ZoziVorNode {
  double value = 0;     // supply or demand of the current sample (a whole number)
  int16_t binding = 0;  // +k input entry k, -k output entry k, 0 none
  std::string name;     // up to 10 characters
  char type = 0;        // 'S'/'s' supply, 'D'/'d' demand, 0 known only from arc names
};

struct ZoziVorArc {
  double lower = 0, upper = 0, cost = 0;  // of the current sample
  double flow = 0, marginal = 0;          // results of the current sample
  double potentialFrom = 0, potentialTo = 0;
  int16_t from = 0, to = 0;
  int16_t lowerBinding = 0, upperBinding = 0, costBinding = 0;
  char state = 'b';  // 't' tree arc, 'c' at its upper bound, 'b' at its lower bound
};

struct ZoziVorNetworkTables {
  std::vector<ZoziVorNode> nodes;  // nodes[0] unused
  std::vector<ZoziVorArc> arcs;    // arcs[0] unused
  int NodeCount() const { return nodes.empty() ? 0 : static_cast<int>(nodes.size()) - 1; }
  int ArcCount() const { return arcs.empty() ? 0 : static_cast<int>(arcs.size()) - 1; }
  void Clear() {
    nodes.assign(1, ZoziVorNode{});
    arcs.assign(1, ZoziVorArc{});
  }
};

// The nearest value a 6-byte real holds (40 significant bits, halves to
// even; zero below about 2.9e-39 and the largest value, about 1.7e38, above
// the range), as the codec of the result files stores it. The network's
// tables keep every value at this precision.
inline double RoundReal48(double value) {
  uint64_t bits = std::bit_cast<uint64_t>(value);
  const uint64_t sign = bits & (uint64_t{1} << 63);
  uint64_t magnitude = bits & ~(uint64_t{1} << 63);
  if (magnitude >= (uint64_t{0x7ff} << 52)) {  // infinite or NaN
    if (magnitude > (uint64_t{0x7ff} << 52)) return value;
    magnitude = (uint64_t{1023 + 126} << 52) | (((uint64_t{1} << 39) - 1) << 13);
    return std::bit_cast<double>(sign | magnitude);
  }
  // Drop the 13 low mantissa bits, halves to even; a carry moves into the exponent.
  magnitude += 0xfff + ((magnitude >> 13) & 1);
  magnitude &= ~uint64_t{0x1fff};
  const uint64_t smallest = uint64_t{1023 - 128} << 52;  // 2^-128
  const uint64_t largest = (uint64_t{1023 + 126} << 52) | (((uint64_t{1} << 39) - 1) << 13);
  if (magnitude < smallest) return 0.0;
  if (magnitude > largest) magnitude = largest;
  return std::bit_cast<double>(sign | magnitude);
}

}  // namespace tesmira
