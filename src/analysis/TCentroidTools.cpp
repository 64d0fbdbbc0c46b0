#include "analysis/TCentroidTools.hpp"

#include <algorithm>
#include <cmath>
#include <memory>
#include <string>

#include "model/TundrelError.hpp"

namespace TCentroidTools {

namespace {

using PointPtr = std::unique_ptr<TPoint>;

// A run of `length` consecutive entries of the patch's own year list, all with a
// population other than 0 (NaN and negative values count as occupied).
bool HasOccupiedRun(TPatch* patch, long length) {
  if (length <= 0)
    return length == 0;
  long run = 0;
  for (const auto& entry : patch->GetPopulations()) {
    run = entry.second != 0 ? run + 1 : 0;
    if (run >= length)
      return true;
  }
  return false;
}

template <typename OneYear>
TCentroids* SeriesOverYearList(TPatches* patches, OneYear oneYear) {
  std::unique_ptr<TCentroids> series(new TCentroids(""));
  for (long year : MakeYearList(patches))
    series->SetCoords(year, oneYear(patches, year));
  return series.release();
}

// The sums of WeightedMeans and Means, added in the order the caller visits patches.
struct WeightedSums {
  double sumX = 0, sumY = 0, weight = 0;
  void Add(double x, double y, double population) {
    sumX += x * population;
    sumY += y * population;
    weight += population;
  }
  TPoint* Centroid() const { return new TPoint(sumX / weight, sumY / weight); }
};

struct PlainSums {
  double sumX = 0, sumY = 0;
  long count = 0;
  void Add(double x, double y, double population) {
    if (population > 0) {
      sumX += x;
      sumY += y;
      ++count;
    }
  }
  TPoint* Centroid() const {
    return new TPoint(sumX / static_cast<double>(count), sumY / static_cast<double>(count));
  }
};

// The centroid of the patches holding the year, summed in name order.
template <typename Sums>
TPoint* CentroidOfYear(TPatches* patches, long year) {
  Sums sums;
  for (const auto& entry : patches->GetPatchMap()) {
    if (const double* population = entry.second->FindYear(year))
      sums.Add(entry.second->GetX(), entry.second->GetY(), *population);
  }
  return sums.Centroid();
}

// Selection sort's order of the values, as positions into them, found in O(n log n).
// Step i of the selection sort picks the smallest value at positions i to n - 1, the
// lowest position among equal ones, and swaps it to position i. A tournament tree over
// the positions answers that pick at its root; a swap changes two leaves. The tree needs
// a strict weak order, which NaN breaks, so values with NaN take the plain scan.
std::vector<std::size_t> SelectionOrder(std::vector<double> values) {
  std::size_t count = values.size();
  std::vector<std::size_t> order(count);
  for (std::size_t i = 0; i < count; ++i)
    order[i] = i;
  bool withNaN = std::any_of(values.begin(), values.end(), [](double v) { return std::isnan(v); });
  if (withNaN) {
    for (std::size_t i = 0; i + 1 < count; ++i) {
      std::size_t smallest = i;
      for (std::size_t j = i + 1; j < count; ++j) {
        if (values[j] < values[smallest])
          smallest = j;
      }
      std::swap(values[i], values[smallest]);
      std::swap(order[i], order[smallest]);
    }
    return order;
  }
  constexpr std::size_t kDone = static_cast<std::size_t>(-1);
  std::size_t leaves = 1;
  while (leaves < count)
    leaves *= 2;
  // tree[leaves + p] is position p (or kDone); an inner node holds the winner below it.
  std::vector<std::size_t> tree(2 * leaves, kDone);
  auto winner = [&](std::size_t left, std::size_t right) {
    if (left == kDone)
      return right;
    if (right == kDone || !(values[right] < values[left]))
      return left;  // left positions are lower, so they win ties
    return right;
  };
  auto update = [&](std::size_t position, std::size_t entry) {
    std::size_t node = leaves + position;
    tree[node] = entry;
    for (node /= 2; node >= 1; node /= 2)
      tree[node] = winner(tree[2 * node], tree[2 * node + 1]);
  };
  for (std::size_t p = 0; p < count; ++p)
    tree[leaves + p] = p;
  for (std::size_t node = leaves - 1; node >= 1; --node)
    tree[node] = winner(tree[2 * node], tree[2 * node + 1]);
  for (std::size_t i = 0; i + 1 < count; ++i) {
    std::size_t smallest = tree[1];
    std::swap(values[i], values[smallest]);
    std::swap(order[i], order[smallest]);
    update(smallest, smallest);
    update(i, kDone);
  }
  return order;
}

std::vector<std::size_t> CoordinateOrder(const std::vector<TPatch*>& byName, char axis) {
  std::vector<double> values;
  values.reserve(byName.size());
  for (TPatch* patch : byName)
    values.push_back(axis == 'X' ? patch->GetX() : patch->GetY());
  return SelectionOrder(std::move(values));
}

// A patch's populations as the edge walk reads them: from one block of memory, by offset
// when the years have no gaps (the case of every patch read from an MP file).
class PopulationColumn {
 public:
  explicit PopulationColumn(const TPatch::YearPopulations& populations)
      : entries(populations.data()), count(populations.size()) {
    if (count > 0) {
      first = entries[0].first;
      auto span =
          static_cast<unsigned long>(entries[count - 1].first) - static_cast<unsigned long>(first);
      withoutGaps = span == count - 1;
    }
  }

