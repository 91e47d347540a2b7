// Runs a fuzz target over saved inputs, for builds without libFuzzer: every
// file named, and every file in every directory named. Options (words that
// begin with "-", as libFuzzer takes them) are passed over.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void Run(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t runs = 0;
  for (int i = 1; i < argc; ++i) {
    if (argv[i][0] == '-') continue;
    const std::filesystem::path path = std::filesystem::absolute(argv[i]);
    if (std::filesystem::is_directory(path)) {
      for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (entry.is_regular_file()) {
          Run(entry.path());
          ++runs;
        }
      }
    } else {
      Run(path);
      ++runs;
    }
  }
  std::printf("replayed %zu inputs\n", runs);
  return runs == 0 ? 1 : 0;
}
