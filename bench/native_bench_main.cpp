// The native benchmark: whole cleaner runs (-C and -T) on in-memory machines of several sizes.
// Each measurement runs in a child process of its own, so that its peak memory is its own.
//
//   kvbench [--repeat <n>] [--limit <seconds>] <maker queues>...
//
// Each size and mode runs at least <n> times (default 3), and small ones again until their runs
// add up to two seconds, so that their medians are not a few milliseconds of noise. A run that
// takes longer than the limit (default 600 s) is stopped.
//
// Prints a Markdown table on standard output (progress on standard error) and exits 1 when a
// run failed, left the machine wrong or ran into the limit.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "bench_machine.h"
#include "cleaner/cleaner_main.h"
#include "cleaner/fake_uninstaller.h"
#include "timed_spooler.h"

namespace kv::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Sample {
  double wallSeconds = 0;
  double cpuSeconds = 0;     // user and system time of the run
  double insideSeconds = 0;  // in the print system
  double fillMb = 0;         // peak before the run: the machine itself
  double peakMb = 0;
  double logMb = 0;
  double listingMb = 0;  // the spooler's answer to the listing of the local queues
};

struct Outcome {
  std::optional<Sample> sample;
  std::string failure;
};

double megabytes(long kilobytes) { return static_cast<double>(kilobytes) / 1024.0; }

rusage ownUsage() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage;
}

double cpuSeconds(const rusage& usage) {
  const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// One run in this (child) process; writes "<wall> <cpu> <inside> <fill KB> <log bytes>" or a
// failure text to `out`.
int runOnce(std::size_t makerQueues, const std::wstring& mode, std::FILE* out) {
  BenchMachine machine(makerQueues);
  const long fillKb = ownUsage().ru_maxrss;
  std::uint32_t listingBytes = 0;
  std::uint32_t listed = 0;
  machine.spooler.enumPrintersW(kPrinterEnumLocal, nullptr, 2, nullptr, 0, &listingBytes, &listed);

  std::string tmpl = (fs::temp_directory_path() / "kvbench.XXXXXX").string();
  if (mkdtemp(tmpl.data()) == nullptr) {
    std::fprintf(out, "FAIL cannot make a temporary directory\n");
    return 1;
  }
  const fs::path dir = tmpl;
  fs::create_directory(dir / "NOVAX");
  setenv("ALLUSERSPROFILE", dir.c_str(), 1);

  TimedSpooler spooler(machine.spooler);
  ScopedPrintSpooler installedSpooler(spooler);
  ScopedInstallerService installedInstaller(machine.installer);
  test::FakeUninstaller uninstaller(machine.installer);
  ScopedProcessRunner installedRunner(uninstaller);
  const std::vector<std::wstring> args = {(dir / "kvcleaner").wstring(), mode, L"-D",
                                          dir.wstring()};

  const double cpuBefore = cpuSeconds(ownUsage());
  const auto start = Clock::now();
  const int exitCode = cleanerMain(args);
  const std::chrono::duration<double> wall = Clock::now() - start;
  const double cpu = cpuSeconds(ownUsage()) - cpuBefore;

  std::uintmax_t logBytes = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().string().ends_with(".KVTOOL_CLEANER.log")) logBytes += entry.file_size();
  }
  fs::remove_all(dir);
  const std::string problems = machine.checkAfterRun(mode == L"-C");
  if (exitCode != 0 || !problems.empty()) {
    std::fprintf(out, "FAIL exit code %d; %s\n", exitCode, problems.c_str());
    return 1;
  }
  const std::chrono::duration<double> inside = spooler.timeInside();
  std::fprintf(out, "%.6f %.6f %.6f %ld %ju %u\n", wall.count(), cpu, inside.count(), fillKb,
               logBytes, listingBytes);
  return 0;
}

