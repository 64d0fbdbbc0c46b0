#include "mpfile/TMPParser.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

#include "model/TundrelError.hpp"
#include "mpfile/DecimalReader.hpp"

namespace TMPParser {

namespace {

constexpr std::streamsize kFileBufferSize = 1 << 20;

enum class Phase { kBeforePatches, kInPatches, kAfterPatches };

// The words of Tokenize, at most `limit` of them: the reader needs only the first few
// words of a line, and splitting the whole of a line of megabytes takes many times its size.
void AppendWords(const std::string& text, std::vector<std::string>& tokens,
                 const std::string& delimiters, std::size_t limit) {
  std::size_t start = text.find_first_not_of(delimiters);
  for (std::size_t count = 0; start != std::string::npos && count < limit; ++count) {
    std::size_t end = text.find_first_of(delimiters, start);
    tokens.push_back(
        text.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos)
      break;
    start = text.find_first_not_of(delimiters, end);
  }
}

std::vector<std::string> FirstWords(const std::string& text, const std::string& delimiters,
                                    std::size_t limit) {
  std::vector<std::string> words;
  AppendWords(text, words, delimiters, limit);
  return words;
}

// atof and atol conventions: leading blanks skipped, the longest numeric prefix, 0
// when there is none. A word may hold NUL bytes; the number ends there like in C.
double ReadDouble(const std::string& word) {
  return ReadDecimal(word);
}
long ReadLong(const std::string& word) {
  return std::strtol(word.c_str(), nullptr, 10);
}

bool Contains(const std::string& line, const char* keyword) {
  return line.find(keyword) != std::string::npos;
}

// A carriage return right before the line feed belongs to the line end. A last line
// without a line feed is a line like any other.
bool ReadLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line))
    return false;
  if (!in.eof() && !line.empty() && line.back() == '\r')
    line.pop_back();
  return true;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Whole decimal number, blanks or tabs around it allowed: [+-]? (d+ (. d*)? | . d+)
// ([eE] [+-]? d+)?
bool IsWholeDecimalNumber(const std::string& field) {
  std::size_t pos = 0;
  std::size_t end = field.size();
  auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
  while (pos < end && isBlank(field[pos]))
    ++pos;
  while (end > pos && isBlank(field[end - 1]))
    --end;
  auto digitsFrom = [&](std::size_t at) {
    std::size_t count = 0;
    while (at + count < end && IsDigit(field[at + count]))
      ++count;
    return count;
  };
  if (pos < end && (field[pos] == '+' || field[pos] == '-'))
    ++pos;
  std::size_t intDigits = digitsFrom(pos);
  pos += intDigits;
  std::size_t fracDigits = 0;
  if (pos < end && field[pos] == '.') {
    ++pos;
    fracDigits = digitsFrom(pos);
    pos += fracDigits;
  }
  if (intDigits == 0 && fracDigits == 0)
    return false;
  if (pos < end && (field[pos] == 'e' || field[pos] == 'E')) {
    ++pos;
    if (pos < end && (field[pos] == '+' || field[pos] == '-'))
      ++pos;
    std::size_t expDigits = digitsFrom(pos);
    if (expDigits == 0)
      return false;
    pos += expDigits;
  }
  return pos == end;
}

// Title lines such as "Pop20 scenario, dispersal 10x" hold a keyword too; only a line
// that also has the shape of a patch line opens the patch part.
bool OpensPatchPart(const std::string& line) {
  if (!Contains(line, ".KCH") && !Contains(line, "Pop") && !Contains(line, ".DCH"))
    return false;
  std::vector<std::string> fields = FirstWords(line, ",", 3);
  return fields.size() >= 3 && IsWholeDecimalNumber(fields[1]) && IsWholeDecimalNumber(fields[2]);
}

// The last blank-separated word in front of the first k or m; 0 when there is none.
double ReadResolution(const std::string& line) {
  std::vector<std::string> beforeUnit = FirstWords(line, "km", 1);
  if (beforeUnit.empty())
    return 0.0;
  const std::string& text = beforeUnit.front();
  std::size_t last = text.find_last_not_of(' ');
  if (last == std::string::npos)
    return 0.0;
  std::size_t blank = text.find_last_of(' ', last);
  std::size_t first = blank == std::string::npos ? 0 : blank + 1;
  return ReadDouble(text.substr(first, last + 1 - first));
}

class ResultsReader {
 public:
  ResultsReader(std::istream& in, long startYear, TPatches& patches,
                const std::vector<std::string>& namesByNumber)
      : in(in), startYear(startYear), patches(patches), namesByNumber(namesByNumber) {}

