// The benchmark: how fast and how small the analysis is, each figure
// measured side by side with what it is compared to, in one run.
//
//   zunkaro-bench [--quick] [--keep DIR] [--no-long] [--no-archive]
//   zunkaro-bench generate SHAPE SEED FILE
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/analysis.hpp"
#include "log_generator.hpp"
#include "reference/literal_analysis.hpp"
#include "support/log_builder.hpp"
#include "tally/write_report.hpp"

extern char** environ;

namespace zunkaro::bench {
namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  int Runs = 9;
  int ReferenceRuns = 3;
  bool Long = true;
  bool Archive = true;
  int ArchiveLogs = 10000;  // of 100 KB each: 1 GB
  std::filesystem::path Dir;
};

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

double Time(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return Seconds(Clock::now() - start);
}

struct ProcessRun {
  double Seconds = 0;
  double CpuSeconds = 0;  // user and system time of the process
  long PeakKiB = 0;
  int Status = -1;
};

// Runs a program with its output to /dev/null; its time, and its peak
// memory as the kernel counts it (which, for a child spawned straight from a
// large process, includes that process's memory: see PeakMemoryOf).
ProcessRun RunProcess(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  const auto start = Clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot start " + args[0]);
  }
  posix_spawn_file_actions_destroy(&actions);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  ProcessRun run;
  run.Seconds = Seconds(Clock::now() - start);
  run.CpuSeconds = Seconds(std::chrono::seconds(usage.ru_utime.tv_sec) +
                           std::chrono::microseconds(usage.ru_utime.tv_usec) +
                           std::chrono::seconds(usage.ru_stime.tv_sec) +
                           std::chrono::microseconds(usage.ru_stime.tv_usec));
  run.PeakKiB = usage.ru_maxrss;
  run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

std::string SelfPath() {
  return std::filesystem::read_symlink("/proc/self/exe").string();
}

// The peak resident memory of a program alone: spawned from a fresh, small
// copy of this program, so that none of this process's memory is counted.
long PeakMemoryOf(const std::vector<std::string>& args) {
  std::vector<std::string> viaFreshProcess{SelfPath(), "peak-memory"};
  viaFreshProcess.insert(viaFreshProcess.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (const std::string& a : viaFreshProcess) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot start " + viaFreshProcess[0]);
  }
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  char text[64] = {};
  const ssize_t got = read(pipeFds[0], text, sizeof text - 1);
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (got <= 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    throw std::runtime_error("peak memory run failed");
  }
  return std::stol(text);
}

// The whole analysis of a file, fast, into report lines.
std::vector<std::string> FastReport(Analysis& analysis, const std::filesystem::path& path) {
  StringLines lines;
  (void)analysis.Analyse(path, lines);
  return lines.lines();
}

// The same with the literal reference.
std::vector<std::string> LiteralReport(AnalysisState& state, const std::filesystem::path& path) {
  if (!reference::ExtractMessages(path, state)) throw std::runtime_error("reference failed");
  reference::TallyUsers(state);
  reference::RankUsers(state);
  StringLines lines;
  WriteReport(state, lines);
  return lines.lines();
}

std::string Machine() {
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string line;
  while (std::getline(cpuinfo, line)) {
    if (line.rfind("model name", 0) == 0) {
      return line.substr(line.find(':') + 2) + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) +
             " cores";
    }
  }
  return "unknown machine";
}

class Bench {
 public:
  explicit Bench(Options options) : options_(std::move(options)) {}

  int Run() {
    std::printf("Zunkaro benchmark on %s\n", Machine().c_str());
    std::printf("medians of %d runs (literal reference: %d)\n\n", options_.Runs,
                options_.ReferenceRuns);
    for (const LogShape shape : {LogShape::kTypical, LogShape::kWorstCase, LogShape::kTieHeavy}) {
      MeasureShape(shape);
    }
    if (options_.Long) {
      MeasureLong();
      MeasureOneLongLine();
    }
    std::printf("\n%s\n", failures_ == 0 ? "all targets met" : "SOME TARGETS MISSED");
    return failures_ == 0 ? 0 : 1;
  }

