#pragma once
// The process entry without the process: attach, read the selection, convert
// the command number, dispatch, shut down; returns the exit code.
#include <functional>
#include <string>
#include <vector>

#include "platform/automation/backend.h"

namespace tw {

// The entry routines of the commands that live outside the drawing core.
struct CommandRoutines {
  std::function<void()> showAboutBox;      // 1
  std::function<void()> editCurrentEvent;  // 6
  std::function<void()> dropNewEvent;      // 7
  std::function<void()> freeDataModule;    // shutdown: frees dmMAIN if one was made
};

// The routines of this build (the About box, the editor, the data module).
CommandRoutines defaultCommandRoutines();

// args[0] is the executable's path; only the last argument is the command.
// Errors are reported through the default error report and give exit code 1.
int RunTarnwick(const std::vector<std::string>& args, DrawingBackend& backend,
                const CommandRoutines& routines);

}  // namespace tw
