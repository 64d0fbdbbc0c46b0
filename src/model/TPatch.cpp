#include "model/TPatch.hpp"

#include <memory>

TPatch::TPatch(std::string name, std::string label, double x, double y)
    : name(std::move(name)), label(std::move(label)), coords(new TPoint(x, y)) {}

TPatch::~TPatch() {
  delete coords;
}

bool TPatch::HasYear(long year) {
  return populations.find(year) != populations.end();
}

std::vector<long> TPatch::GetYearList() {
  std::vector<long> years;
  years.reserve(populations.size());
  for (const auto& entry : populations)
    years.push_back(entry.first);
  return years;
}

void TPatch::SetYear(long year, double population) {
  populations[year] = population;
  if (year > maxYear)
    maxYear = year;
  if (year < minYear)
    minYear = year;
}

double TPatch::GetYear(long year) {
  auto found = populations.find(year);
  if (found == populations.end())
    throw "Year does not exist";
  return found->second;
}

TPatch* TPatch::ShallowClone() {
  return new TPatch(name, label, coords->X(), coords->Y());
}

TPatch* TPatch::Clone() {
  std::unique_ptr<TPatch> copy(ShallowClone());
  DeepClone(copy.get());
  return copy.release();
}

void TPatch::DeepClone(TPatch* target) {
  for (const auto& [year, population] : populations)
    target->SetYear(year, population);
}