  const double* Find(long year) const {
    if (withoutGaps) {
      auto offset = static_cast<unsigned long>(year) - static_cast<unsigned long>(first);
      return offset < count ? &entries[offset].second : nullptr;
    }
    const auto* end = entries + count;
    const auto* found = std::lower_bound(
        entries, end, year, [](const auto& entry, long key) { return entry.first < key; });
    return found != end && found->first == year ? &found->second : nullptr;
  }

 private:
  const std::pair<long, double>* entries;
  std::size_t count;
  long first = 0;
  bool withoutGaps = false;
};

// GetSubpopulation and its centroid for every year of a year list, without copying
// patches. The coordinate order is found once; the walk reads, position by position,
// the patch's population column and its place in the name order. The yearly totals come
// from one pass over each patch's years, patches in name order, which adds every year's
// populations in the same order as SumPopulations. Each year's members are marked by
// their place in the name order, so that the centroid's sums visit them in name order as
// the centroid of a copied collection would.
class EdgeWalk {
 public:
  EdgeWalk(TPatches* patches, char axis, const std::vector<long>& years) {
    std::vector<TPatch*> byName;
    for (const auto& entry : patches->GetPatchMap()) {
      byName.push_back(entry.second);
      xs.push_back(entry.second->GetX());
      ys.push_back(entry.second->GetY());
    }
    for (std::size_t index : CoordinateOrder(byName, axis)) {
      walkColumns.emplace_back(byName[index]->GetPopulations());
      walkIndices.push_back(index);
    }
    contributions.assign(byName.size(), 0.0);
    members.assign(byName.size(), 0);
    AddTotals(byName, years);
  }

  // The year must be the entry at `yearIndex` of the year list.
  template <typename Sums>
  TPoint* Centroid(long year, std::size_t yearIndex, double threshold, bool direction) {
    Gather(year, totals[yearIndex], threshold, direction);
    Sums sums;
    for (std::size_t i = 0; i < members.size(); ++i) {
      if (members[i]) {
        sums.Add(xs[i], ys[i], contributions[i]);
        members[i] = 0;
      }
    }
    return sums.Centroid();
  }

 private:
  void AddTotals(const std::vector<TPatch*>& byName, const std::vector<long>& years) {
    totals.assign(years.size(), 0.0);
    if (years.empty())
      return;
    long first = years.front();
    long last = years.back();
    for (TPatch* patch : byName) {
      for (const auto& [year, population] : patch->GetPopulations()) {
        if (year >= first && year <= last)
          totals[static_cast<std::size_t>(year - first)] += population;
      }
    }
  }

  void Gather(long year, double total, double threshold, bool direction) {
    double target = total * threshold;
    double gathered = 0;
    long count = static_cast<long>(walkColumns.size());
    long position = direction ? 0 : count - 1;
    long step = direction ? 1 : -1;
    while (target > gathered && position >= 0 && position < count) {
      double before = gathered;
      if (const double* population = walkColumns[position].Find(year)) {
        double contribution = *population;
        gathered += contribution;
        if (gathered > target)
          contribution = target - before;
        std::size_t index = walkIndices[position];
        contributions[index] = contribution;
        members[index] = 1;
      }
      position += step;
    }
  }

