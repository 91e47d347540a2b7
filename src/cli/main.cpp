#include <malloc.h>

#include <cstdio>
#include <exception>
#include <new>
#include <span>

#include "cli/report_command.hpp"

int main(int argc, char** argv) {
  // A run over many logs makes and frees the same buffers once per log, on
  // every thread. Kept in the heap instead of mapped and unmapped each time,
  // they cost no page faults after the first log, and the threads do not
  // queue for the address space.
  constexpr int kMapAbove = 8 << 20;
  constexpr int kTrimAbove = 64 << 20;
  (void)mallopt(M_MMAP_THRESHOLD, kMapAbove);
  (void)mallopt(M_TRIM_THRESHOLD, kTrimAbove);
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
