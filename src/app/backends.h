#pragma once
// Picks the drawing application for this run from the command line:
// "--drawing FILE [--select SHAPE]... [--page PAGE]" before the command gives
// the in-process application over a .vsdx file; otherwise live Visio.
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/backend.h"

namespace tw {

std::unique_ptr<DrawingBackend> chooseBackend(const std::vector<std::string>& args);

}  // namespace tw
