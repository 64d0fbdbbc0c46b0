#pragma once

#include <string>
#include <vector>

#include "model/TCentroids.hpp"
#include "model/TPatches.hpp"
#include "model/TPoint.hpp"

// The centroid analysis: free functions over patch collections and centroid series.
// Inputs are only read. Every object returned (collection, series, point) is new and
// belongs to the caller. Visits of all patches go in name order, and sums are formed
// in that order, so results are the same bit for bit on every run.
namespace TCentroidTools {

// Cleaning and the year list.
// Copies of the patches holding `threshold` consecutive entries of their own year list
// with a population other than 0; same resolution as the input.
TPatches* CleanPatches(TPatches* patches, long threshold);
// Every year from the earliest first year to the latest last year of the patches;
// empty for an empty collection.
std::vector<long> MakeYearList(TPatches* patches);
// The bounds of that list without making it. A patch's bounds start at 99999999 and 0,
// so years far outside that range stretch the span to billions of years.
struct YearSpan {
  long first, last;
  long Count() const { return last >= first ? last - first + 1 : 0; }
};
YearSpan GetYearSpan(TPatches* patches);

// Population sums and means of one year, and their whole-series forms.
double SumPopulations(TPatches* patches, long year);
TPoint* WeightedMeans(TPatches* patches, long year);
TCentroids* WeightedMeans(TPatches* patches);
TPoint* Means(TPatches* patches, long year);
TCentroids* Means(TPatches* patches);
// Positions of the patches with a population above 0 in the year, in name order.
std::vector<TPoint*> GetNonzeroPoints(TPatches* patches, long year);

// Range-edge subpopulations. The direction flag true walks from the smallest
// coordinate (the northern edge), false from the largest (the southern edge); only an
// upper-case 'X' selects the X axis.
std::vector<std::string> SortOnOrdinate(TPatches* patches, char axis);
TPatches* GetSubpopulation(TPatches* patches, std::vector<std::string> names, double threshold,
                           long year, bool direction);
TCentroids* GetSubpopulationWeightedMeans(TPatches* patches, double threshold, char axis,
                                          bool direction);
TCentroids* GetSubpopulationMeans(TPatches* patches, double threshold, char axis, bool direction);

// Shifts and differences between series.
TCentroids* GetRangeCoordShifts(TCentroids* series, long start);
TCentroids* GetDiffs(TCentroids* first, TCentroids* second);
TCentroids* GetDiffInitial(TCentroids* first, TCentroids* second, long start);
TCentroids* GetYearlyRangeCoordShifts(TCentroids* series);
TCentroids* GetPropYearlyRangeCoordShifts(TCentroids* first, TCentroids* second);
TCentroids* GetPropInitialRangeCoordShifts(TCentroids* first, TCentroids* second, long start);

// Smoothing of series and of number lists. A window covers that many consecutive
// entries; the series forms write each window's value under the year at position
// (window - 1) / 2 of it, so a window longer than the series gives an empty result.
// Windows below 1 are refused with a TundrelError.
void RequireWindow(long window);
TCentroids* MovingAverage(TCentroids* series, long window);
TCentroids* MedianSmoothing(TCentroids* series, long window);
TCentroids* ExponentialSmoothing(TCentroids* series, double alpha);
std::vector<double> MovingAverageSmoothing(std::vector<double> values, long window);
std::vector<double> ExponentialSmoothing(std::vector<double> values, double alpha);

// Minimum convex polygon areas of the occupied patches (in squared coordinate units).
double GetMCPArea(TPatches* patches, long year);
std::vector<double> GetMCPAreas(TPatches* patches);

}  // namespace TCentroidTools
