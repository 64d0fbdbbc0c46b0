#pragma once

#include <vector>

#include "model/TPoint.hpp"

// Plane geometry over points: pseudo-angle, mean point, triangle and polygon areas,
// convex hull. Point lists are passed by value; the caller's points are never changed
// or deleted. New points returned belong to the caller.
namespace TPointTools {

// Pseudo-angle in [0, 360) of the direction from p2 to p1, without trigonometry.
double Theta(TPoint* p1, TPoint* p2);
// Area of the triangle a, b, c from its side lengths.
double Heron(TPoint* a, TPoint* b, TPoint* c);
// The mean of the points (NaN for an empty list).
TPoint* FindCentroid(std::vector<TPoint*> points);
// Area of the fan of triangles between consecutive entries and their mean point.
double FindConvexPolygonArea(std::vector<TPoint*> points);
// New points: the corners of the convex hull in order around it, the first corner
// repeated at the end.
std::vector<TPoint*> FindConvexHull(std::vector<TPoint*> points);

}  // namespace TPointTools
