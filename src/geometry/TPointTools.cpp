#include "geometry/TPointTools.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <memory>
#include <utility>

namespace TPointTools {

namespace {

// Orders coordinates with every NaN above every number, so that sorting stays a strict
// weak ordering (and terminates) even for points read from nonsense coordinates.
bool CoordLess(double a, double b) {
  return a < b || (!std::isnan(a) && std::isnan(b));
}

bool ByXThenY(TPoint* a, TPoint* b) {
  if (CoordLess(a->X(), b->X()))
    return true;
  if (CoordLess(b->X(), a->X()))
    return false;
  return CoordLess(a->Y(), b->Y());
}

bool ByYThenX(TPoint* a, TPoint* b) {
  if (CoordLess(a->Y(), b->Y()))
    return true;
  if (CoordLess(b->Y(), a->Y()))
    return false;
  return CoordLess(a->X(), b->X());
}

bool SamePlace(TPoint* a, TPoint* b) {
  return !ByXThenY(a, b) && !ByXThenY(b, a);
}

// sum + error == a + b exactly (round to nearest, no extended precision).
void TwoSum(double a, double b, double& sum, double& error) {
  sum = a + b;
  double bPart = sum - a;
  double aPart = sum - bPart;
  error = (a - aPart) + (b - bPart);
}

// A sum of doubles held exactly as non-overlapping components of increasing
// magnitude, so the largest component carries the sign of the whole sum.
class ExactSum {
 public:
  void Add(double term) {
    double carry = term;
    for (std::size_t i = 0; i < count; ++i) {
      double sum;
      TwoSum(carry, components[i], sum, components[i]);
      carry = sum;
    }
    components[count++] = carry;
  }
  // The exact product a * b, as two terms.
  void AddProduct(double a, double b) {
    double product = a * b;
    Add(std::fma(a, b, -product));
    Add(product);
  }
  int Sign() const {
    for (std::size_t i = count; i-- > 0;) {
      if (components[i] > 0)
        return 1;
      if (components[i] < 0)
        return -1;
      if (components[i] != 0)
        return 0;  // NaN from infinite or NaN coordinates: call it collinear.
    }
    return 0;
  }

 private:
  std::array<double, 12> components{};
  std::size_t count = 0;
};

// +1 when a, b, c turn counterclockwise, -1 clockwise, 0 on one line. Exact as long as
// the coordinate products stay within the normal range of doubles: the determinant is
// expanded into products of the raw coordinates, so no difference is rounded first.
int Orientation(TPoint* a, TPoint* b, TPoint* c) {
  ExactSum det;
  det.AddProduct(a->X(), b->Y());
  det.AddProduct(-a->Y(), b->X());
  det.AddProduct(b->X(), c->Y());
  det.AddProduct(-b->Y(), c->X());
  det.AddProduct(c->X(), a->Y());
  det.AddProduct(-c->Y(), a->X());
  return det.Sign();
}

// One monotone chain over points sorted by x then y: keeps only strict left turns, so
// points on an edge and repeated points never become corners.
std::vector<TPoint*> ChainOfLeftTurns(const std::vector<TPoint*>& sorted) {
  std::vector<TPoint*> chain;
  for (TPoint* point : sorted) {
    while (chain.size() >= 2 && Orientation(chain[chain.size() - 2], chain.back(), point) <= 0)
      chain.pop_back();
    chain.push_back(point);
  }
  return chain;
}

// The distinct corners of the hull, counterclockwise from the lowest corner (the leftmost
// of the lowest): where a wrapping walk from the lowest point starts, so points in general
// position give the same ring as that walk.
std::vector<TPoint*> HullCorners(std::vector<TPoint*> points) {
  std::sort(points.begin(), points.end(), ByXThenY);
  points.erase(std::unique(points.begin(), points.end(), SamePlace), points.end());
  std::vector<TPoint*> corners = points;
  if (points.size() > 2) {
    corners = ChainOfLeftTurns(points);
    std::reverse(points.begin(), points.end());
    std::vector<TPoint*> upper = ChainOfLeftTurns(points);
    // Each chain ends where the other starts.
    corners.pop_back();
    corners.insert(corners.end(), upper.begin(), upper.end() - 1);
  }
  std::rotate(corners.begin(), std::min_element(corners.begin(), corners.end(), ByYThenX),
              corners.end());
  return corners;
}

}  // namespace

double Theta(TPoint* p1, TPoint* p2) {
  double dx = p1->X() - p2->X();
  double dy = p1->Y() - p2->Y();
  double t = 0;
  if (!(dx == 0 && dy == 0))
    t = dy / (std::fabs(dx) + std::fabs(dy));
  if (dx < 0)
    t = 2 - t;
  else if (dy < 0)
    t = t + 4;
  return t * 90;
}

double Heron(TPoint* a, TPoint* b, TPoint* c) {
  double d1 = a->Distance(b);
  double d2 = a->Distance(c);
  double d3 = b->Distance(c);
  double s = (d1 + d2 + d3) * 0.5;
  double product = s * (s - d1) * (s - d2) * (s - d3);
  // Rounding can push the product of a flat triangle below 0; its area is 0, not NaN.
  if (product <= 0)
    product = 0;
  return std::sqrt(product);
}

TPoint* FindCentroid(std::vector<TPoint*> points) {
  double sumX = 0;
  double sumY = 0;
  for (TPoint* point : points) {
    sumX += point->X();
    sumY += point->Y();
  }
  double count = static_cast<double>(points.size());
  return new TPoint(sumX / count, sumY / count);
}

double FindConvexPolygonArea(std::vector<TPoint*> points) {
  std::unique_ptr<TPoint> centre(FindCentroid(points));
  double area = 0;
  for (std::size_t k = 1; k < points.size(); ++k)
    area += Heron(points[k], points[k - 1], centre.get());
  return area;
}

// A closed ring: one point gives the point twice, a segment its two ends and the first
// again, so every result measures 0 or the hull's area in FindConvexPolygonArea.
std::vector<TPoint*> FindConvexHull(std::vector<TPoint*> points) {
  std::vector<TPoint*> corners = HullCorners(std::move(points));
  if (corners.empty())
    return {};
  corners.push_back(corners.front());
  std::vector<std::unique_ptr<TPoint>> ring;
  ring.reserve(corners.size());
  for (TPoint* corner : corners)
    ring.emplace_back(corner->Clone());
  std::vector<TPoint*> result;
  result.reserve(ring.size());
  for (auto& corner : ring)
    result.push_back(corner.release());
  return result;
}

}  // namespace TPointTools
