// The floor of the end-to-end benchmark: the least any reader of an MP file must do.
// It reads the whole file in large blocks and parses the first number of every line
// with std::from_chars into one vector, then prints how many numbers it kept and their
// sum (so that nothing can be left out by the optimiser).
#include <charconv>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

int main(int argc, char* argv[]) {
  if (argc != 2) {
    std::fprintf(stderr, "Usage: TundrelFloor file\n");
    return 1;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(argv[1], "rb"), &std::fclose);
  if (!file) {
    std::fprintf(stderr, "Cannot open file: %s\n", argv[1]);
    return 1;
  }
  constexpr std::size_t kBlock = 1 << 20;
  std::vector<char> buffer(2 * kBlock);
  std::vector<double> numbers;
  std::size_t carried = 0;  // bytes of an unfinished line kept from the last block
  for (;;) {
    if (carried + kBlock > buffer.size())
      buffer.resize(carried + kBlock);
    std::size_t read = std::fread(buffer.data() + carried, 1, kBlock, file.get());
    std::size_t filled = carried + read;
    bool atEnd = read == 0;
    const char* line = buffer.data();
    const char* end = buffer.data() + filled;
    for (;;) {
      const char* lineEnd = static_cast<const char*>(std::memchr(line, '\n', end - line));
      if (lineEnd == nullptr) {
        if (!atEnd)
          break;
        lineEnd = end;
      }
      double value;
      if (std::from_chars(line, lineEnd, value).ec == std::errc())
        numbers.push_back(value);
      if (lineEnd == end) {
        line = end;
        break;
      }
      line = lineEnd + 1;
    }
    carried = static_cast<std::size_t>(end - line);
    std::memmove(buffer.data(), line, carried);
    if (atEnd)
      break;
  }
  double sum = 0;
  for (double value : numbers)
    sum += value;
  std::printf("%zu numbers, sum %.17g\n", numbers.size(), sum);
  return 0;
}
