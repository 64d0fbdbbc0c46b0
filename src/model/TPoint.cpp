#include "model/TPoint.hpp"

#include <cmath>

TPoint::TPoint(double x, double y) : x(x), y(y) {}

TPoint* TPoint::Diff(TPoint* other) {
  return new TPoint(x - other->x, y - other->y);
}

TPoint* TPoint::Clone() {
  return new TPoint(x, y);
}

double TPoint::Distance(TPoint* other) {
  double dx = x - other->x;
  double dy = y - other->y;
  return std::sqrt(dx * dx + dy * dy);
}
