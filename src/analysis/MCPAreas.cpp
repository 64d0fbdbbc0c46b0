#include <utility>
#include <vector>

#include "analysis/TCentroidTools.hpp"
#include "geometry/TPointTools.hpp"

namespace TCentroidTools {

namespace {

// Owns a list of points made for one call and deletes them on every way out.
class OwnedPoints {
 public:
  explicit OwnedPoints(std::vector<TPoint*> points) : points(std::move(points)) {}
  ~OwnedPoints() {
    for (TPoint* point : points)
      delete point;
  }
  OwnedPoints(const OwnedPoints&) = delete;
  OwnedPoints& operator=(const OwnedPoints&) = delete;

  const std::vector<TPoint*>& List() const { return points; }

 private:
  std::vector<TPoint*> points;
};

}  // namespace

double GetMCPArea(TPatches* patches, long year) {
  OwnedPoints occupied(GetNonzeroPoints(patches, year));
  OwnedPoints hull(TPointTools::FindConvexHull(occupied.List()));
  // A ring of fewer than three corners (a point or a segment) encloses nothing; its fan of
  // flat triangles would give rounding noise instead of 0.
  if (hull.List().size() < 4)
    return 0;
  return TPointTools::FindConvexPolygonArea(hull.List());
}

std::vector<double> GetMCPAreas(TPatches* patches) {
  std::vector<long> years = MakeYearList(patches);
  std::vector<double> areas;
  areas.reserve(years.size());
  for (long year : years)
    areas.push_back(GetMCPArea(patches, year));
  return areas;
}

}  // namespace TCentroidTools
