#include "analysis/TCentroidTools.hpp"

#include <memory>

namespace TCentroidTools {

std::vector<long> MakeYearList(TPatches* patches) {
  std::vector<long> years;
  const auto& byName = patches->GetPatchMap();
  if (byName.empty())
    return years;
  long first = byName.begin()->second->GetMinYear();
  long last = byName.begin()->second->GetMaxYear();
  for (const auto& entry : byName) {
    if (entry.second->GetMinYear() < first)
      first = entry.second->GetMinYear();
    if (entry.second->GetMaxYear() > last)
      last = entry.second->GetMaxYear();
  }
  for (long year = first; year <= last; ++year)
    years.push_back(year);
  return years;
}

std::vector<TPoint*> GetNonzeroPoints(TPatches* patches, long year) {
  std::vector<std::unique_ptr<TPoint>> owned;
  for (const auto& entry : patches->GetPatchMap()) {
    TPatch* patch = entry.second;
    if (patch->HasYear(year) && patch->GetYear(year) > 0)
      owned.emplace_back(new TPoint(patch->GetX(), patch->GetY()));
  }
  std::vector<TPoint*> points;
  points.reserve(owned.size());
  for (auto& point : owned)
    points.push_back(point.release());
  return points;
}

}  // namespace TCentroidTools
