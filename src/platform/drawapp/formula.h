#pragma once
// Formula texts as the in-process application understands them: what a
// FormulaU put may store, and how a cell that holds only a value shows its
// formula. The application does not evaluate expressions; it keeps the
// formula and the cached value the drawing carries.
#include <optional>
#include <string>
#include <string_view>

namespace tw::drawapp {

struct ParsedFormula {
  enum class Kind {
    Literal,     // "..." with inner quotes doubled; `text` holds the string
    Number,      // a constant, maybe with a unit; `value` in internal units
    Boolean,     // TRUE or FALSE; `value` 1 or 0
    Expression,  // anything else well-formed: references, functions, operators
    Empty,       // no formula at all
  };
  Kind kind = Kind::Empty;
  std::string text;
  double value = 0.0;
  std::string unit;  // the cell's U for a Number: "MM", "IN", ..., or "" for none
};

// Parses a formula as written through FormulaU (a leading "=" is allowed).
// Returns nothing for what cannot be parsed: an unterminated or badly quoted
// string, a dangling operator, unbalanced parentheses, an unknown unit.
std::optional<ParsedFormula> parseFormula(std::string_view formula);

// The formula text of a cell that holds only a value V shown in unit U.
// Lengths are written "<number> <unit>" with the unit in lower case and no
// trailing period ("105.25 mm", "4.25 in"), so that the whole-number part
// reads back with FormulaToInt; strings come back as a quoted literal.
// `isLength` says whether a cell with no U is a length (then: inches);
// `isText` whether a value that is no number is a string (then: quoted).
std::string formulaOfValue(std::string_view v, std::string_view u, bool isLength, bool isText);

// A number as a formula writes it: up to 12 significant digits, no "-0".
std::string formatNumber(double d);

// The string literal formula for `text`: quotes around it, inner quotes doubled.
std::string quoteLiteral(std::string_view text);

}  // namespace tw::drawapp
