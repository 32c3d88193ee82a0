// The detail log alone under Wine: what the cleaner's lines cost when each piece is flushed at
// once, measured inside one process so that no process start or spooler call blurs it.
//
//   kvlogbench.exe <log file> <lines> <repeats>
//
// Writes <lines> lines of five pieces each ("Info: ", "Deleting port ", a port name, "...", the
// line end), as the port phase does, through the cleaner's Logger into a new file, <repeats>
// times; prints the median milliseconds of one pass and the microseconds per piece.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "log/logger.h"

int wmain(int argc, wchar_t* argv[]) {
  if (argc != 4) return 2;
  const std::wstring path = argv[1];
  const long lines = std::wcstol(argv[2], nullptr, 10);
  const long repeats = std::wcstol(argv[3], nullptr, 10);
  if (lines <= 0 || repeats <= 0) return 2;

  std::vector<double> passes;
  for (long r = 0; r < repeats; ++r) {
    kv::Logger log(kv::LogLevel::All);
    if (!log.open(path)) return 1;
    const auto start = std::chrono::steady_clock::now();
    for (long i = 0; i < lines; ++i) {
      log.info() << L"Deleting port " << L"DLM_" + std::to_wstring(i) << L"..." << kv::endLine;
    }
    const std::chrono::duration<double, std::milli> pass = std::chrono::steady_clock::now() - start;
    log.close();
    passes.push_back(pass.count());
  }
  std::sort(passes.begin(), passes.end());
  const double median = passes[passes.size() / 2];
  std::printf("%.1f %.2f\n", median, median * 1000.0 / (5.0 * static_cast<double>(lines)));
  return 0;
}
