#pragma once
// Command 2: number every event of the active page by its position.
#include <cstdint>
#include <vector>

namespace tw {

struct EventPosition {
  std::int32_t x = 0;
  std::int32_t y = 0;
};

// The number each event gets: N minus the events to its right, minus the
// events of its column (same whole-number x) below it. Events at the same
// place share the highest number of their group.
std::vector<std::int32_t> EventNumbers(const std::vector<EventPosition>& events);

// Reads every shape's name and every event's position once, then writes
// "P<n>" into row 0 of each event in the order of the page's shapes. A bad
// position formula anywhere stops it before anything is written.
void RenumberEvents();

}  // namespace tw
