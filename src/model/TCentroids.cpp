#include "model/TCentroids.hpp"

#include <memory>

TCentroids::TCentroids(std::string name) : name(std::move(name)) {}

TCentroids::~TCentroids() {
  for (auto& entry : points)
    delete entry.second;
}

bool TCentroids::YearExists(long year) {
  return points.find(year) != points.end();
}

std::vector<long> TCentroids::GetYearList() {
  std::vector<long> years;
  years.reserve(points.size());
  for (const auto& entry : points)
    years.push_back(entry.first);
  return years;
}

TPoint* TCentroids::GetCoords(long year) {
  auto found = points.find(year);
  if (found == points.end())
    throw "Year does not exist.";
  return found->second->Clone();
}

void TCentroids::SetCoords(long year, TPoint* point) {
  std::unique_ptr<TPoint> owned(point);
  auto [slot, inserted] = points.try_emplace(year, nullptr);
  if (!inserted && slot->second != point)
    delete slot->second;
  slot->second = owned.release();
}
