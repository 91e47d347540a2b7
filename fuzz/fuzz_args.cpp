// The command's argument handling: any words, some of them logs that exist,
// give an exit status the command promises and never a crash.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/report_command.hpp"

namespace {

// A working directory with two logs, "a.log" (messages) and "e" (none).
void Prepare() {
  static bool ready = false;
  if (ready) return;
  ready = true;
  std::string dir = (std::filesystem::temp_directory_path() / "zunkaro-fuzz-args-XXXXXX").string();
  if (mkdtemp(dir.data()) == nullptr || chdir(dir.c_str()) != 0) std::abort();
  std::ofstream("a.log") << "012/015   ABC00001  Taro              Hello\n"
                            "Date : 97/03/15 21:05\nbody\n \b\n";
  std::ofstream("e") << "nothing\n";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Prepare();
  static std::FILE* const sink = std::fopen("/dev/null", "w");
  // Words between NUL bytes, at most a few of them.
  std::vector<std::string> words(1);
  for (std::size_t i = 0; i < size && words.size() <= 8; ++i) {
    if (data[i] == 0) {
      words.emplace_back();
    } else {
      words.back() += static_cast<char>(data[i]);
    }
  }
  std::vector<const char*> args;
  for (const std::string& w : words) args.push_back(w.c_str());
  const int status = zunkaro::RunReportCommand(args, sink, sink);
  if (status != zunkaro::kExitReport && status != zunkaro::kExitNoMessages &&
      status != zunkaro::kExitFailure) {
    std::abort();
  }
  return 0;
}
