// The modal windows of the layer, described as data: what a file dialog or a
// message box asks, and what the user answered. The layer shows them as Qt
// dialogs; a test can answer them instead (Application::SetFileDialogResponder,
// Application::SetMessageResponder), so that nothing waits on a window.
#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <vector>

namespace zunkaro::ui {

enum class FileDialogKind : std::uint8_t { kOpen, kSave };

// One row of a dialog's file-type list: "ﾃｷｽﾄ(*.txt)" and "*.txt".
struct FilterRow {
  QString Label;
  QString Pattern;

  friend bool operator==(const FilterRow&, const FilterRow&) = default;
};

struct FileDialogRequest {
  FileDialogKind Kind = FileDialogKind::kOpen;
  QString Title;
  std::vector<FilterRow> Filters;
  std::size_t FilterIndex = 0;       // the row selected when the dialog opens
  std::filesystem::path FileName;    // the path offered, the last one chosen
};

struct FileDialogAnswer {
  bool Accepted = false;             // false: the user cancelled
  std::filesystem::path FileName;    // the path chosen, as the dialog gives it
  std::size_t FilterIndex = 0;       // the row in use when it was chosen
};

enum class MessageKind : std::uint8_t {
  kPlain,  // no icon, one OK button
  kError,  // the error box: a stop icon, one OK button
};

struct MessageRequest {
  MessageKind Kind = MessageKind::kPlain;
  QString Caption;
  QString Text;
};

using FileDialogResponder = std::function<FileDialogAnswer(const FileDialogRequest&)>;
using MessageResponder = std::function<void(const MessageRequest&)>;

}  // namespace zunkaro::ui
