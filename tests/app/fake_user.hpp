// A user who answers the window's file dialogs and message boxes, so that
// no test waits on a modal window, and who remembers what they were shown.
#pragma once

#include <cstddef>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <QString>

#include "ui/application.hpp"
#include "ui/modal.hpp"

namespace zunkaro::testing {

void SetApp(ui::Application& app);
[[nodiscard]] ui::Application& App();

// UTF-8 text as Qt shows it, for expectations written as readable text.
[[nodiscard]] inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

class FakeUser {
 public:
  FakeUser();
  ~FakeUser();
  FakeUser(const FakeUser&) = delete;
  FakeUser& operator=(const FakeUser&) = delete;

  // The next file dialog is answered with `file`, in file-type row `row`
  // (by default the row the dialog opened with).
  void WillChoose(const std::filesystem::path& file, std::optional<std::size_t> row = {});
  void WillCancel();

  std::vector<ui::FileDialogRequest> Dialogs;
  std::vector<ui::MessageRequest> Messages;
  // Called while a message box is shown, before it is dismissed.
  std::function<void(const ui::MessageRequest&)> WhileMessageShown;

 private:
  struct Answer {
    bool Accepted = false;
    std::filesystem::path File;
    std::optional<std::size_t> Row;
  };
  std::deque<Answer> answers_;
};

}  // namespace zunkaro::testing

// QString in the messages of failed expectations, as text.
inline void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
