#include "mpfile/TMPParser.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string_view>

#include "model/TundrelError.hpp"
#include "mpfile/DecimalReader.hpp"

namespace TMPParser {

namespace {

enum class Phase { kBeforePatches, kInPatches, kAfterPatches };

// The year count is a count of lines, empty ones included, and says nothing of the value
// lines that follow: 50 MB of line feeds would reserve 800 MB. Room for this many years is
// made in advance, the rest as values come.
constexpr long kYearsReservedAhead = 1 << 16;

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

// The lines of the input. A line ends at a line feed; a carriage return right before the
// line feed belongs to the line end. A last line without a line feed is a line like any
// other, carriage return included.
class LineSource {
 public:
  virtual ~LineSource() = default;
  // The next line, as a view that stays valid until the next call; false at the end.
  virtual bool Next(std::string_view& line) = 0;
  bool Next(std::string& line) {
    std::string_view view;
    if (!Next(view))
      return false;
    line.assign(view);
    return true;
  }
};

// Reads the stream line by line, and nothing after the last line it hands out.
class StreamLines : public LineSource {
 public:
  explicit StreamLines(std::istream& in) : in(in) {}
  using LineSource::Next;
  bool Next(std::string_view& view) override {
    if (!std::getline(in, line))
      return false;
    if (!in.eof() && !line.empty() && line.back() == '\r')
      line.pop_back();
    view = line;
    return true;
  }

 private:
  std::istream& in;
  std::string line;
};

// Reads the stream in large blocks and hands out lines as views into them, without a
// copy. It may read past the last line it hands out, so it serves only streams that
// nothing reads afterwards (the reader's own file).
class BlockLines : public LineSource {
 public:
  explicit BlockLines(std::istream& in) : in(in) {}
  using LineSource::Next;
  bool Next(std::string_view& view) override {
    for (;;) {
      const char* from = buffer.get() + begin;
      const void* feed = begin < end ? std::memchr(from, '\n', end - begin) : nullptr;
      if (feed != nullptr) {
        std::size_t length = static_cast<const char*>(feed) - from;
        begin += length + 1;
        if (length > 0 && from[length - 1] == '\r')
          --length;
        view = std::string_view(from, length);
        return true;
      }
      if (atEnd) {
        if (begin == end)
          return false;
        view = std::string_view(from, end - begin);
        begin = end;
        return true;
      }
      Refill();
    }
  }

 private:
  static constexpr std::size_t kBlockSize = 1 << 20;

  // Keeps the unfinished line at the front, grows the buffer when that line fills it,
  // and reads a block behind it.
  void Refill() {
    std::size_t carried = end - begin;
    if (capacity - carried < kBlockSize) {
      std::size_t grown = carried + kBlockSize;
      std::unique_ptr<char[]> larger = std::make_unique_for_overwrite<char[]>(grown);
      if (carried > 0)
        std::memcpy(larger.get(), buffer.get() + begin, carried);
      buffer = std::move(larger);
      capacity = grown;
    } else {
      std::memmove(buffer.get(), buffer.get() + begin, carried);
    }
    begin = 0;
    end = carried;
    in.read(buffer.get() + end, static_cast<std::streamsize>(capacity - end));
    end += static_cast<std::size_t>(in.gcount());
    atEnd = !in;
  }

  std::istream& in;
  std::unique_ptr<char[]> buffer;
  std::size_t capacity = 0;
  std::size_t begin = 0;  // the unread part of the buffer
  std::size_t end = 0;
  bool atEnd = false;
};

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
  ResultsReader(LineSource& lines, long startYear, TPatches& patches,
                const std::vector<std::string>& namesByNumber)
      : lines(lines), startYear(startYear), patches(patches), namesByNumber(namesByNumber) {}

  void Read() {
    long years = CountYears();
    long blocks = patches.GetNumPatches();
    for (long block = 0; block < blocks; ++block) {
      if (block > 0 && !lines.Next(header)) {
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
    while (lines.Next(header)) {
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
    patch->ReserveYears(static_cast<std::size_t>(std::min(years, kYearsReservedAhead)));
    std::string_view line;
    for (long i = 0; i < years;) {
      if (!lines.Next(line)) {
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

  LineSource& lines;
  long startYear;
  TPatches& patches;
  const std::vector<std::string>& namesByNumber;
  std::string header;
};

TPatches* LoadLines(LineSource& lines, long startYear) {
  std::unique_ptr<TPatches> result(new TPatches());
  bool resolutionFound = false;
  Phase phase = Phase::kBeforePatches;
  std::vector<std::string> namesByNumber;
  std::string line;
  while (lines.Next(line)) {
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
      ResultsReader(lines, startYear, *result, namesByNumber).Read();
      break;
    }
  }
  return result.release();
}

TPatches* LoadChecked(std::istream& in, LineSource& lines, long startYear) {
  std::unique_ptr<TPatches> result(LoadLines(lines, startYear));
  if (in.bad())
    throw TundrelError("Cannot read MP file");
  return result.release();
}

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
  StreamLines lines(in);
  return LoadChecked(in, lines, startYear);
}

TPatches* LoadMP(std::string fileName, long startYear) {
  std::error_code ignored;
  if (std::filesystem::is_directory(fileName, ignored)) {
    throw TundrelError("Cannot open file: " + fileName + " (it is a directory)");
  }
  std::ifstream in(fileName, std::ios::binary);
  if (!in.is_open())
    throw TundrelError("Cannot open file: " + fileName);
  try {
    // The file is the reader's own, so it may read ahead in large blocks.
    BlockLines lines(in);
    return LoadChecked(in, lines, startYear);
  } catch (const TundrelError&) {
    if (in.bad())
      throw TundrelError("Cannot read file: " + fileName);
    throw;
  }
}

}  // namespace TMPParser
