// JSON Lines: one compact object per log, or per message, each on a line of
// its own, in UTF-8.
#pragma once

#include <string>

#include "export/result_view.hpp"

namespace zunkaro {

// {"log", "encoding", "users": [{"rank", "user_id", "handle", "chars", "posts",
// "post_rank", "average", "average_rank"}], "sysop_deleted", "totals":
// {"users", "chars", "posts", "average"}, "longest": {"number", "year",
// "month", "day", "hour", "minute", "user_id", "handle", "chars"}} and "\n".
[[nodiscard]] std::string JsonLine(const ResultView& view);

// One object per message, in log order: {"log", "line", "number", "user_id",
// "handle", "year", "month", "day", "hour", "minute", "chars", "status"},
// each followed by "\n".
[[nodiscard]] std::string MessageJsonLines(const ResultView& view);

}  // namespace zunkaro
