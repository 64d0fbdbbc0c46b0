#include "driver/TundrelRun.hpp"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <new>
#include <string>

#include "analysis/TCentroidTools.hpp"
#include "driver/NumberFormat.hpp"
#include "model/TCentroids.hpp"
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
    TCentroidTools::RequireWindow(settings.window);
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

std::string CountOfYears(std::size_t years) {
  return std::to_string(years) + (years == 1 ? " year" : " years");
}

// The shift series start at position burn-in of the year list; when there is no such
// position the run has nothing to report, and the message says why.
void RequireYearsToReport(const RunSettings& settings, TPatches* current, TCentroids* centroids) {
  std::size_t years = centroids->GetYearList().size();
  std::string why;
  if (current->GetNumPatches() == 0) {
    why = settings.patchSizeThreshold > 0 ? "cleaning removed every patch"
                                          : "the MP file has no patches";
  } else if (years == 0) {
    why = "the patches hold no years";
  } else if (settings.burnIn < 0) {
    why = "burn-in " + FormatInteger(settings.burnIn) + " is negative";
  } else if (static_cast<std::size_t>(settings.burnIn) >= years) {
    why = "burn-in " + FormatInteger(settings.burnIn) + " is not below the " + CountOfYears(years) +
          " of the file";
  } else {
    return;
  }
  throw TundrelError("No years to report: " + why);
}

// Years beyond this many (a start year far outside 0 to 99999999 stretches the year list
// to billions) would keep the run going for hours and fill memory with empty rows.
constexpr long kMostYears = 1000000;

void RequireYearSpanWithinLimit(TPatches* current) {
  TCentroidTools::YearSpan span = TCentroidTools::GetYearSpan(current);
  if (span.Count() > kMostYears) {
    throw TundrelError("Too many years to report: the patches' years span " +
                       FormatInteger(span.Count()) + " years, from " + FormatInteger(span.first) +
                       " to " + FormatInteger(span.last) + " (at most " +
                       FormatInteger(kMostYears) + ")");
  }
}

// Both edges' centroid series and their shifts from the first year after the burn-in.
// North walks from the smallest coordinate, south from the largest.
struct EdgeSeries {
  std::unique_ptr<TCentroids> northCentroids;
  std::unique_ptr<TCentroids> southCentroids;
  std::unique_ptr<TCentroids> northShifts;
  std::unique_ptr<TCentroids> southShifts;
};

void ComputeEdges(const RunSettings& settings, TPatches* current, EdgeSeries& edges) {
  edges.southCentroids.reset(TCentroidTools::GetSubpopulationWeightedMeans(
      current, settings.threshold, settings.axis, false));
  RequireYearsToReport(settings, current, edges.southCentroids.get());
  edges.southShifts.reset(
      TCentroidTools::GetRangeCoordShifts(edges.southCentroids.get(), settings.burnIn));
  edges.northCentroids.reset(TCentroidTools::GetSubpopulationWeightedMeans(
      current, settings.threshold, settings.axis, true));
  edges.northShifts.reset(
      TCentroidTools::GetRangeCoordShifts(edges.northCentroids.get(), settings.burnIn));
}

void WriteYearRows(ReportWriter& report, const EdgeSeries& edges, double resolution) {
  bool inKilometres = resolution != 1.0;
  if (inKilometres) {
    report.Line(
        {"Year", "X", "Y", "Year", "X", "Y", "Year", "X(km)", "Y(km)", "Year", "X(km)", "Y(km)"});
  } else {
    report.Line({"Year", "X", "Y", "Year", "X", "Y"});
  }
  for (long year : edges.northShifts->GetYearList()) {
    std::unique_ptr<TPoint> north(edges.northShifts->GetCoords(year));
    std::unique_ptr<TPoint> south(edges.southShifts->GetCoords(year));
    std::string y = FormatInteger(year);
    if (inKilometres) {
      report.Line({y, FormatNumber(north->X()), FormatNumber(north->Y()), y,
                   FormatNumber(south->X()), FormatNumber(south->Y()), y,
                   FormatNumber(resolution * south->X()), FormatNumber(resolution * south->Y()), y,
                   FormatNumber(resolution * north->X()), FormatNumber(resolution * north->Y())});
    } else {
      report.Line({y, FormatNumber(north->X()), FormatNumber(north->Y()), y,
                   FormatNumber(south->X()), FormatNumber(south->Y())});
    }
  }
}