 private:
  std::filesystem::path Generate(LogShape shape) {
    const std::filesystem::path path = options_.Dir / (std::string(ShapeName(shape)) + ".log");
    const auto start = Clock::now();
    const GeneratedLog log = GenerateLog(shape, 1, path);
    std::printf("%-10s %6.1f MB, %d messages (generated in %.1f s)\n", ShapeName(shape).data(),
                static_cast<double>(log.Bytes) / 1e6, log.Messages, Seconds(Clock::now() - start));
    return path;
  }

  void Target(const char* what, double value, const char* unit, bool met) {
    std::printf("  %-52s %10.2f%s  %s\n", what, value, unit, met ? "ok" : "MISSED");
    if (!met) ++failures_;
  }

  void MeasureShape(LogShape shape) {
    const std::filesystem::path path = Generate(shape);
    auto analysis = std::make_unique<Analysis>();
    auto literal = std::make_unique<AnalysisState>();

    // In-process: the fast analysis against the literal one, and the same report.
    std::vector<double> fast;
    std::vector<double> slow;
    std::vector<std::string> fastLines;
    std::vector<std::string> literalLines;
    for (int r = 0; r < options_.Runs; ++r) {
      fast.push_back(Time([&] { fastLines = FastReport(*analysis, path); }));
    }
    for (int r = 0; r < options_.ReferenceRuns; ++r) {
      slow.push_back(Time([&] { literalLines = LiteralReport(*literal, path); }));
    }
    if (fastLines != literalLines) {
      std::printf("  REPORTS DIFFER from the literal reference\n");
      ++failures_;
    }
    std::printf("  analysis in process: %.4f s, literal reference %.3f s\n", Median(fast),
                Median(slow));
    const double speedup = Median(slow) / Median(fast);
    if (shape == LogShape::kWorstCase) {
      Target("speed-up over the literal reference (>= 100)", speedup, "x", speedup >= 100);
    } else {
      std::printf("  %-52s %10.2fx\n", "speed-up over the literal reference", speedup);
    }

    // Whole processes: zunkaro-report --sjis against wc -l on the same file.
    std::vector<double> report;
    std::vector<double> wc;
    (void)RunProcess({"wc", "-l", path.string()});  // warm the page cache
    // CPU time, A B A B: the machine is shared, and wall time counts the
    // other users' work too.
    for (int r = 0; r < options_.Runs; ++r) {
      wc.push_back(RunProcess({"wc", "-l", path.string()}).CpuSeconds);
      const ProcessRun run = RunProcess({ZUNKARO_REPORT_PROGRAM, "--sjis", path.string()});
      if (run.Status != 0) throw std::runtime_error("zunkaro-report failed");
      report.push_back(run.CpuSeconds);
    }
    const double ratio = Median(report) / Median(wc);
    if (shape == LogShape::kWorstCase) {
      MeasureWindow(path);
    }
    std::printf("  CPU time: zunkaro-report --sjis %.4f s, wc -l %.4f s\n", Median(report),
                Median(wc));
    if (shape == LogShape::kTieHeavy) {
      std::printf("  %-52s %10.2fx\n", "zunkaro-report / wc -l", ratio);
    } else if (shape == LogShape::kWorstCase) {
      Target("CPU zunkaro-report / wc -l (<= 2.5)", ratio, "x", ratio <= 2.5);
    } else {
      Target("CPU zunkaro-report / wc -l (<= 1.5)", ratio, "x", ratio <= 1.5);
    }
    if (shape == LogShape::kTypical && options_.Archive) {
      MeasureArchive(path);
    }
    std::filesystem::remove(path);
  }

  // The window's open-log command, view filled, in a process of its own.
  void MeasureWindow(const std::filesystem::path& path) {
#if defined(ZUNKARO_WINDOW_BENCH)
    const std::string command = std::string(ZUNKARO_WINDOW_BENCH) + " '" + path.string() + "' " +
                                std::to_string(options_.Runs);
    std::FILE* pipe = popen(command.c_str(), "r");
    double seconds = -1;
    if (pipe == nullptr || std::fscanf(pipe, "%lf", &seconds) != 1 || pclose(pipe) != 0) {
      throw std::runtime_error("zunkaro-window-bench failed");
    }
    Target("window: open-log command, view filled (< 1 s)", seconds, " s", seconds < 1.0);
#else
    (void)path;
    std::printf("  (the window is not built: its open-log command is not measured)\n");
#endif
  }

