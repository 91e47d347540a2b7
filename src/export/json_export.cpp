#include "export/json_export.hpp"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <string_view>

#include "encoding/shift_jis.hpp"

namespace zunkaro {
namespace {

// Fields in the order they are listed, as people read them.
using Json = nlohmann::ordered_json;

// Compact, and never a byte that is not UTF-8: the log's name is the only
// text not decoded here, and a byte of it that is no UTF-8 becomes U+FFFD.
[[nodiscard]] std::string Dump(const Json& json) {
  return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

[[nodiscard]] Json MessageObject(const MessageRow& m, ShiftJisDecoder& decoder) {
  return Json{{"number", m.Number},          {"year", m.Year},
              {"month", m.Month},            {"day", m.Day},
              {"hour", m.Hour},              {"minute", m.Minute},
              {"user_id", decoder.ToUtf8(m.UserId)}, {"handle", decoder.ToUtf8(m.Handle)},
              {"chars", m.Chars}};
}

}  // namespace

std::string JsonLine(const ResultView& view) {
  ShiftJisDecoder decoder;
  Json users = Json::array();
  for (const UserRow& user : view.Users) {
    users.push_back(Json{{"rank", user.Rank},
                         {"user_id", decoder.ToUtf8(user.UserId)},
                         {"handle", decoder.ToUtf8(user.Handle)},
                         {"chars", user.Chars},
                         {"posts", user.Posts},
                         {"post_rank", user.PostRank},
                         {"average", user.Average},
                         {"average_rank", user.AverageRank}});
  }
  const Json line{{"log", view.Log},
                  {"encoding", EncodingName(view.LogEncoding)},
                  {"users", std::move(users)},
                  {"sysop_deleted", view.SysopDeleted},
                  {"totals", Json{{"users", view.Total.Users},
                                  {"chars", view.Total.Chars},
                                  {"posts", view.Total.Posts},
                                  {"average", view.Total.Average}}},
                  {"longest", MessageObject(view.Longest, decoder)}};
  return Dump(line) + "\n";
}

std::string MessageJsonLines(const ResultView& view) {
  // Written field by field: a log has up to 65000 messages, and building a
  // JSON value for each costs five times the writing. Strings still go
  // through the library's escaping.
  ShiftJisDecoder decoder;
  const std::string log = Dump(view.Log);
  std::string lines;
  const auto number = [&lines](std::string_view key, std::int64_t value) {
    lines.append(",\"").append(key).append("\":").append(std::to_string(value));
  };
  const auto text = [&lines](std::string_view key, const std::string& value) {
    lines.append(",\"").append(key).append("\":").append(Dump(value));
  };
  for (const MessageRow& m : view.Messages) {
    lines.append("{\"log\":").append(log);
    number("line", m.Line);
    number("number", m.Number);
    text("user_id", decoder.ToUtf8(m.UserId));
    text("handle", decoder.ToUtf8(m.Handle));
    number("year", m.Year);
    number("month", m.Month);
    number("day", m.Day);
    number("hour", m.Hour);
    number("minute", m.Minute);
    number("chars", m.Chars);
    lines.append(",\"status\":\"").append(StatusName(m.Status)).append("\"}\n");
  }
  return lines;
}

}  // namespace zunkaro