  std::vector<double> xs, ys;  // by place in the name order
  std::vector<PopulationColumn> walkColumns;
  std::vector<std::size_t> walkIndices;  // place in the name order, by walk position
  std::vector<double> contributions;
  std::vector<char> members;
  std::vector<double> totals;
};

template <typename Sums>
TCentroids* SubpopulationSeries(TPatches* patches, double threshold, char axis, bool direction) {
  std::vector<long> years = MakeYearList(patches);
  EdgeWalk walk(patches, axis, years);
  std::unique_ptr<TCentroids> series(new TCentroids(""));
  for (std::size_t i = 0; i < years.size(); ++i)
    series->SetCoords(years[i], walk.Centroid<Sums>(years[i], i, threshold, direction));
  return series.release();
}

void RequireStartPosition(const std::vector<long>& years, long start) {
  if (start < 0 || static_cast<std::size_t>(start) >= years.size()) {
    throw TundrelError("Start position " + std::to_string(start) + " is outside the " +
                       std::to_string(years.size()) + " years of the series");
  }
}

void RequireYears(const std::vector<long>& years) {
  if (years.empty())
    throw TundrelError("The series holds no year");
}

// reference - point of the year, both read from series.
TPoint* DiffFrom(TPoint* reference, TCentroids* series, long year) {
  PointPtr point(series->GetCoords(year));
  return reference->Diff(point.get());
}

// The x and the y values of a series in year order, each smoothed by itself.
struct Coordinates {
  std::vector<long> years;
  std::vector<double> xs, ys;

