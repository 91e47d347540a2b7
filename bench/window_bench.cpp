// The window's open-log command on one log, from the menu to the filled
// view, under the offscreen platform: zunkaro-window-bench LOG [RUNS].
// Prints the median time in seconds.
#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <vector>

#include "app/main_form.hpp"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("Usage: zunkaro-window-bench LOG [RUNS]\n", stderr);
    return 2;
  }
  const std::filesystem::path log = argv[1];
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  setenv("QT_QPA_PLATFORM", "offscreen", 1);

  zunkaro::ui::Application app;
  app.SetTitle("Zunkaro");
  app.CreateForm(zunkaro::Form1);
  zunkaro::TForm1& form = *zunkaro::Form1;
  app.SetFileDialogResponder([&log](const zunkaro::ui::FileDialogRequest&) {
    return zunkaro::ui::FileDialogAnswer{true, log, 0};
  });
  bool failed = false;
  app.SetMessageResponder([&failed](const zunkaro::ui::MessageRequest& message) {
    std::fprintf(stderr, "zunkaro-window-bench: %s\n", message.Text.toLocal8Bit().constData());
    failed = true;
  });
  form.Show();
  QCoreApplication::processEvents();

  std::vector<double> seconds;
  for (int r = 0; r < runs; ++r) {
    const auto start = std::chrono::steady_clock::now();
    form.KO1->trigger();
    // The view takes in the report and paints it.
    QCoreApplication::processEvents();
    form.Memo1->viewport()->repaint();
    seconds.push_back(
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
  }
  if (failed || form.Memo1->Lines().Count() == 0) {
    return 1;
  }
  std::sort(seconds.begin(), seconds.end());
  std::printf("%.4f\n", seconds[seconds.size() / 2]);
  return 0;
}