  // An archive: logs of 100 KB cut from a typical log at line ends, as many
  // as asked (cycling through the pieces), on one thread and on two; the
  // whole of it merged with -j2 against wc -l on the same files; and the
  // peak memory of --merge over 2 million messages (the typical log given
  // 31 times).
  void MeasureArchive(const std::filesystem::path& typical) {
    const std::filesystem::path dir = options_.Dir / "archive";
    std::filesystem::create_directories(dir);
    std::vector<std::string> pieces;
    {
      const std::string bytes = testing::ReadFileBytes(typical);
      constexpr std::size_t kPiece = 100'000;
      for (std::size_t start = 0; start < bytes.size();) {
        std::size_t end = bytes.find('\n', std::min(bytes.size(), start + kPiece));
        end = end == std::string::npos ? bytes.size() : end + 1;
        pieces.push_back(bytes.substr(start, end - start));
        start = end;
      }
    }
    std::vector<std::string> logs;
    std::uint64_t total = 0;
    for (int i = 0; i < options_.ArchiveLogs; ++i) {
      const std::string& piece = pieces[static_cast<std::size_t>(i) % pieces.size()];
      logs.push_back((dir / ("log" + std::to_string(i) + ".log")).string());
      std::ofstream(logs.back(), std::ios::binary).write(piece.data(),
                                                         static_cast<std::streamsize>(piece.size()));
      total += piece.size();
    }
    std::printf("archive    %d logs, %.1f MB in all\n", options_.ArchiveLogs,
                static_cast<double>(total) / 1e6);
    const auto command = [&logs](std::vector<std::string> head) {
      head.insert(head.end(), logs.begin(), logs.end());
      return head;
    };
    const std::vector<std::string> one = command({ZUNKARO_REPORT_PROGRAM, "--sjis", "-j1"});
    const std::vector<std::string> two = command({ZUNKARO_REPORT_PROGRAM, "--sjis", "-j2"});
    const std::vector<std::string> merge =
        command({ZUNKARO_REPORT_PROGRAM, "--sjis", "--merge", "-j2"});
    const std::vector<std::string> wc = command({"wc", "-l"});
    (void)RunProcess(wc);  // warm the page cache
    std::vector<double> oneThread;
    std::vector<double> twoThreads;
    std::vector<double> merged;
    std::vector<double> counted;
    const int runs = std::max(3, options_.Runs / 2);
    for (int r = 0; r < runs; ++r) {
      oneThread.push_back(RunProcess(one).Seconds);
      twoThreads.push_back(RunProcess(two).Seconds);
      counted.push_back(RunProcess(wc).Seconds);
      merged.push_back(RunProcess(merge).Seconds);
    }
    std::printf("  wall time: -j1 %.3f s, -j2 %.3f s; --merge -j2 %.3f s, wc -l %.3f s\n",
                Median(oneThread), Median(twoThreads), Median(merged), Median(counted));
    const double speedup = Median(oneThread) / Median(twoThreads);
    Target("per-log reports, -j1 / -j2 wall time (>= 1.7)", speedup, "x", speedup >= 1.7);
    const double mergeRatio = Median(merged) / Median(counted);
    Target("--merge -j2 / wc -l wall time (<= 2)", mergeRatio, "x", mergeRatio <= 2);
    std::filesystem::remove_all(dir);

    std::vector<std::string> twoMillion{ZUNKARO_REPORT_PROGRAM, "--sjis", "--merge"};
    for (int i = 0; i < 31; ++i) {
      twoMillion.push_back(typical.string());
    }
    const long peak = PeakMemoryOf(twoMillion);
    Target("peak memory of --merge, 2015000 messages (< 128 MiB)",
           static_cast<double>(peak) / 1024, " MiB", peak < 128 * 1024);
  }