  void Read() {
    long years = CountYears();
    long blocks = patches.GetNumPatches();
    for (long block = 0; block < blocks; ++block) {
      if (block > 0 && !ReadLine(in, header)) {
        throw TundrelError("MP file ends after " + std::to_string(block) + " of the " +
                           std::to_string(blocks) + " patch blocks of its results");
      }
      ReadBlock(years);
    }
  }

 private:
  // Every line up to the next "Pop." line is one year, blank lines included.
  long CountYears() {
    long years = 0;
    while (ReadLine(in, header)) {
      if (Contains(header, "Pop."))
        return years;
      ++years;
    }
    throw TundrelError("MP file ends before the first patch block of its results");
  }

  // The first word of a value line as Tokenize at " " gives it, without copying;
  // empty when the line holds only blanks.
  static std::string_view FirstWord(std::string_view line) {
    std::size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos)
      return {};
    return line.substr(start, line.find(' ', start) - start);
  }

  void ReadBlock(long years) {
    std::vector<std::string> words = FirstWords(header, ". ", 2);
    long number = words.size() >= 2 ? ReadLong(words[1]) : 0;
    TPatch* patch = patches.GetPatch(NameOf(number));
    patch->ReserveYears(static_cast<std::size_t>(years));
    for (long i = 0; i < years;) {
      if (!ReadLine(in, line)) {
        throw TundrelError("MP file ends inside the results of patch " + std::to_string(number));
      }
      if (line.size() < 2)
        continue;
      std::string_view population = FirstWord(line);
      if (population.empty())
        continue;
      patch->SetYear(startYear + i, ReadDecimal(population));
      ++i;
    }
  }

  // Patch lines are numbered from 1 in file order; an unknown number names no patch.
  std::string NameOf(long number) {
    if (number < 1 || static_cast<std::size_t>(number) > namesByNumber.size())
      return "";
    return namesByNumber[number - 1];
  }

  std::istream& in;
  long startYear;
  TPatches& patches;
  const std::vector<std::string>& namesByNumber;
  std::string header;
  std::string line;
};

}  // namespace

void Tokenize(const std::string& text, std::vector<std::string>& tokens,
              const std::string& delimiters) {
  AppendWords(text, tokens, delimiters, std::string::npos);
}

TPatch* ParsePatchLine(std::string line) {
  std::vector<std::string> fields = FirstWords(line, ",", 3);
  std::string name = fields.empty() ? std::string() : fields[0];
  double x = fields.size() > 1 ? ReadDouble(fields[1]) : 0.0;
  double y = fields.size() > 2 ? ReadDouble(fields[2]) : 0.0;
  return new TPatch(name, "", x, y);
}

TPatches* LoadMP(std::istream& in, long startYear) {
  std::unique_ptr<TPatches> result(new TPatches());
  bool resolutionFound = false;
  Phase phase = Phase::kBeforePatches;
  std::vector<std::string> namesByNumber;
  std::string line;
  while (ReadLine(in, line)) {
    if (!resolutionFound && Contains(line, "km")) {
      result->SetResolution(ReadResolution(line));
      resolutionFound = true;
    }
    bool patchPartLine =
        phase == Phase::kInPatches || (phase == Phase::kBeforePatches && OpensPatchPart(line));
    if (patchPartLine) {
      if (Contains(line, "Migration")) {
        phase = Phase::kAfterPatches;
      } else {
        std::unique_ptr<TPatch> patch(ParsePatchLine(line));
        namesByNumber.push_back(patch->GetName());
        result->AddPatch(patch.release());
        phase = Phase::kInPatches;
      }
    }
    if (Contains(line, "Pop. ALL")) {
      ResultsReader(in, startYear, *result, namesByNumber).Read();
      break;
    }
  }
  if (in.bad())
    throw TundrelError("Cannot read MP file");
  return result.release();
}

TPatches* LoadMP(std::string fileName, long startYear) {
  std::error_code ignored;
  if (std::filesystem::is_directory(fileName, ignored)) {
    throw TundrelError("Cannot open file: " + fileName + " (it is a directory)");
  }
  // A large buffer: the results part of a big model is hundreds of megabytes.
  std::unique_ptr<char[]> buffer(new char[kFileBufferSize]);
  std::ifstream in;
  in.rdbuf()->pubsetbuf(buffer.get(), kFileBufferSize);
  in.open(fileName);
  if (!in.is_open())
    throw TundrelError("Cannot open file: " + fileName);
  try {
    return LoadMP(in, startYear);
  } catch (const TundrelError&) {
    if (in.bad())
      throw TundrelError("Cannot read file: " + fileName);
    throw;
  }
}

}  // namespace TMPParser
