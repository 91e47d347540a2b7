#include "log_generator.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/log_builder.hpp"

namespace zunkaro::bench {
namespace {

using testing::Date;
using testing::LogBuilder;
using testing::Sjis;
using testing::SjisText;

constexpr std::int32_t kMessages = 65000;

struct Pools {
  std::vector<std::string> Handles;
  std::vector<std::string> Titles;
  std::vector<std::string> Lines;  // body lines of various lengths
};

const Pools& TextPools() {
  static const Pools pools = [] {
    Pools p;
    for (const char* h : {"たぬき", "みやざき", "ﾊﾝｸﾞﾘｰ", "さくら", "あべ", "NEKO-san", "ゆきだるま",
                          "Kappa", "きつね", "ＳＹＳＴＥＭ", "ぽち", "たろう"}) {
      p.Handles.push_back(Sjis(h));
    }
    for (const char* t : {"はじめまして", "Re: はじめまして", "ﾓﾃﾞﾑの話", "年末のオフ会",
                          "Re: 年末のオフ会", "発言者削除", "ログ整理", "質問です"}) {
      p.Titles.push_back(Sjis(t));
    }
    for (const char* l : {"雑談会議室に初めて書き込みます。", "よろしくお願いします。",
                          "２８．８ｋのﾓﾃﾞﾑを買いました。速いです。", "See you!",
                          "テレホーダイの時間が待ち遠しい。今日は早く帰れそうです。",
                          "参加します！　場所は駅前の喫茶店ですね。",
                          "ＰＣ－９８からつないでいます。ログを取るのに時間がかかります。",
                          "ok"}) {
      p.Lines.push_back(Sjis(l));
    }
    // A long line of about 200 bytes, for long bodies.
    std::string longLine;
    while (longLine.size() < 190) longLine += Sjis("あいうえおかきくけこ");
    p.Lines.push_back(longLine);
    return p;
  }();
  return pools;
}

class LogFile {
 public:
  explicit LogFile(const std::filesystem::path& path)
      : path_(path), file_(std::fopen(path.c_str(), "wb")) {
    if (file_ == nullptr) Fail();
    std::setvbuf(file_, nullptr, _IOFBF, std::size_t{1} << 20);
  }
  ~LogFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;

  void Write(LogBuilder& log) {
    const std::string& bytes = log.Bytes();
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) Fail();
    written_ += bytes.size();
    log.Clear();
  }

  std::uint64_t Close() {
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fclose(file) != 0) Fail();
    return written_;
  }

 private:
  [[noreturn]] void Fail() const {
    throw std::runtime_error(path_.string() + ": " + std::strerror(errno));
  }

  std::filesystem::path path_;
  std::FILE* file_;
  std::uint64_t written_ = 0;
};

std::string UserId(std::uint32_t n) {
  // Three letters and five digits, from a number below 26^3 * 10^5.
  char id[9];
  std::snprintf(id, sizeof id, "%c%c%c%05u", 'A' + static_cast<int>(n / 100000 / 676 % 26),
                'A' + static_cast<int>(n / 100000 / 26 % 26), 'A' + static_cast<int>(n / 100000 % 26),
                n % 100000);
  return id;
}

}  // namespace

std::string_view ShapeName(LogShape shape) noexcept {
  switch (shape) {
    case LogShape::kTypical:
      return "typical";
    case LogShape::kWorstCase:
      return "worst-case";
    case LogShape::kTieHeavy:
      return "tie-heavy";
    case LogShape::kLong:
      return "long";
  }
  return "?";
}

GeneratedLog GenerateLog(LogShape shape, std::uint32_t seed, const std::filesystem::path& path) {
  const Pools& pools = TextPools();
  std::mt19937 random(seed);
  const auto pick = [&random](std::size_t n) {
    return static_cast<std::size_t>(std::uniform_int_distribution<std::size_t>(0, n - 1)(random));
  };
  // Users for the typical log: a few talk a lot, most a little.
  std::vector<std::uint32_t> people(800);
  for (auto& p : people) p = static_cast<std::uint32_t>(pick(26 * 26 * 26 * 100000u));

  LogFile file(path);
  LogBuilder log;
  log.CrLf();
  log.Body(SjisText{Sjis("＊＊＊ ベンチマーク用ログ ＊＊＊")});
  for (std::int32_t i = 0; i < kMessages; ++i) {
    std::string id;
    std::size_t lines = 0;
    switch (shape) {
      case LogShape::kTypical: {
        const std::size_t who = std::min(pick(people.size()), pick(people.size()));
        id = UserId(people[who]);
        lines = 1 + pick(6);
        break;
      }
      case LogShape::kWorstCase:
        id = UserId(static_cast<std::uint32_t>(i) * 7919u);
        lines = 1 + pick(6);
        break;
      case LogShape::kTieHeavy:
        // 13000 users of 5 posts each, all with bodies of the same few sizes.
        id = UserId(static_cast<std::uint32_t>(i % 13000));
        lines = 1 + (static_cast<std::size_t>(i) % 13000) % 3;
        break;
      case LogShape::kLong:
        id = UserId(people[pick(people.size())]);
        lines = 80 + pick(8);
        break;
    }
    if (pick(200) == 0) id = "********";
    const Date date{97 + static_cast<int>(pick(3)), 1 + static_cast<int>(pick(12)),
                    1 + static_cast<int>(pick(28)), static_cast<int>(pick(24)),
                    static_cast<int>(pick(60))};
    const bool tie = shape == LogShape::kTieHeavy;
    const SjisText handle{pools.Handles[pick(pools.Handles.size())]};
    const SjisText title{tie ? pools.Titles[0] : pools.Titles[pick(pools.Titles.size())]};
    if (i < 1000) {
      log.ShortHeader(i, id, handle, title, date);
    } else {
      log.LongHeader(i, id, handle, title, date);
    }
    for (std::size_t l = 0; l < lines; ++l) {
      const std::string& line = shape == LogShape::kLong ? pools.Lines.back()
                                : tie                    ? pools.Lines[l]
                                                         : pools.Lines[pick(pools.Lines.size())];
      log.Body(SjisText{line});
    }
    log.Separator();
    file.Write(log);
  }
  return {file.Close(), kMessages};
}

}  // namespace zunkaro::bench
