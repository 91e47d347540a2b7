#include "export/message_listing.hpp"

#include "tally/line_format.hpp"

namespace zunkaro {

void WriteMessageListing(const ResultView& view, LineList& lines) {
  lines.Add("    line  number  date            user_id   handle              chars  status");
  LineFormat line;
  for (const MessageRow& m : view.Messages) {
    line.Number(m.Line, 8).Text("  #").ZeroFilled(m.Number, 5).Text("  ");
    line.ZeroFilled(m.Year, 2).Text("/").ZeroFilled(m.Month, 2).Text("/").ZeroFilled(m.Day, 2);
    line.Text(" ").ZeroFilled(m.Hour, 2).Text(":").ZeroFilled(m.Minute, 2).Text("  ");
    line.Left(m.UserId, 8).Text("  ").Left(m.Handle, 16).Text("  ").Number(m.Chars, 7);
    line.Text("  ").Text(StatusName(m.Status));
    lines.Add(line.View());
    line.Clear();
  }
}

}  // namespace zunkaro
