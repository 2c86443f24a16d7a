#pragma once
// Predecessor links: an event's predecessors are the events from which a
// connector leads to it. These routines read them from the drawing, find the
// shapes and connectors behind them, and turn changed marks into connectors
// dropped or deleted. No Qt here: they talk only to the automation seam.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/automation/automation.h"

namespace tw {

inline constexpr std::string_view StencilName = "Tarnwick.vss";
inline constexpr std::string_view ConnectorMasterName = "Velmar Connector";

// One item of the predecessor list: a candidate event of the page.
struct PredecessorItem {
  std::string text;     // "%S-%S   %S": subdivision, code, name
  std::int32_t id = 0;  // the candidate shape's ID
  bool checked = false;
};

// The marks of the list as they were when it was built; one per item, empty
// when there are none. Emptied when the editor closes.
extern std::vector<bool> InitialChecks;

// "%S-%S   %S" filled with the three values.
std::string PredecessorItemText(std::string_view subdivision, std::string_view code,
                                std::string_view name);

// The page's other events in page order, each marked when it is already a
// predecessor of CurrentShape; also fills InitialChecks.
std::vector<PredecessorItem> LoadPredecessors();

// Appends, as decimal text, the ID of every predecessor of CurrentShape: one
// entry per connector glued to it whose first connection leads to another event.
void GetLinkedPredecessors(std::vector<std::string>& list);

// The event shape of the active page with this ID; empty when there is none.
AutoRef FindEventShape(std::int32_t id);

// The last connector glued to `event` (in the order of its FromConnects) whose
// first connection leads to `predecessor`; empty when there is none.
AutoRef FindConnector(const AutoRef& event, const AutoRef& predecessor);

// Drops one connector from the stencil at (5, 5), lays it out straight and
// right-angled behind everything, and glues it from the predecessor's
// connection point 1 to the successor's connection point 2.
AutoRef DropConnector(const AutoRef& application, const AutoRef& predecessor,
                      const AutoRef& successor);

// An item whose change could not be made because the drawing changed under
// the open editor.
struct SkippedLink {
  enum class Reason { EventGone, ConnectorGone };
  PredecessorItem item;
  Reason reason = Reason::EventGone;
};

// Turns each item whose mark differs from InitialChecks into one connector
// deleted or dropped, in list order. Items that can no longer be matched in
// the drawing are skipped (nothing else is touched in their place) and
// returned, so that the caller reports them after the rest is done.
std::vector<SkippedLink> ApplyPredecessorChanges(const std::vector<PredecessorItem>& items);

}  // namespace tw
