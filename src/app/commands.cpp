#include "startup.h"

namespace tw {

CommandRoutines defaultCommandRoutines() {
  CommandRoutines r;
  return r;
}

}  // namespace tw
