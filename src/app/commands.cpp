#include "startup.h"

#include "data/db/unit_dm.h"
#include "editor/procedure_edit.h"
#include "ui/unit_splash.h"

namespace tw {

CommandRoutines defaultCommandRoutines() {
  CommandRoutines r;
  r.showAboutBox = [] { ShowAboutBox(); };
  r.editCurrentEvent = [] { EditCurrentEvent(); };
  r.dropNewEvent = [] { DropNewEvent(); };
  r.freeDataModule = [] { FreeDataModule(); };
  return r;
}

}  // namespace tw
