#pragma once
// Where start-up gets the drawing application from: live Visio over COM on
// Windows, or the in-process application over a .vsdx file.
#include "automation.h"

namespace tw {

class DrawingBackend {
 public:
  virtual ~DrawingBackend() = default;
  // The application object; raises Error when none can be had.
  virtual AutoRef attach() = 0;
  // Called once after the command, with whether it ended normally; a file
  // backend saves here (live Visio keeps its own documents).
  virtual void finish(bool commandSucceeded) { (void)commandSucceeded; }
};

}  // namespace tw
