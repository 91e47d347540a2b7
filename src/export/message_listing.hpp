// The audit as text: one fixed-width line per message, in log order, in
// Shift-JIS like the report, so that it goes out the way the report does.
#pragma once

#include "export/result_view.hpp"
#include "tally/line_list.hpp"

namespace zunkaro {

// Appends a heading and the line of every message:
//       line  number  date            user_id   handle              chars  status
//         12  #00123  97/05/03 21:07  BBB00002  NEKO-san              612  counted
void WriteMessageListing(const ResultView& view, LineList& lines);

}  // namespace zunkaro
