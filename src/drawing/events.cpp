#include "events.h"

#include "platform/automation/strtoint.h"

namespace tw {

AutoRef VisioApp;
AutoRef CurrentShape;

bool IsEventName(std::string_view name) {
  return name.find(EventMasterName) != std::string_view::npos;
}

std::string ReadPropFormula(const AutoRef& shape, std::int32_t row) {
  const Variant exists =
      shape.get("CellsSRCExists", {visSectionProp, row, visCustPropsLabel, std::int32_t{0}});
  if (exists.toInt() != -1) return {};
  return shape.getRef("CellsSRC", {visSectionProp, row, visCustPropsValue})
      .get("FormulaU")
      .toText();
}

namespace {

// True when `text` is "..." whose inner quotes all come in pairs; `out` gets the text.
bool unquoteLiteral(std::string_view text, std::string& out) {
  if (text.size() < 2 || text.front() != '"' || text.back() != '"') return false;
  std::string result;
  const std::string_view inner = text.substr(1, text.size() - 2);
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == '"') {
      if (i + 1 >= inner.size() || inner[i + 1] != '"') return false;
      ++i;
    }
    result += inner[i];
  }
  out = std::move(result);
  return true;
}

}  // namespace

std::string StripQuotes(std::string_view text) {
  std::string literal;
  if (unquoteLiteral(text, literal)) return literal;
  // Not a string literal we wrote: drop one quote at each end, as always.
  std::string s(text);
  if (s.empty()) return s;
  if (s.front() == '"') s.erase(0, 1);
  if (s.empty()) return s;
  if (s.back() == '"') s.pop_back();
  return s;
}

std::string QuoteFormula(std::string_view text) {
  std::string f = "\"";
  for (char c : text) {
    if (c == '"') f += '"';
    f += c;
  }
  f += '"';
  return f;
}

void WritePropValue(const AutoRef& shape, std::int32_t row, std::string_view text) {
  shape.getRef("CellsSRC", {visSectionProp, row, visCustPropsValue})
      .put("FormulaU", Variant(QuoteFormula(text)));
}

std::int32_t FormulaToInt(std::string_view formula) {
  std::string_view part;
  if (auto dot = formula.find('.'); dot != std::string_view::npos) {
    part = formula.substr(0, dot);
  } else if (auto blank = formula.find(' '); blank != std::string_view::npos) {
    part = formula.substr(0, blank);
  }
  return strToInt(part);
}

}  // namespace tw
