// The edge analysis takes shortcuts (an O(n log n) form of the selection sort, yearly
// totals from one pass over the patches, members marked instead of copied). These tests
// run it against the plain steps, written out here, on random collections and require
// the same bits.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "analysis/TCentroidTools.hpp"

namespace {

struct Patch {
  double x, y;
  std::map<long, double> populations;
};
using Collection = std::map<std::string, Patch>;  // name order

// ---- The plain steps -------------------------------------------------------------

std::vector<std::string> ReferenceSort(const Collection& patches, char axis) {
  std::vector<std::string> names;
  std::vector<double> values;
  for (const auto& [name, patch] : patches) {
    names.push_back(name);
    values.push_back(axis == 'X' ? patch.x : patch.y);
  }
  for (std::size_t i = 0; i + 1 < names.size(); ++i) {
    std::size_t smallest = i;
    for (std::size_t j = i + 1; j < names.size(); ++j) {
      if (values[j] < values[smallest])
        smallest = j;
    }
    std::swap(values[i], values[smallest]);
    std::swap(names[i], names[smallest]);
  }
  return names;
}

std::vector<long> ReferenceYears(const Collection& patches) {
  long first = 0, last = 0;
  bool firstPatch = true;
  for (const auto& [name, patch] : patches) {
    long low = 99999999, high = 0;
    for (const auto& [year, population] : patch.populations) {
      low = std::min(low, year);
      high = std::max(high, year);
    }
    if (firstPatch || low < first)
      first = low;
    if (firstPatch || high > last)
      last = high;
    firstPatch = false;
  }
  std::vector<long> years;
  for (long year = first; !firstPatch && year <= last; ++year)
    years.push_back(year);
  return years;
}

double ReferenceTotal(const Collection& patches, long year) {
  double total = 0;
  for (const auto& [name, patch] : patches) {
    auto found = patch.populations.find(year);
    if (found != patch.populations.end())
      total += found->second;
  }
  return total;
}

// The members of the year's edge and what each contributes, in name order. The walk
// stops at either end of the list.
std::map<std::string, double> ReferenceEdge(const Collection& patches,
                                            const std::vector<std::string>& ordered,
                                            double threshold, long year, bool direction) {
  std::map<std::string, double> members;
  double target = ReferenceTotal(patches, year) * threshold;
  double gathered = 0;
  long count = static_cast<long>(ordered.size());
  for (long position = direction ? 0 : count - 1;
       target > gathered && position >= 0 && position < count; position += direction ? 1 : -1) {
    const Patch& patch = patches.at(ordered[position]);
    auto found = patch.populations.find(year);
    if (found == patch.populations.end())
      continue;
    double before = gathered;
    double contribution = found->second;
    gathered += contribution;
    if (gathered > target)
      contribution = target - before;
    members[ordered[position]] = contribution;
  }
  return members;
}

std::pair<double, double> ReferenceWeighted(const Collection& patches,
                                            const std::map<std::string, double>& members) {
  double sumX = 0, sumY = 0, weight = 0;
  for (const auto& [name, population] : members) {
    sumX += patches.at(name).x * population;
    sumY += patches.at(name).y * population;
    weight += population;
  }
  return {sumX / weight, sumY / weight};
}

std::pair<double, double> ReferencePlain(const Collection& patches,
                                         const std::map<std::string, double>& members) {
  double sumX = 0, sumY = 0;
  long count = 0;
  for (const auto& [name, population] : members) {
    if (population > 0) {
      sumX += patches.at(name).x;
      sumY += patches.at(name).y;
      ++count;
    }
  }
  return {sumX / static_cast<double>(count), sumY / static_cast<double>(count)};
}

// ---- Random collections ----------------------------------------------------------

// Few distinct coordinates (many ties, both zeros), now and then an infinity or NaN;
// years with gaps, some patches without years; zero, negative and NaN populations.
Collection RandomCollection(std::mt19937_64& random) {
  auto below = [&](int bound) { return static_cast<int>(random() % bound); };
  const double coordinates[] = {0.0, -0.0, 1.5, 2, 2, 3, -4, 10, 1e6, 7.25};
  auto coordinate = [&]() {
    int pick = below(100);
    if (pick == 0)
      return std::numeric_limits<double>::quiet_NaN();
    if (pick == 1)
      return std::numeric_limits<double>::infinity();
    return coordinates[below(10)] + (pick < 50 ? 0.0 : below(1000) / 3.0);
  };
  Collection patches;
  int count = below(40);
  long firstYear = 1990 + below(5);
  int span = 1 + below(12);
  for (int i = 0; i < count; ++i) {
    std::string name = "P" + std::to_string(below(60));
    Patch patch{coordinate(), coordinate(), {}};
    bool gaps = below(4) == 0;
    for (long year = firstYear + below(3); year < firstYear + span; ++year) {
      if (gaps && below(3) == 0)
        continue;
      int kind = below(100);
      double population = kind < 30 ? 0.0 : below(500) / 7.0;
      if (kind == 99)
        population = std::numeric_limits<double>::quiet_NaN();
      else if (kind >= 96)
        population = -population;
      patch.populations[year] = population;
    }
    if (below(20) == 0)
      patch.populations.clear();
    patches[name] = patch;
  }
  return patches;
}

std::unique_ptr<TPatches> Build(const Collection& patches) {
  auto built = std::make_unique<TPatches>();
  for (const auto& [name, row] : patches) {
    auto* patch = new TPatch(name, "", row.x, row.y);
    for (const auto& [year, population] : row.populations)
      patch->SetYear(year, population);
    built->AddPatch(patch);
  }
  return built;
}

std::uint64_t Bits(double value) {
  return std::bit_cast<std::uint64_t>(value);
}

}  // namespace

