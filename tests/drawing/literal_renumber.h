#pragma once
// The original renumbering, transcribed step by step: about 6·N² drawing
// calls. Kept as the oracle that the linear version is checked against, and
// measured beside it in the benchmark.
#include <string>

#include "drawing/events.h"

namespace tw::test {

inline void LiteralRenumberEvents() {
  auto shapes = [] { return VisioApp.getRef("ActivePage").getRef("Shapes"); };
  auto pin = [](const AutoRef& s, std::int32_t cell) {
    return FormulaToInt(
        s.getRef("CellsSRC", {std::int32_t{1}, std::int32_t{1}, cell}).get("FormulaU").toText());
  };
  std::int32_t n = 0;
  const std::int32_t count1 = shapes().get("Count").toInt();
  for (std::int32_t i = 1; i <= count1; ++i)
    if (IsEventName(shapes().getRef("Item", {i}).get("Name").toText())) ++n;

  const std::int32_t count2 = shapes().get("Count").toInt();
  for (std::int32_t i = 1; i <= count2; ++i) {
    const AutoRef s = shapes().getRef("Item", {i});
    if (!IsEventName(s.get("Name").toText())) continue;
    std::int32_t number = n;
    const std::int32_t x = pin(s, 0);
    const std::int32_t y = pin(s, 1);
    const std::int32_t count3 = shapes().get("Count").toInt();
    for (std::int32_t j = 1; j <= count3; ++j) {
      const AutoRef o = shapes().getRef("Item", {j});
      const bool isEvent = IsEventName(o.get("Name").toText());
      const std::string sText = s.text();
      const std::string oText = o.text();
      if (!isEvent || sText == oText) continue;
      const std::int32_t ox = pin(o, 0);
      const std::int32_t oy = pin(o, 1);
      if (ox > x) --number;
      if (ox == x && oy < y) --number;
    }
    std::string text = "P";
    text += std::to_string(number);
    WritePropValue(s, 0, text);
  }
}

}  // namespace tw::test
