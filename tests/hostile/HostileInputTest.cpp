// Damaged and hostile input, end to end through the built binary: whatever the file and
// the arguments, a run ends within seconds and bounded memory, with either the whole
// report (status 0) or one message line on standard error (status 2; 1 only for usage).

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

// The sanitizers slow a run down several times and add their own bookkeeping memory.
constexpr double kTimeLimitSeconds = kSanitized ? 12.0 : 4.0;
constexpr long kMemoryLimitMegabytes = kSanitized ? 640 : 320;
constexpr std::size_t kLongLineBytes = 50u << 20;

struct Outcome {
  bool timedOut = false;
  int signal = 0;
  int status = -1;
  double seconds = 0;
  long peakMegabytes = 0;
  std::string out;
  std::string err;
};

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

std::string Example() {
  const char* tests = std::getenv("TUNDREL_TEST_DATA");
  return ReadFile(fs::path(tests ? tests : "tests") / ".." / "examples" / "valley.mp");
}

// A folder of its own per test, removed afterwards (generated files can be 50 MB).
class Scratch {
 public:
  Scratch() {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(test->test_suite_name()) + "." + test->name();
    for (char& c : name) {
      if (c == '/')
        c = '_';
    }
    folder =
        fs::temp_directory_path() / ("tundrel-hostile-" + std::to_string(getpid()) + "-" + name);
    fs::remove_all(folder);
    fs::create_directories(folder);
  }
  ~Scratch() {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
  }
  fs::path Path(const std::string& name) const { return folder / name; }
  std::string Write(const std::string& name, const std::string& text) const {
    WriteFile(Path(name), text);
    return Path(name).string();
  }

 private:
  fs::path folder;
};

// Runs the binary with a memory cap (an address-space limit; the sanitizers reserve
// terabytes of address space, so there their allocator's own limits instead), and kills
// it when the time limit has passed.
Outcome RunBinary(const Scratch& scratch, const std::vector<std::string>& arguments) {
  std::vector<std::string> argumentTexts{TUNDREL_BINARY};
  argumentTexts.insert(argumentTexts.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& text : argumentTexts)
    argv.push_back(text.data());
  argv.push_back(nullptr);
  std::string asanOptions =
      "ASAN_OPTIONS=hard_rss_limit_mb=" + std::to_string(kMemoryLimitMegabytes) +
      ":max_allocation_size_mb=" + std::to_string(kMemoryLimitMegabytes) +
      ":allocator_may_return_null=1";
  std::string outPath = scratch.Path("stdout").string();
  std::string errPath = scratch.Path("stderr").string();

  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    int in = open("/dev/null", O_RDONLY);
    int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0)
      _exit(127);
    if (kSanitized) {
      putenv(asanOptions.data());
    } else {
      rlim_t bytes = static_cast<rlim_t>(kMemoryLimitMegabytes) << 20;
      rlimit limit{bytes, bytes};
      setrlimit(RLIMIT_AS, &limit);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  Outcome outcome;
  if (child < 0) {
    ADD_FAILURE() << "fork failed";
    return outcome;
  }
  int status = 0;
  rusage usage{};
  while (wait4(child, &status, WNOHANG, &usage) == 0) {
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (elapsed.count() > kTimeLimitSeconds) {
      outcome.timedOut = true;
      kill(child, SIGKILL);
      wait4(child, &status, 0, &usage);
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  outcome.peakMegabytes = usage.ru_maxrss / 1024;
  if (WIFEXITED(status))
    outcome.status = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    outcome.signal = WTERMSIG(status);
  outcome.out = ReadFile(outPath);
  outcome.err = ReadFile(errPath);
  return outcome;
}

std::string Describe(const Outcome& outcome) {
  std::ostringstream text;
  text << "status " << outcome.status << ", signal " << outcome.signal << ", " << outcome.seconds
       << " s, " << outcome.peakMegabytes << " MB\n--- stderr:\n"
       << outcome.err.substr(0, 2000) << "\n--- stdout (start):\n"
       << outcome.out.substr(0, 500);
  return text.str();
}

// The contract of every run, whatever its input.
void ExpectOrderlyEnd(const Outcome& outcome, bool usage = false) {
  SCOPED_TRACE(Describe(outcome));
  ASSERT_FALSE(outcome.timedOut) << "no end within " << kTimeLimitSeconds << " s";
  ASSERT_EQ(outcome.signal, 0) << "killed by a signal";
  EXPECT_LT(outcome.peakMegabytes, kMemoryLimitMegabytes);
  if (usage) {
    EXPECT_EQ(outcome.status, 1);
    EXPECT_TRUE(outcome.out.empty());
    EXPECT_EQ(outcome.err.find('\n'), std::string::npos);
    return;
  }
  ASSERT_TRUE(outcome.status == 0 || outcome.status == 2);
  // Report lines are whole lines, also when the run stops part way.
  EXPECT_TRUE(outcome.out.empty() || outcome.out.back() == '\n');
  if (outcome.status == 0) {
    EXPECT_TRUE(outcome.err.empty());
    EXPECT_NE(outcome.out.find("\nInitial Coords"), std::string::npos);
  } else {
    ASSERT_GE(outcome.err.size(), 2u);
    EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << "one message line";
    // The memory cap was hit, or a failure without a message of the program's own.
    EXPECT_NE(outcome.err, "Out of memory\n");
    EXPECT_EQ(outcome.err.rfind("Unexpected error", 0), std::string::npos);
  }
}

// Arguments after the file name: plain, with burn-in and cleaning, with each smoothing.
const std::vector<std::vector<std::string>> kRunSettings = {
    {"1990", "Y", "0.1", ","},
    {"1990", "X", "0.25", ";", "3", "2"},
    {"1990", "Y", "0.1", ",", "5", "0", "sma", "3"},
    {"1990", "Y", "0.5", ",", "0", "1", "smm", "4"},
    {"1990", "X", "0.1", ",", "2", "0", "exp", "3"},
};

std::vector<std::string> Arguments(const std::string& file, std::size_t settings = 0) {
  std::vector<std::string> arguments{file};
  const auto& chosen = kRunSettings[settings % kRunSettings.size()];
  arguments.insert(arguments.end(), chosen.begin(), chosen.end());
  return arguments;
}

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  std::size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos)
    text.replace(at, from.size(), to);
  return text;
}

