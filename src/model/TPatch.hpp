#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

#include "model/TPoint.hpp"

// One habitat patch: its name, a free second text, its location and its population
// in each year that has one. The patch owns its point. Years are only ever added or
// overwritten, so the year bounds only widen; they start at 99999999 and 0, which is
// also what a patch without years reports.
//
// The populations are kept as (year, population) pairs in ascending year order, one
// block of memory per patch: a model's years are added in order, so storing one is an
// append, and a patch whose years have no gaps finds a year by its offset.
class TPatch {
 public:
  using YearPopulations = std::vector<std::pair<long, double>>;

  TPatch(std::string name, std::string label, double x, double y);
  ~TPatch();
  TPatch(const TPatch&) = delete;
  TPatch& operator=(const TPatch&) = delete;

  bool HasYear(long year);
  std::vector<long> GetYearList();
  void SetYear(long year, double population);
  // Throws "Year does not exist" when the patch holds no population for the year.
  double GetYear(long year);
  long GetMinYear() { return minYear; }
  long GetMaxYear() { return maxYear; }
  double GetX() { return coords->X(); }
  double GetY() { return coords->Y(); }
  const std::string& GetName() { return name; }
  const std::string& GetLabel() { return label; }
  // The years and their populations, ascending; read-only view for sweeps.
  const YearPopulations& GetPopulations() { return populations; }
  // The population stored for the year, or nullptr when there is none.
  const double* FindYear(long year) const;
  // Room for this many years in all, so that storing them allocates once.
  void ReserveYears(std::size_t years) { populations.reserve(years); }

  // Same name, label and coordinates (own point), no years.
  TPatch* ShallowClone();
  // ShallowClone plus every year of this patch.
  TPatch* Clone();
  // Stores every year of this patch into the target, keeping the target's other years.
  void DeepClone(TPatch* target);

  static constexpr long kNoMinYear = 99999999;
  static constexpr long kNoMaxYear = 0;

 private:
  std::string name;
  std::string label;
  YearPopulations populations;
  long minYear = kNoMinYear;
  long maxYear = kNoMaxYear;
  TPoint* coords;
};
