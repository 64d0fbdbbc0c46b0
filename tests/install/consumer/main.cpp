// A program outside the project that finds the installed library and uses the toolkit.
#include <iostream>
#include <memory>
#include <sstream>

#include "analysis/TCentroidTools.hpp"
#include "mpfile/TMPParser.hpp"

int main() {
  std::istringstream in("Pop 1,1,2\nPop 2,3,4\nMigration\nPop. ALL\n10\nPop. 1\n10\nPop. 2\n30\n");
  std::unique_ptr<TPatches> patches(TMPParser::LoadMP(in, 2000));
  std::unique_ptr<TPoint> centre(TCentroidTools::WeightedMeans(patches.get(), 2000));
  std::cout << centre->X() << "," << centre->Y() << "\n";
  return centre->X() == 2.5 && centre->Y() == 3.5 ? 0 : 1;
}