// Prefix lengths of the example: every cut at a line end (after and before the line
// feed), and one position inside every third line.
std::vector<std::size_t> PrefixLengths(const std::string& text) {
  std::vector<std::size_t> lengths{0};
  std::size_t lineStart = 0;
  for (std::size_t at = 0, line = 0; at < text.size(); ++at) {
    if (text[at] != '\n')
      continue;
    lengths.push_back(at);
    lengths.push_back(at + 1);
    std::size_t length = at - lineStart;
    if (line % 3 == 0 && length > 2)
      lengths.push_back(lineStart + 1 + (line * 7919) % (length - 1));
    lineStart = at + 1;
    ++line;
  }
  return lengths;
}

constexpr std::size_t kPrefixChunks = 8;

class ExamplePrefix : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ExamplePrefix, EndsWithTheReportOrOneMessage) {
  Scratch scratch;
  std::string example = Example();
  ASSERT_FALSE(example.empty());
  std::vector<std::size_t> lengths = PrefixLengths(example);
  for (std::size_t i = GetParam(); i < lengths.size(); i += kPrefixChunks) {
    SCOPED_TRACE("prefix of " + std::to_string(lengths[i]) + " bytes");
    std::string file = scratch.Write("prefix.mp", example.substr(0, lengths[i]));
    ExpectOrderlyEnd(RunBinary(scratch, Arguments(file, i)));
    if (HasFatalFailure())
      return;
  }
}

INSTANTIATE_TEST_SUITE_P(Hostile, ExamplePrefix, ::testing::Range<std::size_t>(0, kPrefixChunks));

TEST(HostileFiles, EmptyDirectoryMissingAndRandomBytes) {
  Scratch scratch;
  std::mt19937 random(20240611);
  std::string bytes(64 * 1024, '\0');
  for (char& c : bytes)
    c = static_cast<char>(random());
  std::string randomFile = scratch.Write("random.mp", bytes);
  std::string emptyFile = scratch.Write("empty.mp", "");
  for (std::size_t settings = 0; settings < kRunSettings.size(); ++settings) {
    for (const std::string& file :
         {emptyFile, scratch.Path("").string(), scratch.Path("missing.mp").string(), randomFile}) {
      SCOPED_TRACE(file);
      ExpectOrderlyEnd(RunBinary(scratch, Arguments(file, settings)));
    }
  }
}

