#include "export/json_export.hpp"

#include <nlohmann/json.hpp>

#include "core/shift_jis.hpp"

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
  ShiftJisDecoder decoder;
  std::string lines;
  for (const MessageRow& m : view.Messages) {
    const Json record{{"log", view.Log},         {"line", m.Line},
                      {"number", m.Number},      {"user_id", decoder.ToUtf8(m.UserId)},
                      {"handle", decoder.ToUtf8(m.Handle)},
                      {"year", m.Year},          {"month", m.Month},
                      {"day", m.Day},            {"hour", m.Hour},
                      {"minute", m.Minute},      {"chars", m.Chars},
                      {"status", StatusName(m.Status)}};
    lines += Dump(record);
    lines += '\n';
  }
  return lines;
}

}  // namespace zunkaro
