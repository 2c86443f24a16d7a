#include "renumber.h"

#include <algorithm>
#include <string>

#include "events.h"

namespace tw {

std::vector<std::int32_t> EventNumbers(const std::vector<EventPosition>& events) {
  const auto n = static_cast<std::int64_t>(events.size());
  // Sorted by x, then y: events to the right of x are those past upper_bound
  // on x; events of the column below are those of equal x with smaller y.
  std::vector<EventPosition> sorted = events;
  auto byXY = [](const EventPosition& a, const EventPosition& b) {
    return a.x != b.x ? a.x < b.x : a.y < b.y;
  };
  std::sort(sorted.begin(), sorted.end(), byXY);
  std::vector<std::int32_t> numbers;
  numbers.reserve(events.size());
  for (const auto& e : events) {
    auto columnEnd =
        std::upper_bound(sorted.begin(), sorted.end(), EventPosition{e.x, INT32_MAX}, byXY);
    auto columnBelowEnd = std::lower_bound(sorted.begin(), sorted.end(), e, byXY);
    auto columnBegin =
        std::lower_bound(sorted.begin(), sorted.end(), EventPosition{e.x, INT32_MIN}, byXY);
    const std::int64_t right = sorted.end() - columnEnd;
    const std::int64_t below = columnBelowEnd - columnBegin;
    numbers.push_back(static_cast<std::int32_t>(n - right - below));
  }
  return numbers;
}

void RenumberEvents() {
  const AutoRef shapes = VisioApp.getRef("ActivePage").getRef("Shapes");
  const std::int32_t count = shapes.get("Count").toInt();

  std::vector<AutoRef> events;
  std::vector<EventPosition> positions;
  for (std::int32_t i = 1; i <= count; ++i) {
    AutoRef shape = shapes.getRef("Item", {i});
    if (!IsEventName(shape.get("Name").toText())) continue;
    EventPosition p;
    p.x = FormulaToInt(shape.getRef("CellsSRC", {visSectionObject, visRowXFormOut, visXFormPinX})
                           .get("FormulaU")
                           .toText());
    p.y = FormulaToInt(shape.getRef("CellsSRC", {visSectionObject, visRowXFormOut, visXFormPinY})
                           .get("FormulaU")
                           .toText());
    events.push_back(std::move(shape));
    positions.push_back(p);
  }

  const std::vector<std::int32_t> numbers = EventNumbers(positions);
  for (std::size_t k = 0; k < events.size(); ++k) {
    // Appended rather than "P" + to_string: GCC 12 at -O3 warns falsely on the latter.
    std::string text = "P";
    text += std::to_string(numbers[k]);
    WritePropValue(events[k], RowNumber, text);
  }
}

}  // namespace tw