TEST(HostileFiles, NulBytesInsideLines) {
  Scratch scratch;
  std::string example = Example();
  std::string nul(1, '\0');
  for (const char* line : {"cell length 2.5", "Pop 3,3069.000", "Migration", "Pop. ALL", "Pop. 2",
                           "4827 4344", "Pop 1,1002"}) {
    std::string text = example;
    std::string target = line;
    std::size_t at = text.find(target);
    ASSERT_NE(at, std::string::npos) << target;
    text.insert(at + target.size() / 2, nul);
    text.insert(at + target.size() + 1, nul + nul);
    SCOPED_TRACE(target);
    std::string file = scratch.Write("nul.mp", text);
    for (std::size_t settings = 0; settings < kRunSettings.size(); ++settings)
      ExpectOrderlyEnd(RunBinary(scratch, Arguments(file, settings)));
  }
}

// One line of 50 MB without a line feed, in each part of the file where a line is split
// into words.
TEST(HostileFiles, FiftyMegabyteLineWithoutLineFeed) {
  Scratch scratch;
  std::string example = Example();
  std::string header = example.substr(0, example.find("Pop 1,"));
  std::string untilFirstBlock = example.substr(0, example.find("Pop. 1\n") + 7);
  struct Case {
    const char* part;
    std::string before;
    std::string pattern;
  };
  for (const Case& row : std::vector<Case>{
           {"header, no keyword", "", "x"},
           {"resolution line", "", "1 2 "},
           {"patch line", "", "Pop 1,2,3,"},
           {"patch part", header + "Pop 1,1,1\n", "a,1,"},
           {"year count", header + "Pop 1,1,1\nMigration\nPop. ALL\n", "1 "},
           {"block header", header + "Pop 1,1,1\nMigration\nPop. ALL\n1\nPop. 1\n", "1 "},
           {"block header words", header + "Pop 1,1,1\nMigration\nPop. ALL\n1\n", "Pop. 1"},
           {"value line", untilFirstBlock, "12 "},
       }) {
    SCOPED_TRACE(row.part);
    std::string text = row.before;
    text.reserve(row.before.size() + kLongLineBytes);
    while (text.size() < row.before.size() + kLongLineBytes)
      text += row.pattern;
    std::string file = scratch.Write("long.mp", text);
    text.clear();
    text.shrink_to_fit();
    ExpectOrderlyEnd(RunBinary(scratch, Arguments(file)));
  }
}

TEST(HostileFiles, MillionLinesAfterPopAllWithoutBlockHeader) {
  Scratch scratch;
  std::string text = "Pop 1,0,0\nMigration\nPop. ALL\n";
  for (int line = 0; line < 1000000; ++line)
    text += "4827 4344\n";
  Outcome outcome = RunBinary(scratch, Arguments(scratch.Write("million.mp", text)));
  ExpectOrderlyEnd(outcome);
  EXPECT_EQ(outcome.err, "MP file ends before the first patch block of its results\n");
}

// Empty lines count as years but hold no population: the year count can be far larger
// than the values that follow it.
TEST(HostileFiles, FiftyMegabytesOfEmptyYearLines) {
  Scratch scratch;
  std::string text = "Pop 1,0,0\nMigration\nPop. ALL\n";
  text.append(kLongLineBytes, '\n');
  text += "Pop. 1\n4827\n";
  Outcome outcome = RunBinary(scratch, Arguments(scratch.Write("empty_years.mp", text)));
  ExpectOrderlyEnd(outcome);
  EXPECT_EQ(outcome.err, "MP file ends inside the results of patch 1\n");
}

TEST(HostileFiles, BlockHeaderFarBeyondThePatches) {
  Scratch scratch;
  std::string example = Example();
  for (const char* header :
       {"Pop. 13", "Pop. 99999999999999999999999", "Pop. -1", "Pop. 0x1p3", "Pop. 2147483648"}) {
    SCOPED_TRACE(header);
    std::string file =
        scratch.Write("beyond.mp", Replace(example, "Pop. 7\n", header + std::string("\n")));
    Outcome outcome = RunBinary(scratch, Arguments(file));
    ExpectOrderlyEnd(outcome);
    EXPECT_EQ(outcome.err, "Patch does not exist\n");
  }
}

// Numbers that strtod reads as infinities, not-a-number or hexadecimal, in every numeric
// field of the file and of the command line.
const char* const kOddNumbers[] = {"1e999", "-1e999", "-nan", "0x1p3", "nan(1)", "1e-400"};

