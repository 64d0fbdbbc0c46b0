#include "driver/TundrelRun.hpp"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <new>
#include <string>

#include "driver/NumberFormat.hpp"
#include "model/TPatches.hpp"
#include "model/TundrelError.hpp"
#include "mpfile/TMPParser.hpp"

const char* const kUsageMessage =
    "Usage: Tundrel filename startyear XorY Threshold delimiter [burn-in] "
    "[patch_size_threshold] [moving_average_type (sma | exp | smm) window_size prediction]";

namespace {

constexpr int kStatusUsage = 1;
constexpr int kStatusError = 2;

enum class Smoothing { kNone, kMovingAverage, kExponential, kMovingMedian };

struct RunSettings {
  std::string fileName;
  long startYear = 0;
  char axis = '\0';
  double threshold = 0.0;
  std::string delimiter;
  long burnIn = 0;
  long patchSizeThreshold = 0;
  Smoothing smoothing = Smoothing::kNone;
  long window = 0;
};

// The command line is too short for the settings it names.
struct UsageRequested {};

// atol conventions, saturated to the signed 32-bit range that years and counts use.
long ReadIntegerArgument(const char* text) {
  long value = std::strtol(text, nullptr, 10);
  if (value < INT32_MIN)
    return INT32_MIN;
  if (value > INT32_MAX)
    return INT32_MAX;
  return value;
}

double ReadFloatArgument(const char* text) {
  return std::strtod(text, nullptr);
}

Smoothing ReadSmoothingType(const std::string& type) {
  if (type == "sma")
    return Smoothing::kMovingAverage;
  if (type == "exp")
    return Smoothing::kExponential;
  if (type == "smm")
    return Smoothing::kMovingMedian;
  throw "Unknown moving average";
}

RunSettings ReadSettings(int count, const char* const arguments[]) {
  RunSettings settings;
  settings.fileName = arguments[1];
  settings.startYear = ReadIntegerArgument(arguments[2]);
  settings.axis = arguments[3][0];
  settings.threshold = ReadFloatArgument(arguments[4]);
  settings.delimiter = arguments[5];
  if (count >= 6)
    settings.burnIn = ReadIntegerArgument(arguments[6]);
  if (count >= 7)
    settings.patchSizeThreshold = ReadIntegerArgument(arguments[7]);
  if (count >= 8) {
    settings.smoothing = ReadSmoothingType(arguments[8]);
    if (count == 8)
      throw UsageRequested();
    settings.window = ReadIntegerArgument(arguments[9]);
    if (settings.window < 1) {
      throw TundrelError("Smoothing window must be at least 1, not " +
                         FormatInteger(settings.window));
    }
  }
  return settings;
}

// Writes report lines: fields joined by the delimiter, each line flushed at once so a
// run that stops on an error leaves every line before it.
class ReportWriter {
 public:
  ReportWriter(std::ostream& out, const std::string& delimiter) : out(out), delimiter(delimiter) {}

  void Line(std::initializer_list<std::string> fields) {
    bool first = true;
    for (const std::string& field : fields) {
      if (!first)
        out << delimiter;
      out << field;
      first = false;
    }
    out << '\n' << std::flush;
  }

 private:
  std::ostream& out;
  const std::string& delimiter;
};

void Run(const RunSettings& settings, std::ostream& out) {
  ReportWriter report(out, settings.delimiter);
  std::unique_ptr<TPatches> current(TMPParser::LoadMP(settings.fileName, settings.startYear));
  report.Line({"Num patches loaded", FormatInteger(current->GetNumPatches())});
}

}  // namespace

int RunTundrel(int argc, const char* const argv[], std::ostream& out, std::ostream& err) {
  int count = argc - 1;
  if (count < 5) {
    err << kUsageMessage << std::flush;
    return kStatusUsage;
  }
  try {
    Run(ReadSettings(count, argv), out);
    return 0;
  } catch (const UsageRequested&) {
    err << kUsageMessage << std::flush;
    return kStatusUsage;
  } catch (const char* message) {
    err << message << '\n' << std::flush;
  } catch (const TundrelError& error) {
    err << error.what() << '\n' << std::flush;
  } catch (const std::bad_alloc&) {
    err << "Out of memory\n" << std::flush;
  } catch (const std::exception& error) {
    err << "Unexpected error: " << error.what() << '\n' << std::flush;
  } catch (...) {
    err << "Unexpected error\n" << std::flush;
  }
  return kStatusError;
}
