#include "geometry/TPointTools.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <utility>
#include <vector>

namespace {

using XY = std::pair<double, double>;

// Points owned by the test and handed to the tools as raw pointers.
class PointSet {
 public:
  explicit PointSet(const std::vector<XY>& coords) {
    for (const XY& xy : coords)
      owned.push_back(std::make_unique<TPoint>(xy.first, xy.second));
  }
  std::vector<TPoint*> Raw() const {
    std::vector<TPoint*> raw;
    for (const auto& point : owned)
      raw.push_back(point.get());
    return raw;
  }

 private:
  std::vector<std::unique_ptr<TPoint>> owned;
};

// Takes over the new points that a tool returns.
std::vector<std::unique_ptr<TPoint>> Adopt(std::vector<TPoint*> points) {
  std::vector<std::unique_ptr<TPoint>> owned;
  for (TPoint* point : points)
    owned.emplace_back(point);
  return owned;
}

std::vector<XY> CoordsOf(const std::vector<std::unique_ptr<TPoint>>& points) {
  std::vector<XY> coords;
  for (const auto& point : points)
    coords.emplace_back(point->X(), point->Y());
  return coords;
}

std::vector<XY> HullOf(const std::vector<XY>& coords) {
  PointSet input(coords);
  return CoordsOf(Adopt(TPointTools::FindConvexHull(input.Raw())));
}

double AreaOfRing(const std::vector<XY>& ring) {
  PointSet points(ring);
  return TPointTools::FindConvexPolygonArea(points.Raw());
}

TEST(TPointTools, ThetaIsAMonotonePseudoAngle) {
  struct Case {
    XY p1, p2;
    double theta;
  };
  const Case cases[] = {
      {{1, 0}, {0, 0}, 0},     {{0, 1}, {0, 0}, 90},   {{-1, 0}, {0, 0}, 180},
      {{0, -1}, {0, 0}, 270},  {{1, 1}, {0, 0}, 45},   {{-1, 1}, {0, 0}, 135},
      {{-1, -1}, {0, 0}, 225}, {{1, -1}, {0, 0}, 315}, {{3, 1}, {0, 0}, 22.5},
      {{7, 8}, {7, 8}, 0},     {{5, 5}, {6, 4}, 135},
  };
  for (const Case& c : cases) {
    TPoint p1(c.p1.first, c.p1.second), p2(c.p2.first, c.p2.second);
    EXPECT_EQ(TPointTools::Theta(&p1, &p2), c.theta) << c.p1.first << "," << c.p1.second;
  }
}

TEST(TPointTools, HeronAreaAndFlatTriangles) {
  struct Case {
    XY a, b, c;
    double area;
  };
  const Case cases[] = {
      {{0, 0}, {3, 0}, {0, 4}, 6},
      // Collinear: rounding makes the product under the root negative here.
      {{0, 0}, {3, 15}, {1, 5}, 0},
      {{2, 2}, {2, 2}, {5, 9}, 0},
      {{2, 2}, {2, 2}, {2, 2}, 0},
  };
  for (const Case& c : cases) {
    PointSet abc({c.a, c.b, c.c});
    auto raw = abc.Raw();
    double area = TPointTools::Heron(raw[0], raw[1], raw[2]);
    EXPECT_EQ(area, c.area) << c.b.first << "," << c.b.second;
    EXPECT_FALSE(std::signbit(area));
  }
}

TEST(TPointTools, CentroidIsTheMeanOfEveryEntry) {
  struct Case {
    std::vector<XY> points;
    XY mean;
  };
  const Case cases[] = {
      {{{0, 0}, {2, 0}, {2, 2}, {0, 2}}, {1, 1}},
      {{{0, 0}, {0, 0}, {3, 0}}, {1, 0}},
  };
  for (const Case& c : cases) {
    PointSet points(c.points);
    std::unique_ptr<TPoint> mean(TPointTools::FindCentroid(points.Raw()));
    EXPECT_EQ(mean->X(), c.mean.first);
    EXPECT_EQ(mean->Y(), c.mean.second);
  }
  std::unique_ptr<TPoint> none(TPointTools::FindCentroid({}));
  EXPECT_TRUE(std::isnan(none->X()));
  EXPECT_TRUE(std::isnan(none->Y()));
}

TEST(TPointTools, PolygonAreaSumsTheFanOfConsecutiveEntries) {
  struct Case {
    std::vector<XY> points;
    double area;
  };
  const Case cases[] = {
      {{{0, 0}, {4, 0}, {0, 4}, {0, 0}}, 8},
      {{{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}}, 16},
      // An open list lacks the triangle that would close it.
      {{{0, 0}, {4, 0}, {0, 4}}, 16.0 / 3},
      {{{0, 0}, {4, 0}}, 0},
      {{{3, 3}}, 0},
  };
  for (const Case& c : cases)
    EXPECT_NEAR(AreaOfRing(c.points), c.area, 1e-12 * c.area) << c.points.size() << " points";
}

TEST(TPointTools, HullOfNothingIsEmpty) {
  EXPECT_TRUE(TPointTools::FindConvexHull({}).empty());
}

// Rings run counterclockwise from the lowest corner (the leftmost of the lowest) and
// close on it; points inside, on edges or repeated are never corners.
TEST(TPointTools, HullRingsOfOrdinaryAndDegenerateSets) {
  struct Case {
    const char* what;
    std::vector<XY> points;
    std::vector<XY> ring;
    double area;
  };
  const Case cases[] = {
      {"square with its centre",
       {{2, 2}, {0, 4}, {4, 4}, {4, 0}, {0, 0}},
       {{0, 0}, {4, 0}, {4, 4}, {0, 4}, {0, 0}},
       16},
      {"diamond listed clockwise",
       {{0, 2}, {2, 4}, {4, 2}, {2, 0}},
       {{2, 0}, {4, 2}, {2, 4}, {0, 2}, {2, 0}},
       8},
      {"points level with the start, the first of them rightmost",
       {{3, 0}, {1, 0}, {2, 0}, {0, 0}, {2, 2}},
       {{0, 0}, {3, 0}, {2, 2}, {0, 0}},
       3},
      {"points on every edge",
       {{2, 0}, {0, 1}, {4, 1}, {0, 0}, {4, 0}, {2, 2}, {1, 1}, {4, 2}, {0, 2}},
       {{0, 0}, {4, 0}, {4, 2}, {0, 2}, {0, 0}},
       8},
      {"repeated corners",
       {{0, 0}, {1, 0}, {0, 1}, {1, 0}, {0, 0}, {0, 1}},
       {{0, 0}, {1, 0}, {0, 1}, {0, 0}},
       0.5},
      {"one point", {{3, 7}}, {{3, 7}, {3, 7}}, 0},
      {"one point repeated", {{1, 1}, {1, 1}, {1, 1}}, {{1, 1}, {1, 1}}, 0},
      {"two points", {{5, 1}, {2, 3}}, {{5, 1}, {2, 3}, {5, 1}}, 0},
      {"a line with repeats",
       {{2, 2}, {0, 0}, {4, 4}, {1, 1}, {2, 2}, {3, 3}},
       {{0, 0}, {4, 4}, {0, 0}},
       0},
      {"a vertical line", {{1, 3}, {1, 0}, {1, 2}}, {{1, 0}, {1, 3}, {1, 0}}, 0},
      // The fan over this segment's ring meets the triangle whose product rounds below 0.
      {"a steep segment", {{3, 15}, {0, 0}, {1, 5}}, {{0, 0}, {3, 15}, {0, 0}}, 0},
  };
  for (const Case& c : cases) {
    std::vector<XY> ring = HullOf(c.points);
    EXPECT_EQ(ring, c.ring) << c.what;
    double area = AreaOfRing(ring);
    EXPECT_FALSE(std::isnan(area)) << c.what;
    // A flat fan can round to a little above 0, never below.
    EXPECT_GE(area, 0) << c.what;
    EXPECT_NEAR(area, c.area, 1e-12 * c.area + 1e-6) << c.what;
  }
}

TEST(TPointTools, HullMakesNewPointsAndLeavesTheInputAlone) {
  std::vector<XY> coords = {{1, 1}, {0, 0}, {2, 0}, {1, 3}};
  PointSet input(coords);
  std::vector<TPoint*> raw = input.Raw();
  auto hull = Adopt(TPointTools::FindConvexHull(raw));
  ASSERT_EQ(hull.size(), 4u);
  for (const auto& corner : hull)
    EXPECT_EQ(std::count(raw.begin(), raw.end(), corner.get()), 0);
  EXPECT_NE(hull.front().get(), hull.back().get());
  std::vector<XY> after;
  for (TPoint* point : input.Raw())
    after.emplace_back(point->X(), point->Y());
  EXPECT_EQ(after, coords);
}

// Exact turn test for coordinates below 64 that are multiples of 2^-56: as integers
// scaled by 2^56 every product fits in 128 bits.
__extension__ typedef __int128 Wide;

Wide Scaled(double coordinate) {
  return static_cast<Wide>(std::ldexp(coordinate, 56));
}

int Turn(const XY& a, const XY& b, const XY& c) {
  Wide cross = (Scaled(b.first) - Scaled(a.first)) * (Scaled(c.second) - Scaled(a.second)) -
               (Scaled(b.second) - Scaled(a.second)) * (Scaled(c.first) - Scaled(a.first));
  return cross > 0 ? 1 : (cross < 0 ? -1 : 0);
}

// Points on lines whose slopes doubles cannot hold: rounding scatters them a trace off
// the line, where a turn test in plain double arithmetic misjudges the corners. The ring
// must still turn strictly left at every corner, hold every point, and measure almost
// nothing.
TEST(TPointTools, HullOfRoundedLinesIsConvex) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    std::mt19937 random(seed);
    double stepX = 0.1 * (1 + random() % 3), stepY = 0.3 * (1 + random() % 2);
    std::vector<XY> coords;
    for (int count = 3 + random() % 40; count > 0; --count) {
      double t = random() % 100;
      coords.emplace_back(t * stepX, t * stepY + 1);
    }
    std::vector<XY> ring = HullOf(coords);
    ASSERT_GE(ring.size(), 2u) << "seed " << seed;
    ASSERT_EQ(ring.front(), ring.back()) << "seed " << seed;
    std::size_t corners = ring.size() - 1;
    for (const XY& corner : ring)
      EXPECT_NE(std::find(coords.begin(), coords.end(), corner), coords.end()) << "seed " << seed;
    if (corners >= 3) {
      for (std::size_t k = 0; k < corners; ++k) {
        EXPECT_EQ(Turn(ring[k], ring[(k + 1) % corners], ring[(k + 2) % corners]), 1)
            << "seed " << seed << " corner " << k;
        for (const XY& point : coords)
          EXPECT_GE(Turn(ring[k], ring[k + 1], point), 0) << "seed " << seed;
      }
    }
    double area = AreaOfRing(ring);
    EXPECT_FALSE(std::isnan(area)) << "seed " << seed;
    EXPECT_LE(area, 1e-6 * 100 * 100) << "seed " << seed;
  }
}

