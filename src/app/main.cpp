// tarnwick: one command per run on the drawing application's active page.
#include "ui/application.h"
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/backends.h"
#include "app/startup.h"
#include "ui/messages.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  {
    // The listing only reads the drawing: no command, no dialogs, no Qt.
    std::optional<tw::FileMode> mode;
    try {
      mode = tw::parseFileMode(args);
    } catch (const std::exception&) {
      // Bad options are reported below like every other start-up error.
    }
    if (mode && mode->list) return tw::ListEvents(*mode, std::cout, std::cerr);
  }

  // Command 2 and unknown numbers show nothing: without a display, run on
  // Qt's minimal platform rather than fail to start.
  if (std::getenv("QT_QPA_PLATFORM") == nullptr && std::getenv("DISPLAY") == nullptr &&
      std::getenv("WAYLAND_DISPLAY") == nullptr) {
#ifndef _WIN32
    setenv("QT_QPA_PLATFORM", "minimal", 1);
#endif
  }
  tw::Application app(argc, argv);

  std::unique_ptr<tw::DrawingBackend> backend;
  try {
    backend = tw::chooseBackend(args);
  } catch (const std::exception& e) {
    tw::reportError(e);
    return 1;
  }
  return tw::RunTarnwick(args, *backend, tw::defaultCommandRoutines());
}