Outcome measure(std::size_t makerQueues, const std::wstring& mode, unsigned limitSeconds) {
  int channel[2];
  if (pipe(channel) != 0) return {std::nullopt, "pipe failed"};
  const pid_t child = fork();
  if (child < 0) return {std::nullopt, "fork failed"};
  if (child == 0) {
    close(channel[0]);
    // The cleaner's console lines (the installer stand-in's refusals) are not the figures.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(1);
    alarm(limitSeconds);
    std::FILE* out = fdopen(channel[1], "w");
    const int status = runOnce(makerQueues, mode, out);
    std::fclose(out);
    _exit(status);  // the machine's memory goes with the process
  }
  close(channel[1]);
  std::string text;
  char chunk[256];
  for (ssize_t got; (got = read(channel[0], chunk, sizeof chunk)) > 0;) text.append(chunk, got);
  close(channel[0]);
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
    return {std::nullopt, "did not finish within " + std::to_string(limitSeconds) + " s"};
  }
  Sample sample;
  long fillKb = 0;
  std::uintmax_t logBytes = 0;
  unsigned listingBytes = 0;
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
      std::sscanf(text.c_str(), "%lf %lf %lf %ld %ju %u", &sample.wallSeconds, &sample.cpuSeconds,
                  &sample.insideSeconds, &fillKb, &logBytes, &listingBytes) != 6) {
    return {std::nullopt, text.empty() ? "ended with status " + std::to_string(status) : text};
  }
  sample.fillMb = megabytes(fillKb);
  sample.peakMb = megabytes(usage.ru_maxrss);
  sample.logMb = static_cast<double>(logBytes) / (1024.0 * 1024.0);
  sample.listingMb = static_cast<double>(listingBytes) / (1024.0 * 1024.0);
  return {sample, ""};
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The median of the times and the largest memory figures of the repeats.
Sample summarize(const std::vector<Sample>& samples) {
  std::vector<double> wall;
  std::vector<double> cpu;
  std::vector<double> inside;
  Sample summary;
  for (const Sample& s : samples) {
    wall.push_back(s.wallSeconds);
    cpu.push_back(s.cpuSeconds);
    inside.push_back(s.insideSeconds);
    summary.fillMb = std::max(summary.fillMb, s.fillMb);
    summary.peakMb = std::max(summary.peakMb, s.peakMb);
    summary.logMb = std::max(summary.logMb, s.logMb);
    summary.listingMb = std::max(summary.listingMb, s.listingMb);
  }
  summary.wallSeconds = median(wall);
  summary.cpuSeconds = median(cpu);
  summary.insideSeconds = median(inside);
  return summary;
}

// 100000 as "100,000".
std::string grouped(std::size_t number) {
  const std::string digits = std::to_string(number);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) text.push_back(',');
    text.push_back(digits[i]);
  }
  return text;
}

struct Row {
  std::size_t makerQueues;
  std::string mode;
  std::size_t runs = 0;
  std::optional<Sample> sample;
  std::string failure;
  double perQueueUs() const { return sample->wallSeconds * 1e6 / (2.0 * makerQueues); }
  double cpuPerQueueUs() const { return sample->cpuSeconds * 1e6 / (2.0 * makerQueues); }
  // The stand-in's share of the wall time, and the CPU time less that share: on a loaded machine
  // both halves of a run wait alike, so the share holds for the CPU time too.
  double insideShare() const { return sample->insideSeconds / sample->wallSeconds; }
  double ownCpuPerQueueUs() const { return cpuPerQueueUs() * (1.0 - insideShare()); }
};

