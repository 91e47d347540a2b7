// Every exporter over the analysis of any file: the JSON parses and, like
// the CSV and the page, is valid UTF-8; the page holds no markup of the log's.
#include <sys/mman.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "core/analysis.hpp"
#include "export/csv_export.hpp"
#include "export/html_export.hpp"
#include "export/json_export.hpp"
#include "export/message_listing.hpp"
#include "export/result_view.hpp"
#include "export/utf8.hpp"

namespace {

// A file in memory holding the input, named by its descriptor.
class MemoryFile {
 public:
  MemoryFile(const std::uint8_t* data, std::size_t size)
      : fd_(memfd_create("zunkaro-fuzz", 0)) {
    if (fd_ < 0 || write(fd_, data, size) != static_cast<ssize_t>(size)) std::abort();
  }
  ~MemoryFile() { close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  [[nodiscard]] std::string Path() const { return "/proc/self/fd/" + std::to_string(fd_); }

 private:
  int fd_;
};

void MustBeUtf8(const std::string& text) {
  if (zunkaro::ValidUtf8(text) != text) std::abort();
}

// Each line parses as JSON (the parser refuses bytes that are not UTF-8).
void MustBeJsonLines(const std::string& text) {
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string::npos) std::abort();
    if (!nlohmann::json::accept(text.substr(start, end - start))) std::abort();
    start = end + 1;
  }
}

std::size_t Count(const std::string& text, std::string_view what) {
  std::size_t n = 0;
  for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const auto analysis = std::make_unique<zunkaro::Analysis>();
  const MemoryFile file(data, size);
  zunkaro::StringLines report;
  if (analysis->Analyse(file.Path(), report) != zunkaro::Outcome::kReport) return 0;
  // A log name that is not UTF-8 too.
  const zunkaro::ResultView view = zunkaro::ViewOf(*analysis, "log\xff.log");

  MustBeJsonLines(zunkaro::JsonLine(view));
  const std::string messages = zunkaro::MessageJsonLines(view);
  MustBeJsonLines(messages);
  if (Count(messages, "\n") != view.Messages.size()) std::abort();
  MustBeUtf8(zunkaro::CsvRows(view));
  MustBeUtf8(zunkaro::MessageCsvRows(view));

  const std::string page = zunkaro::HtmlPage(std::vector<zunkaro::ResultView>{view});
  MustBeUtf8(page);
  // Our one script, and one body row per user: nothing of the log is markup.
  if (Count(page, "<script") != 1 || Count(page, "<tr data-order") != view.Users.size()) std::abort();

  zunkaro::StringLines listing;
  zunkaro::WriteMessageListing(view, listing);
  if (listing.lines().size() != view.Messages.size() + 1) std::abort();
  return 0;
}
