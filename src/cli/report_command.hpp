// zunkaro-report: the report of each log given, on standard output.
#pragma once

#include <cstdio>
#include <span>

#include "cli/parse_args.hpp"

namespace zunkaro {

// Exit statuses of the command.
inline constexpr int kExitReport = 0;      // every log gave its report
inline constexpr int kExitNoMessages = 1;  // a log held no message
inline constexpr int kExitFailure = 2;     // a log or the output failed, or the usage is wrong

// Runs the command on `args` (without the program name), writing reports to
// `out` and errors to `err`; returns the exit status, the worst of all logs.
[[nodiscard]] int RunReportCommand(std::span<const char* const> args, std::FILE* out,
                                   std::FILE* err);

// Runs the command as `options` ask: the reports of the logs on `out`,
// errors on `err`; returns the exit status.
[[nodiscard]] int RunReport(const Options& options, std::FILE* out, std::FILE* err);

}  // namespace zunkaro