void printTable(const std::vector<Row>& rows) {
  std::printf(
      "| maker queues | queues in all | run | runs | wall s | wall µs per queue | CPU µs per "
      "queue | in the stand-in | cleaner's CPU µs per queue | peak MB | machine MB | cleaner's "
      "MB | queue listing MB | detail log MB |\n"
      "|---:|---:|:---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
  for (const Row& row : rows) {
    std::printf("| %s | %s | %s | %zu |", grouped(row.makerQueues).c_str(),
                grouped(2 * row.makerQueues).c_str(), row.mode.c_str(), row.runs);
    if (!row.sample) {
      std::printf(" %s | | | | | | | | | |\n", row.failure.c_str());
      continue;
    }
    const Sample& s = *row.sample;
    std::printf(" %.2f | %.1f | %.1f | %.0f%% | %.1f | %.1f | %.1f | %.1f | %.1f | %.1f |\n",
                s.wallSeconds, row.perQueueUs(), row.cpuPerQueueUs(), 100 * row.insideShare(),
                row.ownCpuPerQueueUs(), s.peakMb, s.fillMb, s.peakMb - s.fillMb, s.listingMb,
                s.logMb);
  }
}

// Time per queue at the largest size against the smallest, and the peak at the largest, with the
// limits the cleaner is held to: nothing may grow faster than the machine.
constexpr double kMostTimeRatio = 1.5;
constexpr double kMostPeakMb = 64;

void printRatios(const std::vector<Row>& rows, std::size_t smallest, std::size_t largest) {
  std::printf("\n");
  for (const char* mode : {"-C", "-T"}) {
    const Row* small = nullptr;
    const Row* large = nullptr;
    for (const Row& row : rows) {
      if (row.mode != mode || !row.sample) continue;
      if (row.makerQueues == smallest) small = &row;
      if (row.makerQueues == largest) large = &row;
    }
    if (small == nullptr || large == nullptr || small == large) continue;
    const double cpuRatio = large->cpuPerQueueUs() / small->cpuPerQueueUs();
    std::printf(
        "- `%s`: time per queue at %s maker queues / at %s: %.2fx (wall), %.2fx (CPU), %.2fx "
        "(cleaner's CPU), %s; peak memory at %s: %.1f MB (machine %.1f MB, cleaner %.1f MB), "
        "%s\n",
        mode, grouped(largest).c_str(), grouped(smallest).c_str(),
        large->perQueueUs() / small->perQueueUs(), cpuRatio,
        large->ownCpuPerQueueUs() / small->ownCpuPerQueueUs(),
        cpuRatio <= kMostTimeRatio ? "CPU within 1.5x: met" : "CPU within 1.5x: NOT met",
        grouped(largest).c_str(), large->sample->peakMb, large->sample->fillMb,
        large->sample->peakMb - large->sample->fillMb,
        large->sample->peakMb < kMostPeakMb ? "under 64 MB: met" : "under 64 MB: NOT met");
  }
}

constexpr double kEnoughSeconds = 2.0;
constexpr std::size_t kMostRuns = 25;

int usage() {
  std::fprintf(stderr, "usage: kvbench [--repeat <n>] [--limit <seconds>] <maker queues>...\n");
  return 2;
}

}  // namespace
}  // namespace kv::bench

int main(int argc, char* argv[]) {
  using namespace kv::bench;
  int repeat = 3;
  unsigned limit = 600;
  std::vector<std::size_t> sizes;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if ((arg == "--repeat" || arg == "--limit") && i + 1 < argc) {
      const int value = std::atoi(argv[++i]);
      if (value <= 0) return usage();
      if (arg == "--repeat")
        repeat = value;
      else
        limit = static_cast<unsigned>(value);
    } else if (!arg.empty() && arg.find_first_not_of("0123456789") == std::string::npos) {
      sizes.push_back(std::stoul(arg));
    } else {
      return usage();
    }
  }
  if (sizes.empty()) return usage();

  std::vector<Row> rows;
  bool failed = false;
  for (const std::size_t size : sizes) {
    for (const std::wstring mode : {L"-C", L"-T"}) {
      const std::string modeText(mode.begin(), mode.end());
      std::vector<Sample> samples;
      Row row{size, modeText, 0, std::nullopt, ""};
      double measured = 0;
      while (row.failure.empty() && (row.runs < static_cast<std::size_t>(repeat) ||
                                     (measured < kEnoughSeconds && row.runs < kMostRuns))) {
        ++row.runs;
        std::fprintf(stderr, "kvbench: %zu maker queues, %s, run %zu\n", size, modeText.c_str(),
                     row.runs);
        const Outcome outcome = measure(size, mode, limit);
        if (outcome.sample) {
          samples.push_back(*outcome.sample);
          measured += outcome.sample->wallSeconds;
        } else {
          row.failure = outcome.failure;
        }
      }
      if (row.failure.empty()) row.sample = summarize(samples);
      failed = failed || !row.failure.empty();
      rows.push_back(row);
    }
  }
  printTable(rows);
  printRatios(rows, *std::min_element(sizes.begin(), sizes.end()),
              *std::max_element(sizes.begin(), sizes.end()));
  return failed ? 1 : 0;
}
