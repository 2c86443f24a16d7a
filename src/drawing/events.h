#pragma once
// The shared module of the drawing side: the two process-wide automation
// references and the routines through which every other module reads and
// writes an event's values and position.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/automation/automation.h"

namespace tw {

// The drawing application (Visio, or the in-process one); set by start-up.
extern AutoRef VisioApp;
// The shape commands 6 and 7 act on; empty when nothing was selected.
extern AutoRef CurrentShape;

inline constexpr std::string_view EventMasterName = "Событие";

// Shape Data section and the cells of an event's value rows.
inline constexpr std::int32_t visSectionProp = 243;
inline constexpr std::int32_t visCustPropsValue = 0;
inline constexpr std::int32_t visCustPropsLabel = 2;
inline constexpr std::int32_t visSectionObject = 1;
inline constexpr std::int32_t visRowXFormOut = 1;
inline constexpr std::int32_t visXFormPinX = 0;
inline constexpr std::int32_t visXFormPinY = 1;
inline constexpr std::int32_t visRowShapeLayout = 23;
inline constexpr std::int32_t visSLORouteStyle = 10;
inline constexpr std::int32_t visSLOLineRouteExt = 19;

// Rows of an event's eight values.
enum EventRow : std::int32_t {
  RowNumber = 0,
  RowSubdivision = 1,
  RowCode = 2,
  RowName = 3,
  RowPercent = 4,
  RowExtraInfo = 5,
  RowPlannedDate = 6,
  RowActualDate = 7,
};
inline constexpr std::int32_t EventRowCount = 8;

// A shape is an event when its name contains "Событие" (byte for byte, case-sensitive).
bool IsEventName(std::string_view name);

// The formula text of the value cell of Shape Data row `row`, or "" when the
// row's label cell does not exist (locally or inherited).
std::string ReadPropFormula(const AutoRef& shape, std::int32_t row);

// A well-formed string literal ("..." with inner quotes doubled) gives its
// text; anything else loses one leading and one trailing double quote.
std::string StripQuotes(std::string_view text);

// Stores `text` as a string formula in the value cell of row `row`.
void WritePropValue(const AutoRef& shape, std::int32_t row, std::string_view text);

// The string formula that stands for `text`: quotes around it, inner quotes doubled.
std::string QuoteFormula(std::string_view text);

// The whole-number part of a coordinate formula such as "105.25 mm".
std::int32_t FormulaToInt(std::string_view formula);

}  // namespace tw
