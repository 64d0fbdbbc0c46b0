#pragma once

#include <cstdint>
#include <ostream>
#include <string>

// Synthetic MP files for benchmarks and tests: a header with a cell length in km, one
// patch line per patch, a migration part, the whole-population block and one block per
// patch. Populations follow a habitat optimum that drifts along one axis over the
// years, with noise, extinctions and recolonisations, so that the range edges move.
// The same options always give the same bytes on the same platform.
namespace MPGenerator {

struct Options {
  long patches = 500;
  long years = 200;
  std::uint64_t seed = 1;
  // Kilometres per coordinate unit, written as "cell length R km"; 0 leaves the line out.
  double resolution = 2.5;
  // Share of patches whose coordinate on the drift axis repeats an earlier patch's.
  double tieShare = 0.05;
  // Blank-separated columns after the population on every value line (at least 1: a
  // lone "0" would be shorter than a value line must be).
  int extraColumns = 4;
  // 'X' or 'Y': the axis along which the habitat optimum drifts.
  char driftAxis = 'Y';
  bool crlf = false;
};

// Writes the whole file to `out`; returns false when `out` failed.
bool Write(const Options& options, std::ostream& out);

// The whole file as text, for loading from memory.
std::string MakeText(const Options& options);

}  // namespace MPGenerator
