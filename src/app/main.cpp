// Zunkaro's window: the main form over the analysis of one forum log.
// `zunkaro [LOG]`
#include <cstdio>
#include <span>

#include "app/start_up.hpp"
#include "app/window_args.hpp"
#include "ui/application.hpp"

int main(int argc, char** argv) {
  const std::span<const char* const> args(argv + 1, argc > 1 ? static_cast<std::size_t>(argc - 1) : 0U);
  const zunkaro::WindowArgs parsed = zunkaro::ParseWindowArgs(args);
  if (const auto status = zunkaro::AnswerWithoutWindow(parsed, stdout, stderr)) {
    return *status;
  }
  // Once the window has started, the exit code is always 0.
  zunkaro::ui::Application application;
  return application.Run([&parsed](zunkaro::ui::Application& app) {
    zunkaro::StartUp(app, std::get<zunkaro::StartWindow>(parsed));
  });
}
