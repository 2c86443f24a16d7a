#include "formula.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>

namespace tw::drawapp {

namespace {

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

std::string_view trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

struct UnitInfo {
  std::string_view written;
  std::string_view code;  // the cell's U
  double toInternal;      // multiply the written number by this
};

constexpr double kPi = std::numbers::pi;

// Units a constant may carry, as typed in a formula.
constexpr UnitInfo kUnits[] = {
    {"in.", "IN", 1.0},        {"in", "IN", 1.0},        {"inch", "IN", 1.0},
    {"mm", "MM", 1.0 / 25.4},  {"cm", "CM", 1.0 / 2.54}, {"m", "M", 1.0 / 0.0254},
    {"ft.", "FT", 12.0},       {"ft", "FT", 12.0},       {"pt", "PT", 1.0 / 72.0},
    {"deg", "DEG", kPi / 180}, {"rad", "RAD", 1.0},
};

// Unit codes Visio also accepts after a number in a formula ("0DA", "0.25DL").
bool isUnitCode(std::string_view u) {
  static constexpr std::string_view kCodes[] = {"DL",  "DA", "DP", "DT", "DE", "IN_F",
                                                "PER", "EM", "EW", "ED", "EH"};
  for (auto c : kCodes)
    if (iequals(c, u)) return true;
  return false;
}

const UnitInfo* findUnit(std::string_view written) {
  for (const auto& u : kUnits)
    if (iequals(u.written, written)) return &u;
  return nullptr;
}

// Scans a decimal number at the start of `s`; returns its length or 0.
std::size_t scanNumber(std::string_view s) {
  std::size_t i = 0;
  std::size_t digits = 0;
  while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  if (i < s.size() && s[i] == '.') {
    ++i;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i]))) ++i, ++digits;
  }
  if (digits == 0) return 0;
  if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
    std::size_t j = i + 1;
    if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
    std::size_t expDigits = 0;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j]))) ++j, ++expDigits;
    if (expDigits > 0) i = j;
  }
  return i;
}

// The literal "..." at the start of `s` (inner quotes doubled); returns its
// length, or 0 when it is not terminated.
std::size_t scanLiteral(std::string_view s, std::string* text) {
  if (s.empty() || s[0] != '"') return 0;
  std::string out;
  for (std::size_t i = 1; i < s.size(); ++i) {
    if (s[i] == '"') {
      if (i + 1 < s.size() && s[i + 1] == '"') {
        out += '"';
        ++i;
        continue;
      }
      if (text) *text = std::move(out);
      return i + 1;
    }
    out += s[i];
  }
  return 0;
}

bool isNameStart(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalpha(u) || c == '_' || u >= 0x80;  // names may be in any script
}
bool isNameChar(char c) {
  const auto u = static_cast<unsigned char>(c);
  return std::isalnum(u) || c == '_' || c == '.' || c == '!' || u >= 0x80;
}

// A small recursive-descent check of formula syntax: operands (numbers with an
// optional unit, string literals, names, calls) joined by operators.
class SyntaxCheck {
 public:
  explicit SyntaxCheck(std::string_view s) : s_(s) {}
  bool run() {
    if (!expr()) return false;
    skip();
    return pos_ == s_.size();
  }

 private:
  void skip() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t')) ++pos_;
  }
  bool expr() {
    if (!unary()) return false;
    for (;;) {
      skip();
      if (pos_ >= s_.size()) return true;
      const std::string_view rest = s_.substr(pos_);
      std::size_t op = 0;
      if (rest.starts_with("<=") || rest.starts_with(">=") || rest.starts_with("<>"))
        op = 2;
      else if (std::string_view("+-*/^&=<>").find(rest[0]) != std::string_view::npos)
        op = 1;
      if (op == 0) return true;
      pos_ += op;
      if (!unary()) return false;
    }
  }
  bool unary() {
    skip();
    while (pos_ < s_.size() && (s_[pos_] == '-' || s_[pos_] == '+')) {
      ++pos_;
      skip();
    }
    if (!primary()) return false;
    skip();
    if (pos_ < s_.size() && s_[pos_] == '%') ++pos_;
    return true;
  }
  bool primary() {
    if (pos_ >= s_.size()) return false;
    const std::string_view rest = s_.substr(pos_);
    if (rest[0] == '"') {
      const std::size_t n = scanLiteral(rest, nullptr);
      if (n == 0) return false;
      pos_ += n;
      return true;
    }
    if (rest[0] == '(') {
      ++pos_;
      if (!expr()) return false;
      skip();
      if (pos_ >= s_.size() || s_[pos_] != ')') return false;
      ++pos_;
      return true;
    }
    if (std::size_t n = scanNumber(rest); n > 0) {
      pos_ += n;
      // An optional unit right after the number ("2 in", "0DA", "5 mm").
      std::size_t save = pos_;
      skip();
      std::size_t start = pos_;
      while (pos_ < s_.size() &&
             (std::isalpha(static_cast<unsigned char>(s_[pos_])) || s_[pos_] == '_'))
        ++pos_;
      if (pos_ < s_.size() && s_[pos_] == '.' && pos_ > start) ++pos_;
      if (pos_ == start) {
        pos_ = save;
        return true;
      }
      const std::string_view unit = s_.substr(start, pos_ - start);
      return findUnit(unit) != nullptr || isUnitCode(unit);
    }
    if (isNameStart(rest[0])) {
      while (pos_ < s_.size() && isNameChar(s_[pos_])) ++pos_;
      if (s_[pos_ - 1] == '.' || s_[pos_ - 1] == '!') return false;  // "Sheet.1!" names nothing
      skip();
      if (pos_ < s_.size() && s_[pos_] == '(') {
        ++pos_;
        skip();
        if (pos_ < s_.size() && s_[pos_] == ')') {
          ++pos_;
          return true;
        }
        for (;;) {
          if (!expr()) return false;
          skip();
          if (pos_ < s_.size() && s_[pos_] == ',') {
            ++pos_;
            continue;
          }
          if (pos_ < s_.size() && s_[pos_] == ')') {
            ++pos_;
            return true;
          }
          return false;
        }
      }
      return true;
    }
    return false;
  }

  std::string_view s_;
  std::size_t pos_ = 0;
};

}  // namespace

