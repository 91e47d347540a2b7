// The start of the window program, between its command line and its event
// loop.
#pragma once

#include "app/window_args.hpp"
#include "ui/application.hpp"

namespace zunkaro {

// Sets the application's title, makes the main form `Form1`, and, when the
// command line names a log, runs the open-log command on it once the window
// is shown, so that its message and error boxes come up over the window.
void StartUp(ui::Application& app, const StartWindow& start);

}  // namespace zunkaro
