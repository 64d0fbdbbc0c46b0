#pragma once

#include <cmath>
#include <initializer_list>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "model/TCentroids.hpp"
#include "model/TPatches.hpp"

struct PatchRow {
  std::string name;
  double x, y;
  std::map<long, double> populations;
};

inline std::unique_ptr<TPatches> MakePatches(std::initializer_list<PatchRow> rows) {
  auto patches = std::make_unique<TPatches>();
  for (const PatchRow& row : rows) {
    auto* patch = new TPatch(row.name, "", row.x, row.y);
    for (const auto& [year, population] : row.populations)
      patch->SetYear(year, population);
    patches->AddPatch(patch);
  }
  return patches;
}

inline std::unique_ptr<TCentroids> MakeSeries(
    std::initializer_list<std::pair<long, std::pair<double, double>>> points) {
  auto series = std::make_unique<TCentroids>("");
  for (const auto& [year, xy] : points)
    series->SetCoords(year, new TPoint(xy.first, xy.second));
  return series;
}

// Years 1 to 10, the point of each year being (year, yScale * year).
inline std::unique_ptr<TCentroids> TenYears(double yScale) {
  auto series = std::make_unique<TCentroids>("");
  for (long year = 1; year <= 10; ++year)
    series->SetCoords(year, new TPoint(year, yScale * year));
  return series;
}

// Every point of a series as (year, x, y), for whole-series comparisons.
inline std::vector<std::vector<double>> Rows(TCentroids* series) {
  std::vector<std::vector<double>> rows;
  for (long year : series->GetYearList()) {
    std::unique_ptr<TPoint> point(series->GetCoords(year));
    rows.push_back({static_cast<double>(year), point->X(), point->Y()});
  }
  return rows;
}

inline bool IsNaNPoint(TPoint* point) {
  return std::isnan(point->X()) && std::isnan(point->Y());
}