TEST(HostileNumbers, InEveryNumericFieldOfTheFile) {
  Scratch scratch;
  std::string example = Example();
  for (const char* number : kOddNumbers) {
    std::string odd = number;
    struct Field {
      const char* name;
      std::string text;
    };
    for (const Field& field : std::vector<Field>{
             {"resolution", Replace(example, "cell length 2.5 km", "cell length " + odd + " km")},
             {"x", Replace(example, "Pop 2,1938.000,", "Pop 2," + odd + ",")},
             {"y", Replace(example, "Pop 2,1938.000,1057.000,", "Pop 2,1938.000," + odd + ",")},
             {"every x and y",
              [&] {
                std::string text = example;
                for (int patch = 1; patch <= 12; ++patch) {
                  std::string prefix = "Pop " + std::to_string(patch) + ",";
                  std::size_t at = text.find(prefix) + prefix.size();
                  std::size_t end = text.find(',', text.find(',', at) + 1);
                  text.replace(at, end - at, odd + "," + odd);
                }
                return text;
              }()},
             {"year count line", Replace(example, "Pop. ALL\n4827", "Pop. ALL\n" + odd)},
             {"block header", Replace(example, "Pop. 3\n", "Pop. " + odd + "\n")},
             {"population", Replace(example, "Pop. 2\n", "Pop. 2\n" + odd + " ")},
             {"every population of a patch",
              [&] {
                std::string text = example;
                std::size_t at = text.find("Pop. 5\n") + 7;
                std::size_t end = text.find("Pop.", at);
                std::string block;
                for (std::size_t line = at; line < end; line = text.find('\n', line) + 1)
                  block += odd + "\n";
                return text.replace(at, end - at, block);
              }()},
         }) {
      SCOPED_TRACE(odd + " as " + field.name);
      std::string file = scratch.Write("odd.mp", field.text);
      for (std::size_t settings = 0; settings < kRunSettings.size(); ++settings)
        ExpectOrderlyEnd(RunBinary(scratch, Arguments(file, settings)));
    }
  }
}

TEST(HostileNumbers, InEveryNumericArgument) {
  Scratch scratch;
  std::string file = scratch.Write("valley.mp", Example());
  // file startyear axis threshold delimiter burn-in cleaning type window
  const std::vector<std::string> base{file, "1990", "Y", "0.1", ",", "2", "3", "smm", "3"};
  std::vector<std::string> odd(std::begin(kOddNumbers), std::end(kOddNumbers));
  odd.insert(odd.end(), {"2147483647", "-2147483648", "99999999999999999999", "-1", "0"});
  for (std::size_t position : {1, 3, 5, 6, 8}) {
    for (const std::string& number : odd) {
      for (const char* type : {"sma", "exp", "smm"}) {
        std::vector<std::string> arguments = base;
        arguments[position] = number;
        arguments[7] = type;
        SCOPED_TRACE("argument " + std::to_string(position) + " = " + number + ", " + type);
        ExpectOrderlyEnd(RunBinary(scratch, arguments));
      }
    }
  }
}

// A patch's first and last years start at 99999999 and 0 and only widen, so years beyond
// them stretch the year list to reach the bound: up to two billion years.
TEST(HostileNumbers, StartYearsFarOutsideTheYearBounds) {
  Scratch scratch;
  std::string example = Example();
  std::string valley = scratch.Write("valley.mp", example);
  // Patch 12 gets no block and so no years; the bounds of every other patch stay the file's.
  std::string repeated = scratch.Write("repeated.mp", Replace(example, "Pop. 12\n", "Pop. 11\n"));
  for (const std::string& file : {valley, repeated}) {
    for (const char* startYear : {"2147483647", "-2147483648", "100000000", "-30000000"}) {
      SCOPED_TRACE(file + " from " + startYear);
      std::vector<std::string> arguments = Arguments(file);
      arguments[1] = startYear;
      ExpectOrderlyEnd(RunBinary(scratch, arguments));
    }
  }
}

TEST(HostileNumbers, ThresholdsOutsideTheUnitRange) {
  Scratch scratch;
  std::string file = scratch.Write("valley.mp", Example());
  for (const char* threshold : {"5", "0", "-1", "1", "1.0000001"}) {
    for (std::size_t settings = 0; settings < kRunSettings.size(); ++settings) {
      std::vector<std::string> arguments = Arguments(file, settings);
      arguments[3] = threshold;
      SCOPED_TRACE(std::string("threshold ") + threshold);
      Outcome outcome = RunBinary(scratch, arguments);
      ExpectOrderlyEnd(outcome);
      EXPECT_EQ(outcome.status, 0);
    }
  }
}

TEST(HostileArguments, TooFewArgumentsGiveTheUsage) {
  Scratch scratch;
  ExpectOrderlyEnd(RunBinary(scratch, {"\x01\xff", "", "", ""}), true);
  ExpectOrderlyEnd(RunBinary(scratch, {"missing.mp", "1990", "Y", "0.1", ",", "0", "0", "smm"}),
                   true);
}

}  // namespace
