// A fresh main form for each test, driven through its menu by a fake user.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/main_form.hpp"
#include "core/analysis.hpp"
#include "fake_user.hpp"
#include "support/log_builder.hpp"
#include "ui/text.hpp"

namespace zunkaro::testing {

class FormTest : public ::testing::Test {
 protected:
  FormTest() : form(std::make_unique<TForm1>(App())) {}

  // Chooses `log` in the open dialog of the menu's open command.
  void Open(const std::filesystem::path& log) {
    user.WillChoose(log);
    form->KO1->trigger();
  }
  void SaveTo(const std::filesystem::path& file, std::optional<std::size_t> row = {}) {
    user.WillChoose(file, row);
    form->KS1->trigger();
  }

  [[nodiscard]] std::vector<std::string> ViewLines() const {
    std::vector<std::string> lines;
    const ui::TextLines& view = form->Memo1->Lines();
    for (std::size_t i = 0; i < view.Count(); ++i) {
      lines.emplace_back(view.Line(i));
    }
    return lines;
  }

  // The report of `log` as a fresh analysis makes it.
  [[nodiscard]] static std::vector<std::string> ReportOf(const std::filesystem::path& log) {
    auto analysis = std::make_unique<Analysis>();
    StringLines lines;
    (void)analysis->Analyse(log, lines);
    return lines.lines();
  }

  // The lines, each ended by CR LF.
  [[nodiscard]] static std::string AsFile(const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
      bytes += line + "\r\n";
    }
    return bytes;
  }

  FakeUser user;
  std::unique_ptr<TForm1> form;
};

// A log of `messages` messages, each by a user of its own: the largest
// report a log can give has 65000 users.
[[nodiscard]] inline std::string LogOfUsers(int messages) {
  LogBuilder log;
  for (int i = 0; i < messages; ++i) {
    char id[16];
    std::snprintf(id, sizeof id, "AAA%05d", i);
    log.LongHeader(i + 1, id, std::string("user") + (id + 3), "t")
        .Body(std::string(static_cast<std::size_t>(i % 97 + 1), 'x'))
        .Separator();
  }
  return log.Bytes();
}

}  // namespace zunkaro::testing
