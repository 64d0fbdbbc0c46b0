#pragma once

#include <map>
#include <string>
#include <vector>

#include "model/TPoint.hpp"

// A named series of points keyed by year. The series owns the points handed to it
// with SetCoords and deletes them when it is destroyed or when a year's point is
// replaced; it only ever hands out copies.
class TCentroids {
 public:
  explicit TCentroids(std::string name);
  ~TCentroids();
  TCentroids(const TCentroids&) = delete;
  TCentroids& operator=(const TCentroids&) = delete;

  bool YearExists(long year);
  std::vector<long> GetYearList();
  // A new copy of the year's point; throws "Year does not exist." when there is none.
  TPoint* GetCoords(long year);
  // Takes the point over.
  void SetCoords(long year, TPoint* point);
  const std::string& GetName() { return name; }
  // The points by year; read-only view for sweeps.
  const std::map<long, TPoint*>& GetPointMap() { return points; }

 private:
  std::map<long, TPoint*> points;
  std::string name;
};
