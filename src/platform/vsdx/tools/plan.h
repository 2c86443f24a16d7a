#pragma once
// Builds planning drawings through the automation seam, the way the editor
// does it: events dropped from the stencil with their values written as
// string formulas, connectors dropped behind them and glued from the
// predecessor's first connection point to the follower's second.
#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/automation/automation.h"

namespace tw::plan {

struct PlanEvent {
  std::int32_t x = 0;  // pin, whole inches
  std::int32_t y = 0;
  std::array<std::string, 8> values;  // Shape Data rows 0..7
};

// The stencil's masters, looked up once.
struct Masters {
  AutoRef event;
  AutoRef connector;
};
Masters findMasters(const AutoRef& app);

AutoRef dropEvent(const AutoRef& page, const Masters& m, const PlanEvent& e);
// A connector from `from` (Connections.X1) to `to` (Connections.X2).
AutoRef dropConnector(const AutoRef& page, const Masters& m, const AutoRef& from,
                      const AutoRef& to);

// Drops every event, then a connector for every (predecessor, follower) pair
// of indexes into `events`; returns the event shapes.
std::vector<AutoRef> build(const AutoRef& app, const std::vector<PlanEvent>& events,
                           const std::vector<std::pair<std::size_t, std::size_t>>& links);

// The demo's plan: a dozen events of a small construction job in four
// columns, Russian names, connectors from each stage to the next.
void demoPlan(std::vector<PlanEvent>& events,
              std::vector<std::pair<std::size_t, std::size_t>>& links);

// A large generated plan: `columns` columns of `rows` events, each event
// joined to one of the previous column, plus extra links up to `linkCount`.
void gridPlan(std::int32_t columns, std::int32_t rows, std::size_t linkCount,
              std::vector<PlanEvent>& events,
              std::vector<std::pair<std::size_t, std::size_t>>& links);

}  // namespace tw::plan
