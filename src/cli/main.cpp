#include <cstdio>
#include <exception>
#include <new>
#include <span>

#include "cli/report_command.hpp"

int main(int argc, char** argv) {
  try {
    const std::span<const char* const> args(argv + 1, static_cast<std::size_t>(argc - 1));
    return zunkaro::RunReportCommand(args, stdout, stderr);
  } catch (const std::bad_alloc&) {
    std::fputs("zunkaro-report: out of memory\n", stderr);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "zunkaro-report: %s\n", error.what());
  }
  return zunkaro::kExitFailure;
}
