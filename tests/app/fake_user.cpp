#include "fake_user.hpp"

#include <gtest/gtest.h>

namespace zunkaro::testing {
namespace {

ui::Application* theApp = nullptr;

}  // namespace

void SetApp(ui::Application& app) { theApp = &app; }

ui::Application& App() { return *theApp; }

FakeUser::FakeUser() {
  App().SetFileDialogResponder([this](const ui::FileDialogRequest& request) {
    Dialogs.push_back(request);
    if (answers_.empty()) {
      ADD_FAILURE() << "a file dialog no test expected: " << request.Title.toStdString();
      return ui::FileDialogAnswer{};
    }
    const Answer answer = answers_.front();
    answers_.pop_front();
    return ui::FileDialogAnswer{answer.Accepted, answer.File, answer.Row.value_or(request.FilterIndex)};
  });
  App().SetMessageResponder([this](const ui::MessageRequest& request) {
    Messages.push_back(request);
    if (WhileMessageShown) {
      WhileMessageShown(request);
    }
  });
}

FakeUser::~FakeUser() {
  App().SetFileDialogResponder({});
  App().SetMessageResponder({});
  EXPECT_TRUE(answers_.empty()) << answers_.size() << " dialog answers left unused";
}

void FakeUser::WillChoose(const std::filesystem::path& file, std::optional<std::size_t> row) {
  answers_.push_back(Answer{true, file, row});
}

void FakeUser::WillCancel() { answers_.push_back(Answer{}); }

}  // namespace zunkaro::testing