  explicit Coordinates(TCentroids* series) {
    for (const auto& [year, point] : series->GetPointMap()) {
      years.push_back(year);
      xs.push_back(point->X());
      ys.push_back(point->Y());
    }
  }
};

// Calls reduce(first, window) for every window start, in order, and stores the point it
// returns under the year at position start + (window - 1) / 2.
template <typename Reduce>
TCentroids* SmoothByWindows(TCentroids* series, long window, Reduce reduce) {
  RequireWindow(window);
  Coordinates input(series);
  std::unique_ptr<TCentroids> smoothed(new TCentroids(""));
  long count = static_cast<long>(input.years.size());
  long half = (window - 1) / 2;
  for (long first = 0; first <= count - window; ++first) {
    auto [x, y] = reduce(input, first);
    smoothed->SetCoords(input.years[first + half], new TPoint(x, y));
  }
  return smoothed.release();
}

double WindowMean(const std::vector<double>& values, long first, long window) {
  double sum = 0;
  for (long i = first; i < first + window; ++i)
    sum += values[i];
  return sum / static_cast<double>(window);
}

// Ascending, with NaN after every number: a strict order, so sorting a window that
// holds NaN (the shift of a year with an empty edge) stays well defined.
bool AscendingNaNLast(double a, double b) {
  return a < b || (!std::isnan(a) && std::isnan(b));
}

double WindowMedian(const std::vector<double>& values, long first, long window,
                    std::vector<double>& scratch) {
  scratch.assign(values.begin() + first, values.begin() + first + window);
  std::stable_sort(scratch.begin(), scratch.end(), AscendingNaNLast);
  return scratch[window / 2];
}

}  // namespace

void RequireWindow(long window) {
  if (window < 1) {
    throw TundrelError("Smoothing window must be at least 1, not " + std::to_string(window));
  }
}

TPatches* CleanPatches(TPatches* patches, long threshold) {
  std::unique_ptr<TPatches> cleaned(new TPatches());
  cleaned->SetResolution(patches->GetResolution());
  for (const auto& entry : patches->GetPatchMap()) {
    if (HasOccupiedRun(entry.second, threshold))
      cleaned->AddPatch(entry.second->Clone());
  }
  return cleaned.release();
}

YearSpan GetYearSpan(TPatches* patches) {
  const auto& byName = patches->GetPatchMap();
  if (byName.empty())
    return {0, -1};
  YearSpan span{byName.begin()->second->GetMinYear(), byName.begin()->second->GetMaxYear()};
  for (const auto& entry : byName) {
    if (entry.second->GetMinYear() < span.first)
      span.first = entry.second->GetMinYear();
    if (entry.second->GetMaxYear() > span.last)
      span.last = entry.second->GetMaxYear();
  }
  return span;
}

std::vector<long> MakeYearList(TPatches* patches) {
  YearSpan span = GetYearSpan(patches);
  std::vector<long> years;
  years.reserve(static_cast<std::size_t>(span.Count()));
  for (long year = span.first; year <= span.last; ++year)
    years.push_back(year);
  return years;
}

double SumPopulations(TPatches* patches, long year) {
  double total = 0;
  for (const auto& entry : patches->GetPatchMap()) {
    if (const double* population = entry.second->FindYear(year))
      total += *population;
  }
  return total;
}

TPoint* WeightedMeans(TPatches* patches, long year) {
  return CentroidOfYear<WeightedSums>(patches, year);
}

TCentroids* WeightedMeans(TPatches* patches) {
  return SeriesOverYearList(patches, [](TPatches* p, long year) { return WeightedMeans(p, year); });
}

TPoint* Means(TPatches* patches, long year) {
  return CentroidOfYear<PlainSums>(patches, year);
}

TCentroids* Means(TPatches* patches) {
  return SeriesOverYearList(patches, [](TPatches* p, long year) { return Means(p, year); });
}

std::vector<TPoint*> GetNonzeroPoints(TPatches* patches, long year) {
  std::vector<PointPtr> owned;
  for (const auto& entry : patches->GetPatchMap()) {
    TPatch* patch = entry.second;
    const double* population = patch->FindYear(year);
    if (population && *population > 0)
      owned.emplace_back(new TPoint(patch->GetX(), patch->GetY()));
  }
  std::vector<TPoint*> points;
  points.reserve(owned.size());
  for (auto& point : owned)
    points.push_back(point.release());
  return points;
}

// The order of a selection sort, kept on purpose: its (unstable) order among equal
// coordinates decides which patch is reached first and which one is cut at the edge's
// boundary.
std::vector<std::string> SortOnOrdinate(TPatches* patches, char axis) {
  std::vector<TPatch*> byName;
  for (const auto& entry : patches->GetPatchMap())
    byName.push_back(entry.second);
  std::vector<std::string> names;
  names.reserve(byName.size());
  for (std::size_t index : CoordinateOrder(byName, axis))
    names.push_back(byName[index]->GetName());
  return names;
}

// Gathers patches from one end of the ordered list until the share of the year's total
// is reached; the patch that passes the target counts with what was still missing. When
// the list runs out first (a threshold above 1, or rounding at exactly 1), every patch
// holding the year is in, each with its whole population.
TPatches* GetSubpopulation(TPatches* patches, std::vector<std::string> names, double threshold,
                           long year, bool direction) {
  std::unique_ptr<TPatches> edge(new TPatches());
  double target = SumPopulations(patches, year) * threshold;
  double gathered = 0;
  long count = static_cast<long>(names.size());
  long position = direction ? 0 : count - 1;
  long step = direction ? 1 : -1;
  while (target > gathered && position >= 0 && position < count) {
    TPatch* patch = patches->GetPatch(names[position]);
    double before = gathered;
    if (const double* population = patch->FindYear(year)) {
      std::unique_ptr<TPatch> member(patch->ShallowClone());
      double contribution = *population;
      gathered += contribution;
      if (gathered > target)
        contribution = target - before;
      member->SetYear(year, contribution);
      edge->AddPatch(member.release());
    }
    position += step;
  }
  return edge.release();
}

TCentroids* GetSubpopulationWeightedMeans(TPatches* patches, double threshold, char axis,
                                          bool direction) {
  return SubpopulationSeries<WeightedSums>(patches, threshold, axis, direction);
}

TCentroids* GetSubpopulationMeans(TPatches* patches, double threshold, char axis, bool direction) {
  return SubpopulationSeries<PlainSums>(patches, threshold, axis, direction);
}

TCentroids* GetRangeCoordShifts(TCentroids* series, long start) {
  std::vector<long> years = series->GetYearList();
  RequireStartPosition(years, start);
  PointPtr reference(series->GetCoords(years[start]));
  std::unique_ptr<TCentroids> shifts(new TCentroids(""));
  for (std::size_t i = start; i < years.size(); ++i)
    shifts->SetCoords(years[i], DiffFrom(reference.get(), series, years[i]));
  return shifts.release();
}

TCentroids* GetDiffs(TCentroids* first, TCentroids* second) {
  std::unique_ptr<TCentroids> diffs(new TCentroids(""));
  for (long year : first->GetYearList()) {
    PointPtr point(first->GetCoords(year));
    diffs->SetCoords(year, DiffFrom(point.get(), second, year));
  }
  return diffs.release();
}

// For a start above 0 the reference is the year just before the start position.
TCentroids* GetDiffInitial(TCentroids* first, TCentroids* second, long start) {
  std::vector<long> years = second->GetYearList();
  RequireStartPosition(years, start);
  PointPtr reference(first->GetCoords(years[start > 0 ? start - 1 : 0]));
  std::unique_ptr<TCentroids> diffs(new TCentroids(""));
  for (std::size_t i = start; i < years.size(); ++i)
    diffs->SetCoords(years[i], DiffFrom(reference.get(), second, years[i]));
  return diffs.release();
}

// Current minus the calendar year before, which the series must hold.
TCentroids* GetYearlyRangeCoordShifts(TCentroids* series) {
  std::vector<long> years = series->GetYearList();
  RequireYears(years);
  std::unique_ptr<TCentroids> shifts(new TCentroids(""));
  for (std::size_t i = 1; i < years.size(); ++i) {
    PointPtr current(series->GetCoords(years[i]));
    shifts->SetCoords(years[i], DiffFrom(current.get(), series, years[i] - 1));
  }
  return shifts.release();
}

TCentroids* GetPropYearlyRangeCoordShifts(TCentroids* first, TCentroids* second) {
  std::unique_ptr<TCentroids> gaps(GetDiffs(first, second));
  std::unique_ptr<TCentroids> yearly(GetYearlyRangeCoordShifts(second));
  std::unique_ptr<TCentroids> shares(new TCentroids(""));
  for (long year : yearly->GetYearList()) {
    PointPtr change(yearly->GetCoords(year));
    PointPtr gap(gaps->GetCoords(year));
    shares->SetCoords(year, new TPoint(change->X() / gap->X() * 100, change->Y() / gap->Y() * 100));
  }
  return shares.release();
}

TCentroids* GetPropInitialRangeCoordShifts(TCentroids* first, TCentroids* second, long start) {
  std::unique_ptr<TCentroids> distances(GetDiffInitial(first, second, start));
  std::vector<long> years = distances->GetYearList();
  RequireYears(years);
  PointPtr base(distances->GetCoords(years.front()));
  double baseX = std::abs(base->X());
  double baseY = std::abs(base->Y());
  std::unique_ptr<TCentroids> shares(new TCentroids(""));
  for (long year : years) {
    PointPtr distance(distances->GetCoords(year));
    shares->SetCoords(year, new TPoint(std::abs(std::abs(distance->X()) - baseX) / baseX * 100,
                                       std::abs(std::abs(distance->Y()) - baseY) / baseY * 100));
  }
  return shares.release();
}

TCentroids* MovingAverage(TCentroids* series, long window) {
  return SmoothByWindows(series, window, [window](const Coordinates& input, long first) {
    return std::pair(WindowMean(input.xs, first, window), WindowMean(input.ys, first, window));
  });
}

// The median of x and the median of y are taken separately, so a window's point may
// combine the x of one year with the y of another. Even windows take the upper middle.
TCentroids* MedianSmoothing(TCentroids* series, long window) {
  std::vector<double> scratch;
  return SmoothByWindows(series, window, [&](const Coordinates& input, long first) {
    double x = WindowMedian(input.xs, first, window, scratch);
    return std::pair(x, WindowMedian(input.ys, first, window, scratch));
  });
}

TCentroids* ExponentialSmoothing(TCentroids* series, double alpha) {
  std::unique_ptr<TCentroids> smoothed(new TCentroids(""));
  Coordinates input(series);
  if (input.years.empty())
    return smoothed.release();
  double x = input.xs.front(), y = input.ys.front();
  smoothed->SetCoords(input.years.front(), new TPoint(x, y));
  for (std::size_t i = 1; i < input.years.size(); ++i) {
    x = x + alpha * (input.xs[i] - x);
    y = y + alpha * (input.ys[i] - y);
    smoothed->SetCoords(input.years[i], new TPoint(x, y));
  }
  return smoothed.release();
}

std::vector<double> MovingAverageSmoothing(std::vector<double> values, long window) {
  RequireWindow(window);
  std::vector<double> smoothed;
  long count = static_cast<long>(values.size());
  for (long first = 0; first <= count - window; ++first)
    smoothed.push_back(WindowMean(values, first, window));
  return smoothed;
}

std::vector<double> ExponentialSmoothing(std::vector<double> values, double alpha) {
  std::vector<double> smoothed;
  if (values.empty())
    return smoothed;
  double level = values.front();
  smoothed.push_back(level);
  for (std::size_t i = 1; i < values.size(); ++i) {
    level = level + alpha * (values[i] - level);
    smoothed.push_back(level);
  }
  return smoothed;
}

}  // namespace TCentroidTools
