#include "startup.h"

#include "editor/procedure_edit.h"

namespace tw {

CommandRoutines defaultCommandRoutines() {
  CommandRoutines r;
  r.editCurrentEvent = [] { EditCurrentEvent(); };
  r.dropNewEvent = [] { DropNewEvent(); };
  return r;
}

}  // namespace tw
