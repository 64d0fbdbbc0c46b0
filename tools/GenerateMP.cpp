// Writes a synthetic MP file; see MPGenerator.hpp for what it holds.
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "MPGenerator.hpp"

namespace {

const char* const kUsage =
    "Usage: GenerateMP [--patches N] [--years N] [--seed N] [--resolution KM] [--ties SHARE]\n"
    "                  [--columns N] [--axis X|Y] [--crlf] [-o FILE]\n"
    "  --patches     number of patches (default 500)\n"
    "  --years       number of simulated years (default 200)\n"
    "  --seed        seed of the random streams (default 1)\n"
    "  --resolution  kilometres per coordinate unit; 0 leaves the km line out (default 2.5)\n"
    "  --ties        share of patches repeating an earlier coordinate on the drift axis (0.05)\n"
    "  --columns     columns after the population on each value line, at least 1 (default 4)\n"
    "  --axis        axis along which the range drifts (default Y)\n"
    "  --crlf        end lines with CR LF\n"
    "  -o            output file (default standard output)\n";

[[noreturn]] void Fail(const std::string& message) {
  std::cerr << message << '\n' << kUsage;
  std::exit(1);
}

}  // namespace

int main(int argc, char* argv[]) {
  MPGenerator::Options options;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    std::string option = argv[i];
    if (option == "--crlf") {
      options.crlf = true;
      continue;
    }
    if (option == "-h" || option == "--help") {
      std::cout << kUsage;
      return 0;
    }
    if (i + 1 >= argc)
      Fail("Missing value after " + option);
    const char* value = argv[++i];
    if (option == "--patches")
      options.patches = std::atol(value);
    else if (option == "--years")
      options.years = std::atol(value);
    else if (option == "--seed")
      options.seed = std::strtoull(value, nullptr, 10);
    else if (option == "--resolution")
      options.resolution = std::atof(value);
    else if (option == "--ties")
      options.tieShare = std::atof(value);
    else if (option == "--columns")
      options.extraColumns = std::atoi(value);
    else if (option == "--axis")
      options.driftAxis = value[0] == 'X' ? 'X' : 'Y';
    else if (option == "-o")
      output = value;
    else
      Fail("Unknown option " + option);
  }
  if (options.patches < 0 || options.years < 0 || options.extraColumns < 1)
    Fail("Patches and years must not be negative, columns must be at least 1");
  bool written;
  if (output.empty()) {
    std::ios::sync_with_stdio(false);
    written = MPGenerator::Write(options, std::cout);
  } else {
    std::ofstream out(output, std::ios::binary);
    if (!out)
      Fail("Cannot open " + output);
    written = MPGenerator::Write(options, out);
  }
  if (!written) {
    std::cerr << "Writing failed\n";
    return 1;
  }
  return 0;
}
