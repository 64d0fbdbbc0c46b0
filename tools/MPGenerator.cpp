#include "MPGenerator.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <sstream>
#include <vector>

namespace MPGenerator {

namespace {

// Coordinates are whole thousandths of a unit, written with three decimals, so that a
// repeated coordinate is the same text and reads as the same double.
constexpr std::int64_t kMilli = 1000;
constexpr std::int64_t kRangeLength = 100000 * kMilli;  // along the drift axis
constexpr std::int64_t kRangeWidth = 20000 * kMilli;    // across it

// splitmix64: small, fast and the same on every platform.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state(seed) {}
  std::uint64_t Next() {
    std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1).
  double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }
  // Uniform in [0, bound).
  std::int64_t Below(std::int64_t bound) {
    return static_cast<std::int64_t>(Uniform() * static_cast<double>(bound));
  }
  // Roughly normal with mean 0 and deviation 1 (Irwin-Hall of four uniforms).
  double Noise() { return (Uniform() + Uniform() + Uniform() + Uniform() - 2.0) * std::sqrt(3.0); }

 private:
  std::uint64_t state;
};

std::uint64_t StreamSeed(std::uint64_t seed, std::uint64_t stream) {
  Random mixer(seed ^ (stream * 0xd1b54a32d192ed03ULL));
  return mixer.Next();
}

struct Patch {
  std::int64_t along = 0;   // coordinate on the drift axis, in thousandths
  std::int64_t across = 0;  // the other coordinate
  long capacity = 0;        // carrying capacity at the habitat optimum
  double growth = 0;        // intrinsic growth rate
};

std::vector<Patch> MakeLandscape(const Options& options) {
  Random random(StreamSeed(options.seed, 0));
  std::vector<Patch> patches(static_cast<std::size_t>(options.patches));
  for (std::size_t i = 0; i < patches.size(); ++i) {
    Patch& patch = patches[i];
    bool tie = i > 0 && random.Uniform() < options.tieShare;
    patch.along = tie ? patches[random.Below(static_cast<std::int64_t>(i))].along
                      : random.Below(kRangeLength);
    patch.across = random.Below(kRangeWidth);
    patch.capacity = 20 + static_cast<long>(random.Below(1980));
    patch.growth = 0.2 + 0.6 * random.Uniform();
  }
  return patches;
}

// The population of one patch, year by year. Each patch draws from a stream of its own,
// so a patch can be replayed without the others.
class PatchHistory {
 public:
  PatchHistory(const Options& options, const Patch& patch, std::size_t index)
      : patch(patch),
        years(options.years),
        random(StreamSeed(options.seed, index + 1)),
        population(0) {
    double capacity = Capacity(0);
    if (random.Uniform() < 0.9 * Suitability(0))
      population = static_cast<long>(capacity * (0.5 + 0.5 * random.Uniform()));
  }

  long Population() const { return population; }

  void Advance(long year) {
    double suitability = Suitability(year);
    if (population > 0) {
      if (random.Uniform() < 0.004) {  // catastrophe
        population = 0;
        return;
      }
      double capacity = patch.capacity * suitability + 1.0;
      double change = patch.growth * (1.0 - population / capacity) + 0.15 * random.Noise();
      double next = population * std::exp(std::min(change, 3.0));
      population = static_cast<long>(std::floor(next + random.Uniform()));
      if (population < 3 && random.Uniform() < 0.5)
        population = 0;
    } else if (random.Uniform() < 0.03 * suitability) {  // recolonisation
      population = 1 + static_cast<long>(random.Below(20));
    }
  }

 private:
  // The optimum drifts across the middle half of the range, with a slow wobble.
  double Optimum(long year) const {
    double progress = years > 1 ? static_cast<double>(year) / static_cast<double>(years - 1) : 0.0;
    double wobble = 0.05 * std::sin(2.0 * std::numbers::pi * static_cast<double>(year) / 97.0);
    return static_cast<double>(kRangeLength) * (0.25 + 0.5 * progress + wobble);
  }
  double Suitability(long year) const {
    double distance = (static_cast<double>(patch.along) - Optimum(year)) /
                      (0.18 * static_cast<double>(kRangeLength));
    return std::exp(-0.5 * distance * distance);
  }
  double Capacity(long year) const { return patch.capacity * Suitability(year); }

  const Patch& patch;
  long years;
  Random random;
  long population;
};

// The columns of a value line after the population: low and high estimates, a tenth
// (say, adults of one stage) and zeros (say, harvest).
std::int64_t ExtraColumn(int column, std::int64_t population) {
  switch (column) {
    case 0:
      return population * 4 / 5;
    case 1:
      return (population * 6 + 4) / 5;
    case 2:
      return population / 10;
    default:
      return 0;
  }
}

class LineWriter {
 public:
  LineWriter(std::ostream& out, bool crlf) : out(out), crlf(crlf) {
    buffer.reserve(kFlushAt + 256);
  }
  ~LineWriter() { Flush(); }

