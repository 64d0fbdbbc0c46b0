#pragma once

#include <map>
#include <string>
#include <vector>

#include "model/TPatch.hpp"

// The patches of one model keyed by name, and the length of one coordinate unit in
// kilometres. The collection owns its patches. Every visit of all patches goes in
// name order (std::string ordering: bytes as unsigned values, a prefix first).
class TPatches {
 public:
  TPatches() = default;
  ~TPatches();
  TPatches(const TPatches&) = delete;
  TPatches& operator=(const TPatches&) = delete;

  // Takes the patch over; a patch already stored under its name is deleted.
  void AddPatch(TPatch* patch);
  // The stored patch itself, still owned by the collection.
  // Throws "Patch does not exist" when no patch has the name.
  TPatch* GetPatch(std::string name);
  bool PatchExists(std::string name);
  std::vector<std::string> GetNames();
  long GetNumPatches() { return static_cast<long>(patches.size()); }
  // Throws "Year does not exist" at the first patch, in name order, lacking the year.
  std::vector<double> GetPatchSizes(long year);
  // New copies of every patch's point; the caller owns them.
  std::vector<TPoint*> GetCoordinates();
  double GetResolution() { return resolution; }
  void SetResolution(double resolution) { this->resolution = resolution; }
  // The patches in name order; read-only view for sweeps.
  const std::map<std::string, TPatch*>& GetPatchMap() { return patches; }

 private:
  std::map<std::string, TPatch*> patches;
  double resolution = 1.0;
};