std::string formatNumber(double d) {
  if (std::fabs(d) < 1e-12) d = 0.0;  // no "-0" and no rounding dust
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.12g", d);
  return buf;
}

std::string quoteLiteral(std::string_view text) {
  std::string f = "\"";
  for (char c : text) {
    if (c == '"') f += '"';
    f += c;
  }
  f += '"';
  return f;
}

std::optional<ParsedFormula> parseFormula(std::string_view formula) {
  std::string_view s = trim(formula);
  if (!s.empty() && s.front() == '=') s = trim(s.substr(1));
  ParsedFormula p;
  if (s.empty()) return p;  // Kind::Empty

  if (s.front() == '"') {
    std::string text;
    if (const std::size_t n = scanLiteral(s, &text); n == s.size()) {
      p.kind = ParsedFormula::Kind::Literal;
      p.text = std::move(text);
      return p;
    }
  }

  {
    std::string_view rest = s;
    bool negative = false;
    if (!rest.empty() && (rest.front() == '-' || rest.front() == '+')) {
      negative = rest.front() == '-';
      rest.remove_prefix(1);
    }
    if (const std::size_t n = scanNumber(rest); n > 0) {
      const double number = std::strtod(std::string(rest.substr(0, n)).c_str(), nullptr);
      const std::string_view unit = trim(rest.substr(n));
      if (unit.empty()) {
        p.kind = ParsedFormula::Kind::Number;
        p.value = negative ? -number : number;
        return p;
      }
      if (const UnitInfo* u = findUnit(unit)) {
        p.kind = ParsedFormula::Kind::Number;
        p.value = (negative ? -number : number) * u->toInternal;
        p.unit = std::string(u->code);
        return p;
      }
    }
  }

  if (iequals(s, "TRUE") || iequals(s, "FALSE")) {
    p.kind = ParsedFormula::Kind::Boolean;
    p.value = iequals(s, "TRUE") ? 1.0 : 0.0;
    return p;
  }

  if (SyntaxCheck(s).run()) {
    p.kind = ParsedFormula::Kind::Expression;
    p.text = std::string(s);
    return p;
  }
  return std::nullopt;
}

std::string formulaOfValue(std::string_view v, std::string_view u, bool isLength, bool isText) {
  if (u == "STR") return quoteLiteral(v);
  if (u == "BOOL") return (v == "0" || v.empty()) ? "FALSE" : "TRUE";
  if (v.empty()) return {};
  char* end = nullptr;
  const std::string vs(v);
  const double d = std::strtod(vs.c_str(), &end);
  // Not a number: a string cell's text, or a colour "#ff0000", a font name, shown as stored.
  if (end == vs.c_str() || *end != '\0') return isText ? quoteLiteral(v) : vs;

  struct Shown {
    std::string_view code;
    std::string_view written;
    double fromInternal;
  };
  static constexpr Shown kShown[] = {
      {"IN", "in", 1.0},         {"IN_F", "in", 1.0},      {"DL", "in", 1.0},
      {"DP", "in", 1.0},         {"MM", "mm", 25.4},       {"CM", "cm", 2.54},
      {"M", "m", 0.0254},        {"FT", "ft", 1 / 12.0},   {"PT", "pt", 72.0},
      {"DEG", "deg", 180 / kPi}, {"DA", "deg", 180 / kPi}, {"RAD", "rad", 1.0},
  };
  for (const auto& s : kShown)
    if (u == s.code) return formatNumber(d * s.fromInternal) + " " + std::string(s.written);
  if (u.empty() && isLength) return formatNumber(d) + " in";
  return formatNumber(d);
}

}  // namespace tw::drawapp