TEST(EdgeSweep, SortOnOrdinateMatchesTheSelectionSort) {
  std::mt19937_64 random(11);
  for (int round = 0; round < 400; ++round) {
    Collection patches = RandomCollection(random);
    std::unique_ptr<TPatches> built = Build(patches);
    for (char axis : {'X', 'Y'})
      ASSERT_EQ(TCentroidTools::SortOnOrdinate(built.get(), axis), ReferenceSort(patches, axis))
          << "round " << round << " axis " << axis;
  }
}

TEST(EdgeSweep, SortOnOrdinateOfManyTiesWithoutNaN) {
  // Larger lists, where the tournament tree has several levels and no NaN sends the
  // sort to the plain scan.
  std::mt19937_64 random(12);
  for (int round = 0; round < 50; ++round) {
    Collection patches;
    int count = 1 + static_cast<int>(random() % 300);
    for (int i = 0; i < count; ++i) {
      double y = static_cast<double>(random() % 20) - 10;
      patches["P" + std::to_string(i)] = Patch{0, y == 0 && random() % 2 ? -0.0 : y, {}};
    }
    std::unique_ptr<TPatches> built = Build(patches);
    ASSERT_EQ(TCentroidTools::SortOnOrdinate(built.get(), 'Y'), ReferenceSort(patches, 'Y'))
        << "round " << round;
  }
}

TEST(EdgeSweep, EdgeCentroidSeriesMatchThePlainSteps) {
  std::mt19937_64 random(13);
  const double thresholds[] = {0.1, 0.25, 0.5, 1.0, 1.5, 0.0, -0.2, 0.37};
  for (int round = 0; round < 400; ++round) {
    Collection patches = RandomCollection(random);
    std::unique_ptr<TPatches> built = Build(patches);
    std::vector<long> years = ReferenceYears(patches);
    ASSERT_EQ(TCentroidTools::MakeYearList(built.get()), years);
    double threshold = thresholds[random() % std::size(thresholds)];
    char axis = "XYx"[random() % 3];
    for (bool direction : {false, true}) {
      std::vector<std::string> ordered = ReferenceSort(patches, axis);
      std::unique_ptr<TCentroids> weighted(
          TCentroidTools::GetSubpopulationWeightedMeans(built.get(), threshold, axis, direction));
      std::unique_ptr<TCentroids> plain(
          TCentroidTools::GetSubpopulationMeans(built.get(), threshold, axis, direction));
      ASSERT_EQ(weighted->GetYearList(), years);
      ASSERT_EQ(plain->GetYearList(), years);
      for (long year : years) {
        auto members = ReferenceEdge(patches, ordered, threshold, year, direction);
        auto [wx, wy] = ReferenceWeighted(patches, members);
        auto [px, py] = ReferencePlain(patches, members);
        std::unique_ptr<TPoint> w(weighted->GetCoords(year));
        std::unique_ptr<TPoint> p(plain->GetCoords(year));
        ASSERT_EQ(Bits(w->X()), Bits(wx)) << "round " << round << " year " << year;
        ASSERT_EQ(Bits(w->Y()), Bits(wy)) << "round " << round << " year " << year;
        ASSERT_EQ(Bits(p->X()), Bits(px)) << "round " << round << " year " << year;
        ASSERT_EQ(Bits(p->Y()), Bits(py)) << "round " << round << " year " << year;
      }
    }
  }
}

TEST(EdgeSweep, OneYearSumsMatchThePlainSteps) {
  std::mt19937_64 random(14);
  for (int round = 0; round < 300; ++round) {
    Collection patches = RandomCollection(random);
    std::unique_ptr<TPatches> built = Build(patches);
    for (long year = 1988; year < 2010; ++year) {
      ASSERT_EQ(Bits(TCentroidTools::SumPopulations(built.get(), year)),
                Bits(ReferenceTotal(patches, year)));
      std::map<std::string, double> everyone;
      for (const auto& [name, patch] : patches) {
        auto found = patch.populations.find(year);
        if (found != patch.populations.end())
          everyone[name] = found->second;
      }
      auto [wx, wy] = ReferenceWeighted(patches, everyone);
      std::unique_ptr<TPoint> w(TCentroidTools::WeightedMeans(built.get(), year));
      ASSERT_EQ(Bits(w->X()), Bits(wx));
      ASSERT_EQ(Bits(w->Y()), Bits(wy));
    }
  }
}