TEST(TPointTools, HullEndsOnNonFiniteCoordinates) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  std::vector<XY> coords = {{0, 0}, {nan, 1}, {4, 0}, {1, nan}, {inf, 2}, {0, 4}, {nan, nan}};
  std::vector<XY> ring = HullOf(coords);
  ASSERT_FALSE(ring.empty());
  EXPECT_LE(ring.size(), coords.size() + 1);
}

// An independent hull for the comparison below: a directed pair of distinct points is an
// edge when every point lies strictly to its left or on the closed segment. Exact for
// small integer coordinates.
struct BruteForceHull {
  std::set<XY> distinct;
  std::set<std::pair<XY, XY>> edges;
  double area = 0;
};

BruteForceHull FindBruteForceHull(const std::vector<XY>& coords) {
  BruteForceHull hull;
  hull.distinct.insert(coords.begin(), coords.end());
  for (const XY& p : hull.distinct) {
    for (const XY& q : hull.distinct) {
      if (p == q)
        continue;
      bool isEdge = true;
      for (const XY& r : hull.distinct) {
        double cross = (q.first - p.first) * (r.second - p.second) -
                       (q.second - p.second) * (r.first - p.first);
        bool onSegment = cross == 0 && std::min(p.first, q.first) <= r.first &&
                         r.first <= std::max(p.first, q.first) &&
                         std::min(p.second, q.second) <= r.second &&
                         r.second <= std::max(p.second, q.second);
        if (cross < 0 || (cross == 0 && !onSegment)) {
          isEdge = false;
          break;
        }
      }
      if (isEdge) {
        hull.edges.insert({p, q});
        hull.area += 0.5 * (p.first * q.second - q.first * p.second);
      }
    }
  }
  return hull;
}

