#include "support/random_log.hpp"

#include <random>
#include <vector>

#include "support/log_builder.hpp"

namespace zunkaro::testing {

std::string RandomLog(std::uint32_t seed, int lines) {
  std::mt19937 random(seed);
  const auto pick = [&random](int n) {
    return std::uniform_int_distribution<int>(0, n - 1)(random);
  };
  static const std::vector<std::string> kIds = {"AAA00001", "BBB00002", "CCC00003", "ABC*****",
                                                "********", "ZZZ99999", "A*C12*45"};
  static const std::vector<std::string> kTexts = {
      Sjis("こんにちは。"), Sjis("発言者削除"), "See you!", Sjis("ｱｲｳ　ｴｵ"), "", " \b",
      std::string("a\0b", 3), "\x82", "\x81\x40\x81\x40", "\r", "x\r\ny"};
  LogBuilder log;
  for (int i = 0; i < lines; ++i) {
    const int kind = pick(20);
    const std::string& id = kIds[static_cast<std::size_t>(pick(static_cast<int>(kIds.size())))];
    const std::string& text = kTexts[static_cast<std::size_t>(pick(static_cast<int>(kTexts.size())))];
    if (kind < 3) {
      log.ShortHeader(pick(1000), id, pick(2) ? "Taro" : "たろう", pick(3) ? "Hi" : "発言者削除です",
                      {pick(100), pick(13), pick(32), pick(24), pick(60)});
    } else if (kind < 5) {
      log.LongHeader(pick(100000), id, "Hanako", pick(4) ? "発言者削除" : "Re: 話",
                     {pick(100), 1, 2, 3, 4});
    } else if (kind < 7) {
      log.Separator();
    } else if (kind == 7) {
      // A line longer than a read, its parts cut anywhere.
      log.Raw(std::string(static_cast<std::size_t>(200 + pick(400)), pick(2) ? 'x' : '\x88'));
      log.Raw(text + "\n");
    } else if (kind == 8) {
      log.Raw(std::string(1, static_cast<char>(pick(256))));
    } else if (kind == 9 && pick(10) == 0) {
      log.Raw("\x1a");
    } else {
      log.Raw(text + std::to_string(pick(1000)) + (pick(8) ? "\n" : "\r\n"));
    }
  }
  return log.Bytes();
}

}  // namespace zunkaro::testing