  void MeasureLong() {
    const std::filesystem::path path = Generate(LogShape::kLong);
    (void)RunProcess({"wc", "-l", path.string()});
    std::vector<double> report;
    std::vector<double> wc;
    const int runs = std::max(1, options_.Runs / 2);
    for (int r = 0; r < runs; ++r) {
      wc.push_back(RunProcess({"wc", "-l", path.string()}).Seconds);
      const ProcessRun run = RunProcess({ZUNKARO_REPORT_PROGRAM, "--sjis", path.string()});
      if (run.Status != 0) throw std::runtime_error("zunkaro-report failed");
      report.push_back(run.Seconds);
    }
    const long peak = PeakMemoryOf({ZUNKARO_REPORT_PROGRAM, "--sjis", path.string()});
    std::filesystem::remove(path);
    std::printf("  zunkaro-report --sjis %.3f s, wc -l %.3f s (%.2fx)\n", Median(report), Median(wc),
                Median(report) / Median(wc));
    Target("peak resident memory of zunkaro-report (< 64 MiB)", static_cast<double>(peak) / 1024,
           " MiB", peak < 64 * 1024);
  }

  // A file of 1 GiB in one line, without a line feed: no message, in the
  // memory of any other log.
  void MeasureOneLongLine() {
    const std::filesystem::path path = options_.Dir / "one-line.log";
    {
      std::ofstream file(path, std::ios::binary);
      const std::string block(std::size_t{1} << 20, 'x');
      for (int i = 0; i < 1024 && file; ++i) file.write(block.data(), static_cast<std::streamsize>(block.size()));
      if (!file) throw std::runtime_error(path.string() + ": cannot write");
    }
    std::printf("one line  1073.7 MB without a line feed\n");
    const ProcessRun run = RunProcess({ZUNKARO_REPORT_PROGRAM, "--sjis", path.string()});
    const long peak = PeakMemoryOf({ZUNKARO_REPORT_PROGRAM, "--sjis", path.string()});
    std::filesystem::remove(path);
    std::printf("  zunkaro-report --sjis %.3f s, exit status %d (no message)\n", run.Seconds,
                run.Status);
    if (run.Status != 1) ++failures_;
    Target("peak resident memory of zunkaro-report (< 64 MiB)", static_cast<double>(peak) / 1024,
           " MiB", peak < 64 * 1024);
  }

  Options options_;
  int failures_ = 0;
};

int Usage() {
  std::fputs(
      "Usage: zunkaro-bench [--quick] [--no-long] [--no-archive] [--dir DIR]\n"
      "       zunkaro-bench generate typical|worst-case|tie-heavy|long SEED FILE\n"
      "       zunkaro-bench peak-memory PROGRAM [ARG...]\n",
      stderr);
  return 2;
}

int Main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (!args.empty() && args[0] == "peak-memory") {
    // Runs the rest as a program and prints its peak resident memory in KiB
    // and its exit status.
    const ProcessRun run = RunProcess({args.begin() + 1, args.end()});
    std::printf("%ld %d\n", run.PeakKiB, run.Status);
    return 0;
  }
  if (!args.empty() && args[0] == "generate") {
    if (args.size() != 4) return Usage();
    for (const LogShape shape :
         {LogShape::kTypical, LogShape::kWorstCase, LogShape::kTieHeavy, LogShape::kLong}) {
      if (args[1] == ShapeName(shape)) {
        const GeneratedLog log =
            GenerateLog(shape, static_cast<std::uint32_t>(std::stoul(args[2])), args[3]);
        std::printf("%s: %llu bytes, %d messages\n", args[3].c_str(),
                    static_cast<unsigned long long>(log.Bytes), log.Messages);
        return 0;
      }
    }
    return Usage();
  }
  Options options;
  options.Dir = std::filesystem::temp_directory_path();
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--quick") {
      options.Runs = 3;
      options.ReferenceRuns = 1;
      options.ArchiveLogs = 1000;
    } else if (args[i] == "--no-long") {
      options.Long = false;
    } else if (args[i] == "--no-archive") {
      options.Archive = false;
    } else if (args[i] == "--dir" && i + 1 < args.size()) {
      options.Dir = args[++i];
    } else {
      return Usage();
    }
  }
  std::string pattern = (options.Dir / "zunkaro-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) {
    std::fprintf(stderr, "zunkaro-bench: %s: %s\n", pattern.c_str(), std::strerror(errno));
    return 2;
  }
  options.Dir = pattern;
  Bench bench(options);
  int status = 2;
  try {
    status = bench.Run();
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zunkaro-bench: %s\n", error.what());
  }
  std::filesystem::remove_all(options.Dir);
  return status;
}

}  // namespace
}  // namespace zunkaro::bench

int main(int argc, char** argv) { return zunkaro::bench::Main(argc, argv); }
