// libFuzzer target: arbitrary bytes as an MP file, read by the stream form of LoadMP (and
// by the file form, which must agree), then, when a collection comes back, the analysis a
// run does on it (cleaning, both edges, shifts, each smoothing type) and the minimum
// convex polygon areas. One input in eight also goes through the whole program.
//
// An input may start with a settings line "#! threshold axis burn-in cleaning window
// start-year" (any prefix of the fields); the rest of the input is the MP file. Without
// it the settings are those of a typical run.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <unistd.h>

#include "analysis/TCentroidTools.hpp"
#include "driver/TundrelRun.hpp"
#include "model/TCentroids.hpp"
#include "model/TPatches.hpp"
#include "model/TundrelError.hpp"
#include "mpfile/DecimalReader.hpp"
#include "mpfile/TMPParser.hpp"

namespace {

// Bounds that keep one input well under a second: the analysis is quadratic in the
// patches (ordering, hull walks) and linear in patches times the span of the year list.
constexpr std::size_t kMaxInputBytes = 64 * 1024;
constexpr long kMaxPatches = 256;
constexpr long kMaxYearSpan = 1024;
constexpr long kMaxPatchYears = 16 * 1024;

struct Settings {
  double threshold = 0.1;
  char axis = 'Y';
  long burnIn = 0;
  long cleaning = 0;
  long window = 3;
  long startYear = 2000;
};

long Clamp(long value, long low, long high) {
  return value < low ? low : value > high ? high : value;
}

// Splits off the optional settings line and returns the MP text that follows it.
std::string ReadSettings(const std::string& input, Settings& settings) {
  if (input.rfind("#!", 0) != 0)
    return input;
  std::size_t end = input.find('\n');
  std::istringstream fields(input.substr(2, end == std::string::npos ? end : end - 2));
  std::string field;
  if (fields >> field)
    settings.threshold = std::strtod(field.c_str(), nullptr);
  if (fields >> field)
    settings.axis = field[0];
  // The driver keeps counts and years within 32 bits and rejects windows below 1.
  if (fields >> field)
    settings.burnIn = Clamp(std::strtol(field.c_str(), nullptr, 10), INT32_MIN, INT32_MAX);
  if (fields >> field)
    settings.cleaning = Clamp(std::strtol(field.c_str(), nullptr, 10), INT32_MIN, INT32_MAX);
  if (fields >> field)
    settings.window = Clamp(std::strtol(field.c_str(), nullptr, 10), 1, INT32_MAX);
  if (fields >> field)
    settings.startYear = Clamp(std::strtol(field.c_str(), nullptr, 10), INT32_MIN, INT32_MAX);
  return end == std::string::npos ? std::string() : input.substr(end + 1);
}

// The year list spans from the smallest first year to the largest last year; a patch
// without years reports 99999999 and 0, which can stretch it far beyond the file.
bool WithinBounds(TPatches& patches) {
  long count = patches.GetNumPatches();
  if (count > kMaxPatches)
    return false;
  if (count == 0)
    return true;
  long first = 0, last = 0, entries = 0;
  bool seen = false;
  for (const auto& entry : patches.GetPatchMap()) {
    TPatch* patch = entry.second;
    entries += static_cast<long>(patch->GetPopulations().size());
    if (!seen || patch->GetMinYear() < first)
      first = patch->GetMinYear();
    if (!seen || patch->GetMaxYear() > last)
      last = patch->GetMaxYear();
    seen = true;
  }
  long span = last >= first ? last - first + 1 : 0;
  return entries <= kMaxPatchYears && span <= kMaxYearSpan && span * count <= 16 * kMaxYearSpan;
}

[[noreturn]] void Fault(const std::string& what) {
  std::fprintf(stderr, "fault: %s\n", what.c_str());
  std::abort();
}

void Require(bool condition, const char* what) {
  if (!condition)
    Fault(what);
}

using Series = std::unique_ptr<TCentroids>;

std::size_t SizeOf(const Series& series) {
  return series->GetPointMap().size();
}

// A smoothed series by windows of w has an entry for each window start, under the year at
// start + (w - 1) / 2.
void CheckWindowed(const Series& input, const Series& smoothed, long window) {
  std::vector<long> years = input->GetYearList();
  long count = static_cast<long>(years.size());
  long expected = count >= window ? count - window + 1 : 0;
  Require(static_cast<long>(SizeOf(smoothed)) == expected, "windowed series has the wrong length");
  if (expected > 0)
    Require(smoothed->YearExists(years[(window - 1) / 2]), "windowed series starts elsewhere");
}

void Smooth(const Series& shifts, long window) {
  Series average(TCentroidTools::MovingAverage(shifts.get(), window));
  CheckWindowed(shifts, average, window);
  Series median(TCentroidTools::MedianSmoothing(shifts.get(), window));
  CheckWindowed(shifts, median, window);
  Series exponential(TCentroidTools::ExponentialSmoothing(shifts.get(), 2.0 / (window + 1.0)));
  Require(SizeOf(exponential) == SizeOf(shifts), "exponential smoothing dropped years");
}

void Analyse(TPatches* loaded, const Settings& settings) {
  std::unique_ptr<TPatches> cleaned;
  TPatches* current = loaded;
  if (settings.cleaning > 0) {
    cleaned.reset(TCentroidTools::CleanPatches(loaded, settings.cleaning));
    Require(cleaned->GetNumPatches() <= loaded->GetNumPatches(), "cleaning added patches");
    current = cleaned.get();
  }
  std::size_t years = TCentroidTools::MakeYearList(current).size();
  for (bool direction : {false, true}) {
    Series centroids(TCentroidTools::GetSubpopulationWeightedMeans(current, settings.threshold,
                                                                   settings.axis, direction));
    Require(SizeOf(centroids) == years, "one centroid per year of the year list");
    // A run reports "No years to report" instead of asking for shifts it cannot have.
    if (settings.burnIn < 0 || static_cast<std::size_t>(settings.burnIn) >= years)
      continue;
    Series shifts(TCentroidTools::GetRangeCoordShifts(centroids.get(), settings.burnIn));
    Require(SizeOf(shifts) == years - settings.burnIn, "one shift per year from the burn-in on");
    Smooth(shifts, settings.window);
  }
  if (current->GetNumPatches() > 0) {
    std::vector<double> areas = TCentroidTools::GetMCPAreas(current);
    Require(areas.size() == years, "one area per year of the year list");
    for (double area : areas)
      Require(!(area < 0), "negative polygon area");
  }
}

// The reader's own number conversion must give strtod's double, bit for bit, for every
// word (NaN payloads included): a few blank-separated words of the input serve as words.
void CompareDecimalReader(const std::string& input) {
  std::size_t start = 0;
  for (int word = 0; word < 16 && start < input.size(); ++word) {
    std::size_t end = input.find_first_of(" \n", start);
    if (end == std::string::npos)
      end = input.size();
    std::string text = input.substr(start, std::min<std::size_t>(end - start, 64));
    double fast = TMPParser::ReadDecimal(text);
    double reference = std::strtod(text.c_str(), nullptr);
    if (std::memcmp(&fast, &reference, sizeof fast) != 0)
      Fault("ReadDecimal(\"" + text + "\") differs from strtod");
    start = end + 1;
  }
}

// The outcome of a load: the collection, or the message of the error it raised.
struct Loaded {
  std::unique_ptr<TPatches> patches;
  std::string error;
};

template <typename Source>
Loaded Load(Source&& source, long startYear) {
  Loaded loaded;
  try {
    loaded.patches.reset(TMPParser::LoadMP(std::forward<Source>(source), startYear));
  } catch (const char* message) {
    loaded.error = message;
  } catch (const TundrelError& error) {
    loaded.error = error.what();
  }
  return loaded;
}

bool SameBits(double a, double b) {
  return std::memcmp(&a, &b, sizeof a) == 0;
}

bool SamePatches(TPatches& a, TPatches& b) {
  if (a.GetNumPatches() != b.GetNumPatches() || !SameBits(a.GetResolution(), b.GetResolution()))
    return false;
  auto other = b.GetPatchMap().begin();
  for (const auto& [name, patch] : a.GetPatchMap()) {
    TPatch* copy = (other++)->second;
    if (name != copy->GetName() || !SameBits(patch->GetX(), copy->GetX()) ||
        !SameBits(patch->GetY(), copy->GetY()) || patch->GetMinYear() != copy->GetMinYear() ||
        patch->GetMaxYear() != copy->GetMaxYear() ||
        patch->GetPopulations().size() != copy->GetPopulations().size())
      return false;
    auto year = copy->GetPopulations().begin();
    for (const auto& [number, population] : patch->GetPopulations()) {
      if (number != year->first || !SameBits(population, year->second))
        return false;
      ++year;
    }
  }
  return true;
}

// The file form reads through its own line splitter; it must give what the stream form
// gives for the same bytes.
const std::string& FilePath() {
  static const std::string path = "/tmp/tundrel-fuzz-" + std::to_string(getpid()) + ".mp";
  return path;
}

void CompareFileForm(const std::string& text, long startYear, const Loaded& fromStream) {
  const std::string& path = FilePath();
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr)
    Fault("cannot write " + path);
  std::fwrite(text.data(), 1, text.size(), file);
  std::fclose(file);
  Loaded fromFile = Load(path, startYear);
  if (fromStream.patches == nullptr || fromFile.patches == nullptr) {
    if (fromStream.error != fromFile.error)
      Fault("stream form: \"" + fromStream.error + "\", file form: \"" + fromFile.error + "\"");
  } else if (!SamePatches(*fromStream.patches, *fromFile.patches)) {
    Fault("the file form read other patches than the stream form");
  }
}

