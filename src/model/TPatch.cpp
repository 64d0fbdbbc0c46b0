#include "model/TPatch.hpp"

#include <algorithm>
#include <memory>

TPatch::TPatch(std::string name, std::string label, double x, double y)
    : name(std::move(name)), label(std::move(label)), coords(new TPoint(x, y)) {}

TPatch::~TPatch() {
  delete coords;
}

bool TPatch::HasYear(long year) {
  return FindYear(year) != nullptr;
}

const double* TPatch::FindYear(long year) const {
  if (populations.empty())
    return nullptr;
  long first = populations.front().first;
  long last = populations.back().first;
  if (year < first || year > last)
    return nullptr;
  // Unsigned differences cannot overflow, whatever the years.
  auto span = static_cast<unsigned long>(last) - static_cast<unsigned long>(first);
  auto offset = static_cast<unsigned long>(year) - static_cast<unsigned long>(first);
  if (span == populations.size() - 1)
    return &populations[offset].second;
  auto found = std::lower_bound(populations.begin(), populations.end(), year,
                                [](const auto& entry, long key) { return entry.first < key; });
  return found != populations.end() && found->first == year ? &found->second : nullptr;
}

std::vector<long> TPatch::GetYearList() {
  std::vector<long> years;
  years.reserve(populations.size());
  for (const auto& entry : populations)
    years.push_back(entry.first);
  return years;
}

void TPatch::SetYear(long year, double population) {
  if (populations.empty() || year > populations.back().first) {
    populations.emplace_back(year, population);
  } else {
    auto slot = std::lower_bound(populations.begin(), populations.end(), year,
                                 [](const auto& entry, long key) { return entry.first < key; });
    if (slot->first == year)
      slot->second = population;
    else
      populations.insert(slot, {year, population});
  }
  if (year > maxYear)
    maxYear = year;
  if (year < minYear)
    minYear = year;
}

double TPatch::GetYear(long year) {
  const double* population = FindYear(year);
  if (population == nullptr)
    throw "Year does not exist";
  return *population;
}

TPatch* TPatch::ShallowClone() {
  return new TPatch(name, label, coords->X(), coords->Y());
}

// The same as replaying every year through SetYear, in one copy.
TPatch* TPatch::Clone() {
  std::unique_ptr<TPatch> copy(ShallowClone());
  copy->populations = populations;
  copy->minYear = minYear;
  copy->maxYear = maxYear;
  return copy.release();
}

void TPatch::DeepClone(TPatch* target) {
  for (const auto& [year, population] : populations)
    target->SetYear(year, population);
}
