#include "model/TPatches.hpp"

#include <memory>

TPatches::~TPatches() {
  for (auto& entry : patches)
    delete entry.second;
}

void TPatches::AddPatch(TPatch* patch) {
  std::unique_ptr<TPatch> owned(patch);
  auto [slot, inserted] = patches.try_emplace(owned->GetName(), nullptr);
  if (!inserted && slot->second != patch)
    delete slot->second;
  slot->second = owned.release();
}

TPatch* TPatches::GetPatch(std::string name) {
  auto found = patches.find(name);
  if (found == patches.end())
    throw "Patch does not exist";
  return found->second;
}

bool TPatches::PatchExists(std::string name) {
  return patches.find(name) != patches.end();
}

std::vector<std::string> TPatches::GetNames() {
  std::vector<std::string> names;
  names.reserve(patches.size());
  for (const auto& entry : patches)
    names.push_back(entry.first);
  return names;
}

std::vector<double> TPatches::GetPatchSizes(long year) {
  std::vector<double> sizes;
  sizes.reserve(patches.size());
  for (const auto& entry : patches)
    sizes.push_back(entry.second->GetYear(year));
  return sizes;
}

std::vector<TPoint*> TPatches::GetCoordinates() {
  std::vector<std::unique_ptr<TPoint>> owned;
  owned.reserve(patches.size());
  for (const auto& entry : patches)
    owned.emplace_back(new TPoint(entry.second->GetX(), entry.second->GetY()));
  std::vector<TPoint*> points;
  points.reserve(owned.size());
  for (auto& point : owned)
    points.push_back(point.release());
  return points;
}