std::string Text(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.17g", value);
  return text;
}

// The whole program on the file written by CompareFileForm: it ends with the report or
// with the reader's message, or one message line of its own, and status 0 or 2.
void RunProgram(const Settings& settings, std::size_t variant, const Loaded& fromStream) {
  const char* const types[] = {nullptr, "sma", "exp", "smm"};
  const char* type = types[variant % 4];
  std::vector<std::string> texts{"Tundrel",
                                 FilePath(),
                                 std::to_string(settings.startYear),
                                 std::string(1, settings.axis),
                                 Text(settings.threshold),
                                 ",",
                                 std::to_string(settings.burnIn),
                                 std::to_string(settings.cleaning)};
  if (type != nullptr) {
    texts.push_back(type);
    texts.push_back(std::to_string(settings.window));
  }
  std::vector<const char*> argv;
  for (const std::string& text : texts)
    argv.push_back(text.c_str());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  int status = RunTundrel(static_cast<int>(texts.size()), argv.data(), out, err);
  std::string report = out.str(), message = err.str();
  Require(report.empty() || report.back() == '\n', "a report line without its line end");
  if (status == 0) {
    Require(message.empty() && report.find("\nInitial Coords") != std::string::npos,
            "status 0 without the whole report");
  } else if (status == 2) {
    Require(message.size() >= 2 && message.find('\n') == message.size() - 1,
            "status 2 without one message line");
    Require(message != "Out of memory\n" && message.rfind("Unexpected error", 0) != 0,
            ("failure without a message of the program's own: " + message).c_str());
    if (fromStream.patches == nullptr)
      Require(message == fromStream.error + "\n" && report.empty(), "not the reader's message");
  } else {
    Fault("status " + std::to_string(status));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > kMaxInputBytes)
    return -1;
  Settings settings;
  std::string input(reinterpret_cast<const char*>(data), size);
  CompareDecimalReader(input);
  std::string text = ReadSettings(input, settings);
  std::istringstream in(text);
  // A damaged file is an expected outcome: the run reports the reader's message.
  Loaded loaded = Load(in, settings.startYear);
  // Each file load costs as much as several whole runs of the target (a file, a large
  // read buffer), so one input in eight checks it.
  bool inFile = size % 8 == 0;
  if (inFile)
    CompareFileForm(text, settings.startYear, loaded);
  if (loaded.patches != nullptr && !WithinBounds(*loaded.patches))
    return 0;
  if (inFile)
    RunProgram(settings, size / 8, loaded);
  std::unique_ptr<TPatches> patches = std::move(loaded.patches);
  if (patches == nullptr)
    return 0;
  // The fixed messages mean a missing year or patch, which a run never meets once the
  // file is loaded; the analysis's own guards (TundrelError) are expected outcomes.
  try {
    Analyse(patches.get(), settings);
  } catch (const char* message) {
    Fault(std::string("analysis raised \"") + message + "\"");
  } catch (const TundrelError&) {
  }
  return 0;
}