// Replaces both shift series by their smoothed forms, north first. The median smoothing
// reports its progress in the report itself.
void SmoothShifts(const RunSettings& settings, EdgeSeries& edges, ReportWriter& report) {
  auto smooth = [&](TCentroids* shifts) -> TCentroids* {
    switch (settings.smoothing) {
      case Smoothing::kMovingAverage:
        return TCentroidTools::MovingAverage(shifts, settings.window);
      case Smoothing::kMovingMedian:
        return TCentroidTools::MedianSmoothing(shifts, settings.window);
      case Smoothing::kExponential:
        return TCentroidTools::ExponentialSmoothing(shifts, 2.0 / (settings.window + 1.0));
      case Smoothing::kNone:
        break;
    }
    return nullptr;
  };
  if (settings.smoothing == Smoothing::kNone)
    return;
  bool median = settings.smoothing == Smoothing::kMovingMedian;
  if (median)
    report.Line({"Smooth the northern shifts"});
  std::unique_ptr<TCentroids> north(smooth(edges.northShifts.get()));
  if (median)
    report.Line({"Reassign"});
  edges.northShifts = std::move(north);
  if (median)
    report.Line({"Smooth the southern shifts"});
  std::unique_ptr<TCentroids> south(smooth(edges.southShifts.get()));
  if (median)
    report.Line({"Reassign"});
  edges.southShifts = std::move(south);
}

std::string SmoothingLabel(Smoothing smoothing) {
  switch (smoothing) {
    case Smoothing::kMovingAverage:
      return "Simple moving average smoothing window";
    case Smoothing::kExponential:
      return "Exponential smoothing window";
    case Smoothing::kMovingMedian:
      return "Simple moving median smoothing window";
    case Smoothing::kNone:
      break;
  }
  return "";
}

// The first reported year; a smoothing window longer than the shift series leaves none.
long FirstReportYear(const RunSettings& settings, const EdgeSeries& edges, std::size_t totalYears) {
  std::vector<long> years = edges.northShifts->GetYearList();
  if (years.empty()) {
    std::size_t shiftYears = totalYears - static_cast<std::size_t>(settings.burnIn);
    throw TundrelError("No years to report: the smoothing window " +
                       FormatInteger(settings.window) + " is longer than the " +
                       CountOfYears(shiftYears) + " of the shift series");
  }
  return years.front();
}

void Run(const RunSettings& settings, std::ostream& out) {
  ReportWriter report(out, settings.delimiter);
  std::unique_ptr<TPatches> current(TMPParser::LoadMP(settings.fileName, settings.startYear));
  report.Line({"Num patches loaded", FormatInteger(current->GetNumPatches())});

  if (settings.patchSizeThreshold > 0) {
    current.reset(TCentroidTools::CleanPatches(current.get(), settings.patchSizeThreshold));
    report.Line({"Patch size threshold", FormatInteger(settings.patchSizeThreshold)});
    report.Line({"Num patches after cleaning", FormatInteger(current->GetNumPatches())});
  }
  double resolution = current->GetResolution();
  report.Line({"Resolution(km)", FormatNumber(resolution)});

  RequireYearSpanWithinLimit(current.get());
  EdgeSeries edges;
  ComputeEdges(settings, current.get(), edges);
  SmoothShifts(settings, edges, report);
  current.reset();

  std::size_t totalYears = edges.northCentroids->GetYearList().size();
  report.Line({"Total years", std::to_string(totalYears)});
  if (settings.burnIn > 0)
    report.Line({"Burn-in years", FormatInteger(settings.burnIn)});
  if (settings.smoothing != Smoothing::kNone)
    report.Line({SmoothingLabel(settings.smoothing), FormatInteger(settings.window)});
  report.Line({"", "North", "", "South"});

  long firstYear = FirstReportYear(settings, edges, totalYears);
  std::unique_ptr<TPoint> north(edges.northCentroids->GetCoords(firstYear));
  std::unique_ptr<TPoint> south(edges.southCentroids->GetCoords(firstYear));
  report.Line({"Initial Coords", FormatNumber(north->X()), FormatNumber(north->Y()), "",
               FormatNumber(south->X()), FormatNumber(south->Y())});
  WriteYearRows(report, edges, resolution);
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
