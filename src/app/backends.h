#pragma once
// Picks the drawing application for this run from the command line:
// "--drawing FILE [--select SHAPE]... [--page PAGE] COMMAND" gives the
// in-process application over a .vsdx file; otherwise live Visio.
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/automation/backend.h"

namespace tw {

// The file mode's options, all before the command number.
struct FileMode {
  std::string drawing;  // --drawing FILE
  std::string page;     // --page PAGE: a name or a 1-based index; "" for the first page
  std::vector<std::string> selects;  // --select SHAPE...: an ID or a shape name, in order
  bool list = false;                 // --list: print the page's events; no command number
};

inline constexpr const char* FileModeUsage =
    "tarnwick --drawing FILE [--page PAGE] [--select SHAPE]... COMMAND\n"
    "tarnwick --drawing FILE [--page PAGE] --list";

// The file mode asked for by `args` (args[0] is the program), or nothing when
// there is no --drawing. Raises Error for options that make no sense.
std::optional<FileMode> parseFileMode(const std::vector<std::string>& args);

std::unique_ptr<DrawingBackend> chooseBackend(const std::vector<std::string>& args);

// The backend over a drawing file: loads it on attach (a missing file is a
// new drawing with one page), shows the page, selects the shapes; finish
// saves it atomically when it changed.
std::unique_ptr<DrawingBackend> makeFileBackend(const FileMode& mode);

// Prints every event of the page of `mode` (ID, shape name, the eight values,
// the numbers of its predecessors) as tab-separated lines under a heading
// line; changes nothing. Returns the exit code; errors go to `err`.
int ListEvents(const FileMode& mode, std::ostream& out, std::ostream& err);

}  // namespace tw
