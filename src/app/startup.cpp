#include "startup.h"

#include "drawing/events.h"
#include "drawing/renumber.h"
#include "platform/automation/strtoint.h"
#include "ui/messages.h"

namespace tw {

namespace {

void call(const std::function<void()>& f) {
  if (f) f();
}

void ReadSelection() {
  const AutoRef window = VisioApp.getRef("ActiveWindow");
  // A drawing application without a window has no selection to read.
  if (window.empty()) throw Error(errkind::kOle, "The drawing application has no active window.");
  if (window.getRef("Selection").get("Count").toInt() > 0)
    CurrentShape = VisioApp.getRef("ActiveWindow").getRef("Selection", {std::int32_t{1}});
}

}  // namespace

int RunTarnwick(const std::vector<std::string>& args, DrawingBackend& backend,
                const CommandRoutines& routines) {
  try {
    VisioApp = backend.attach();
    ReadSelection();
    const std::string& last = args.empty() ? std::string() : args.back();
    const std::int32_t command = strToInt(last);
    switch (command) {
      case 1:
        call(routines.showAboutBox);
        break;
      case 2:
        RenumberEvents();
        break;
      case 6:
        call(routines.editCurrentEvent);
        break;
      case 7:
        call(routines.dropNewEvent);
        break;
      default:
        break;
    }
    call(routines.freeDataModule);
    VisioApp.reset();
    backend.finish(true);
    CurrentShape.reset();
    return 0;
  } catch (const std::exception& e) {
    reportError(e);
    // What the command changed stays, as in the drawing application itself.
    try {
      call(routines.freeDataModule);
      VisioApp.reset();
      CurrentShape.reset();
      backend.finish(false);
    } catch (const std::exception& again) {
      reportError(again);
    }
    return 1;
  }
}

}  // namespace tw