  LineWriter& Text(std::string_view text) {
    buffer.append(text);
    return *this;
  }
  LineWriter& Integer(std::int64_t value) {
    char digits[24];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    buffer.append(digits, end);
    return *this;
  }
  LineWriter& Number(double value) {
    char digits[32];
    auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    buffer.append(digits, end);
    return *this;
  }
  LineWriter& Fixed(double value, int decimals) {
    char digits[64];
    auto end =
        std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, decimals)
            .ptr;
    buffer.append(digits, end);
    return *this;
  }
  // Thousandths with three decimals, such as 18000.000.
  LineWriter& Milli(std::int64_t thousandths) {
    Integer(thousandths / kMilli).Text(".");
    char digits[4] = {static_cast<char>('0' + thousandths / 100 % 10),
                      static_cast<char>('0' + thousandths / 10 % 10),
                      static_cast<char>('0' + thousandths % 10), '\0'};
    return Text(digits);
  }
  void End() {
    buffer.append(crlf ? "\r\n" : "\n");
    if (buffer.size() >= kFlushAt)
      Flush();
  }
  void Flush() {
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    buffer.clear();
  }

 private:
  static constexpr std::size_t kFlushAt = 1 << 20;
  std::ostream& out;
  bool crlf;
  std::string buffer;
};

void WriteValueLine(LineWriter& writer, const std::vector<std::int64_t>& columns) {
  for (std::size_t i = 0; i < columns.size(); ++i) {
    if (i > 0)
      writer.Text(" ");
    writer.Integer(columns[i]);
  }
  writer.End();
}

void FillColumns(std::vector<std::int64_t>& columns, std::int64_t population) {
  columns[0] = population;
  for (std::size_t i = 1; i < columns.size(); ++i)
    columns[i] = ExtraColumn(static_cast<int>(i - 1), population);
}

void WriteHeader(LineWriter& writer, const Options& options) {
  writer.Text("Metapopulation model: synthetic landscape, seed ")
      .Integer(static_cast<std::int64_t>(options.seed))
      .End();
  // A title with a keyword inside a word and commas, but not the shape of a patch line.
  writer.Text("Pop20 scenario, dispersal 10x").End();
  if (options.resolution > 0)
    writer.Text("cell length ").Number(options.resolution).Text(" km").End();
  writer.Text("Stage matrix follows the patch list").End();
  writer.Text("Populations").End();
}

void WritePatchLines(LineWriter& writer, const Options& options,
                     const std::vector<Patch>& landscape) {
  Random random(StreamSeed(options.seed, ~std::uint64_t{0}));
  bool alongX = options.driftAxis == 'X';
  for (std::size_t i = 0; i < landscape.size(); ++i) {
    const Patch& patch = landscape[i];
    writer.Text("Pop ").Integer(static_cast<std::int64_t>(i + 1)).Text(",");
    writer.Milli(alongX ? patch.along : patch.across).Text(",");
    writer.Milli(alongX ? patch.across : patch.along).Text(",");
    writer.Integer(patch.capacity).Text(",1,").Fixed(random.Uniform(), 2);
    writer.Text(",2,EX,0,1,TRUE").End();
  }
}

void WriteMigrationPart(LineWriter& writer, const Options& options) {
  Random random(StreamSeed(options.seed, ~std::uint64_t{1}));
  writer.Text("Migration").End();
  writer.Text("TRUE").End();
  long rows = std::min(options.patches, 4L);
  long columns = std::min(options.patches, 12L);
  for (long row = 0; row < rows; ++row) {
    for (long column = 0; column < columns; ++column) {
      if (column > 0)
        writer.Text(",");
      writer.Fixed(0.05 * random.Uniform(), 4);
    }
    writer.End();
  }
  writer.Text("Constraints Matrix").End();
}

void WriteResults(LineWriter& writer, const Options& options, const std::vector<Patch>& landscape) {
  std::size_t width = 1 + static_cast<std::size_t>(std::max(options.extraColumns, 1));
  std::vector<std::int64_t> columns(width);
  // First pass: the whole population of every year. The patches are replayed for
  // their own blocks, which keeps memory independent of patches x years.
  std::vector<std::vector<std::int64_t>> totals(static_cast<std::size_t>(options.years),
                                                std::vector<std::int64_t>(width, 0));
  for (std::size_t i = 0; i < landscape.size(); ++i) {
    PatchHistory history(options, landscape[i], i);
    for (long year = 0; year < options.years; ++year) {
      if (year > 0)
        history.Advance(year);
      FillColumns(columns, history.Population());
      for (std::size_t c = 0; c < width; ++c)
        totals[static_cast<std::size_t>(year)][c] += columns[c];
    }
  }
  writer.Text("Pop. ALL").End();
  for (const auto& total : totals)
    WriteValueLine(writer, total);
  for (std::size_t i = 0; i < landscape.size(); ++i) {
    writer.Text("Pop. ").Integer(static_cast<std::int64_t>(i + 1)).End();
    PatchHistory history(options, landscape[i], i);
    for (long year = 0; year < options.years; ++year) {
      if (year > 0)
        history.Advance(year);
      FillColumns(columns, history.Population());
      WriteValueLine(writer, columns);
    }
  }
}

}  // namespace

bool Write(const Options& options, std::ostream& out) {
  std::vector<Patch> landscape = MakeLandscape(options);
  {
    LineWriter writer(out, options.crlf);
    WriteHeader(writer, options);
    WritePatchLines(writer, options, landscape);
    WriteMigrationPart(writer, options);
    WriteResults(writer, options, landscape);
  }
  out.flush();
  return static_cast<bool>(out);
}

std::string MakeText(const Options& options) {
  std::ostringstream out;
  Write(options, out);
  return std::move(out).str();
}

}  // namespace MPGenerator
