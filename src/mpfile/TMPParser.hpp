#pragma once

#include <istream>
#include <string>
#include <vector>

#include "model/TPatch.hpp"
#include "model/TPatches.hpp"

// Reader of MP files: the patch lines give the patches and their coordinates, the
// results part gives each patch's population per year, counted from a start year.
namespace TMPParser {

// Appends the maximal runs of characters not in `delimiters` to `tokens`.
void Tokenize(const std::string& text, std::vector<std::string>& tokens,
              const std::string& delimiters);

// The patch of one patch line ("name,x,y,..."); missing coordinates read as 0.
TPatch* ParsePatchLine(std::string line);

// Reads the stream from its current position; the caller owns the collection.
TPatches* LoadMP(std::istream& in, long startYear);

// Throws a TundrelError naming the file when it cannot be opened or read.
TPatches* LoadMP(std::string fileName, long startYear);

}  // namespace TMPParser