std::vector<XY> RandomPointSet(std::mt19937& random) {
  auto uniform = [&](int low, int high) {
    return std::uniform_int_distribution<int>(low, high)(random);
  };
  std::vector<XY> coords;
  int count = uniform(1, 30);
  switch (uniform(0, 2)) {
    case 0: {  // a small grid: many repeated and collinear points
      int side = uniform(0, 4);
      for (int i = 0; i < count; ++i)
        coords.emplace_back(uniform(0, side), uniform(0, side));
      break;
    }
    case 1: {  // points on one line, now and then a few off it
      int x0 = uniform(-5, 5), y0 = uniform(-5, 5), dx = uniform(-3, 3), dy = uniform(-3, 3);
      for (int i = 0; i < count; ++i) {
        int t = uniform(-6, 6);
        coords.emplace_back(x0 + t * dx, y0 + t * dy);
      }
      for (int extra = uniform(-3, 2); extra > 0; --extra)
        coords.emplace_back(uniform(-20, 20), uniform(-20, 20));
      break;
    }
    default:  // a wide spread
      for (int i = 0; i < count; ++i)
        coords.emplace_back(uniform(-1000, 1000), uniform(-1000, 1000));
  }
  return coords;
}

TEST(TPointTools, HullMatchesBruteForceOnRandomSets) {
  for (unsigned seed = 1; seed <= 400; ++seed) {
    std::mt19937 random(seed);
    std::vector<XY> coords = RandomPointSet(random);
    BruteForceHull reference = FindBruteForceHull(coords);
    std::vector<XY> ring = HullOf(coords);

    ASSERT_GE(ring.size(), 2u) << "seed " << seed;
    EXPECT_EQ(ring.front(), ring.back()) << "seed " << seed;
    auto byYThenX = [](const XY& a, const XY& b) {
      return std::pair(a.second, a.first) < std::pair(b.second, b.first);
    };
    EXPECT_EQ(ring.front(),
              *std::min_element(reference.distinct.begin(), reference.distinct.end(), byYThenX))
        << "seed " << seed;
    std::set<std::pair<XY, XY>> ringEdges;
    for (std::size_t k = 1; k < ring.size(); ++k)
      if (ring[k - 1] != ring[k])
        ringEdges.insert({ring[k - 1], ring[k]});
    EXPECT_EQ(ringEdges, reference.edges) << "seed " << seed;
    EXPECT_EQ(ring.size(), std::max<std::size_t>(reference.edges.size(), 1) + 1) << "seed " << seed;

    double area = AreaOfRing(ring);
    double spanX = 0, spanY = 0;
    for (const XY& p : coords)
      for (const XY& q : coords) {
        spanX = std::max(spanX, std::fabs(p.first - q.first));
        spanY = std::max(spanY, std::fabs(p.second - q.second));
      }
    // The fan rounds differently from the shoelace sum; a flat fan rounds to a trace
    // above 0 that grows with the square of the extent.
    double tolerance =
        reference.area > 0 ? 1e-9 * reference.area : 1e-7 * (spanX * spanX + spanY * spanY);
    EXPECT_NEAR(area, reference.area, tolerance) << "seed " << seed;
  }
}

}  // namespace
