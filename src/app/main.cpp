// Zunkaro's window: the main form over the analysis of one forum log.
#include "app/main_form.hpp"
#include "ui/application.hpp"

int main() {
  // The command line is not read, and the exit code is always 0.
  zunkaro::ui::Application application;
  return application.Run([](zunkaro::ui::Application& app) {
    app.SetTitle("Zunkaro");
    app.CreateForm(zunkaro::Form1);
  });
}
