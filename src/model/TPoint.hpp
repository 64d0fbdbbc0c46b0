#pragma once

// A point of the plane, in the coordinate units of the MP file.
class TPoint {
 public:
  TPoint(double x, double y);

  double& X() { return x; }
  double& Y() { return y; }

  // This point minus the other one; the caller owns the result.
  TPoint* Diff(TPoint* other);
  TPoint* Clone();
  double Distance(TPoint* other);

 private:
  double x;
  double y;
};
