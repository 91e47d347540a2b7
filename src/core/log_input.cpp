#include "core/log_input.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <utility>

#include "encoding/detector.hpp"
#include "log/file_source.hpp"

namespace zunkaro {
namespace {

constexpr char kLineFeed = '\n';
constexpr char kCarriageReturn = '\r';

// The bytes looked at first, kept and read again from memory: enough for a
// Shift-JIS log to rule out the other encodings and show a line feed.
constexpr std::size_t kProbe = std::size_t{1} << 12;
// What is read at a time past those.
constexpr std::size_t kPiece = std::size_t{1} << 17;
// The detector is fed this much at a time, to stop soon once it is settled.
constexpr std::size_t kDetectorStep = std::size_t{1} << 10;

// Bytes read already, handed out again before the rest of the source; and,
// in a log without a line feed, each carriage return as a line feed.
class ReplaySource final : public ByteSource {
 public:
  ReplaySource(std::string kept, std::unique_ptr<ByteSource> rest, bool carriageReturnEndsLine)
      : ByteSource(rest->Name()),
        kept_(std::move(kept)),
        rest_(std::move(rest)),
        carriageReturnEndsLine_(carriageReturnEndsLine) {}

  [[nodiscard]] std::size_t Read(char* into, std::size_t most) override {
    std::size_t n = 0;
    if (keptAt_ < kept_.size()) {
      n = std::min(most, kept_.size() - keptAt_);
      std::memcpy(into, kept_.data() + keptAt_, n);
      keptAt_ += n;
      if (keptAt_ == kept_.size()) {
        std::string().swap(kept_);
        keptAt_ = 0;
      }
    } else {
      n = rest_->Read(into, most);
    }
    if (carriageReturnEndsLine_) {
      // The log has no line feed at all, so this changes no other line end.
      std::replace(into, into + n, kCarriageReturn, kLineFeed);
    }
    return n;
  }

 private:
  std::string kept_;
  std::size_t keptAt_ = 0;
  std::unique_ptr<ByteSource> rest_;
  bool carriageReturnEndsLine_;
};

[[nodiscard]] bool Holds(std::string_view bytes, char c) noexcept {
  return std::memchr(bytes.data(), c, bytes.size()) != nullptr;
}

}  // namespace

OpenedLog OpenLog(const LogInput& input, InputNotes& notes, const FileCalls& calls) {
  notes = InputNotes{};
  std::unique_ptr<FileSource> file = input.StandardInput
                                         ? FileSource::StandardInput(calls)
                                         : std::make_unique<FileSource>(input.Path, calls);
  const bool detect = !input.Forced.has_value();
  const bool rewindable = file->CanRewind();
  // A regular file keeps its first bytes; a pipe all that is judged.
  const std::size_t keepLimit = rewindable ? kProbe : InputNotes::kStandardInputJudged;

  EncodingDetector detector;
  std::string kept;       // the first bytes read, to be read again from memory
  std::string scratch;    // bytes past those, looked at and dropped
  bool keptAll = true;    // `kept` holds every byte read so far
  bool lineFeed = false;
  bool carriageReturn = false;
  bool ended = false;
  bool settled = false;
  for (;;) {
    settled = (!detect || detector.OnlyShiftJis()) && lineFeed;
    if (settled || (!rewindable && kept.size() >= keepLimit)) {
      break;
    }
    char* at = nullptr;
    std::size_t room = 0;
    std::size_t before = kept.size();
    if (keptAll && kept.size() < keepLimit) {
      room = std::min(kPiece, keepLimit - before);
      kept.resize(before + room);
      at = kept.data() + before;
    } else {
      keptAll = false;
      scratch.resize(kPiece);
      at = scratch.data();
      room = scratch.size();
    }
    const std::size_t got = file->Read(at, room);
    if (keptAll) {
      kept.resize(before + got);
    }
    if (got == 0) {
      ended = true;
      break;
    }
    const std::string_view bytes(at, got);
    for (std::size_t i = 0; detect && i < bytes.size() && !detector.OnlyShiftJis();
         i += kDetectorStep) {
      detector.Feed(bytes.substr(i, kDetectorStep));
    }
    lineFeed = lineFeed || Holds(bytes, kLineFeed);
    carriageReturn = carriageReturn || (!lineFeed && Holds(bytes, kCarriageReturn));
  }

  if (detect) {
    Detection detection = detector.Decide();
    notes.Found = detection.Found;
    notes.CloseCall = detection.CloseCall;
    notes.Why = std::move(detection.Why);
  } else {
    notes.Found = *input.Forced;
    notes.Forced = true;
    notes.Why = "as asked";
  }
  if (!settled && !ended) {
    // A pipe judged on its first part.
    notes.JudgedOn = kept.size();
  }
  notes.CarriageReturnLineEnds = !lineFeed && carriageReturn;

  if (!keptAll) {
    // Followed past its first piece: read it again from the start.
    file->Rewind();
    kept.clear();
  }
  OpenedLog opened;
  opened.Source =
      std::make_unique<ReplaySource>(std::move(kept), std::move(file), notes.CarriageReturnLineEnds);
  if (notes.Found != Encoding::kShiftJis) {
    // A log cut off inside a character is read all the same, unless the
    // encoding was forced: then every sequence must be valid.
    auto transcoding =
        std::make_unique<TranscodingSource>(std::move(opened.Source), notes.Found, !notes.Forced);
    opened.Transcoding = transcoding.get();
    opened.Source = std::move(transcoding);
  }
  return opened;
}

}  // namespace zunkaro
