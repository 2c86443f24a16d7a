// Formula texts: what a put may store, and how a value-only cell shows its formula.
#include <gtest/gtest.h>

#include "drawing/events.h"
#include "platform/drawapp/formula.h"

namespace tw::drawapp {
namespace {

using Kind = ParsedFormula::Kind;

TEST(ParseFormula, ConstantsLiteralsAndExpressions) {
  struct Case {
    const char* formula;
    Kind kind;
    double value;
    const char* unitOrText;
  };
  const Case cases[] = {
      {"\"P12\"", Kind::Literal, 0, "P12"},
      {"  =\"a \"\"b\"\" c\"  ", Kind::Literal, 0, "a \"b\" c"},
      {"\"Событие\"", Kind::Literal, 0, "Событие"},
      {"105.25 mm", Kind::Number, 105.25 / 25.4, "MM"},
      {"-3.7 MM", Kind::Number, -3.7 / 25.4, "MM"},
      {"4 in.", Kind::Number, 4, "IN"},
      {"2.54cm", Kind::Number, 1, "CM"},
      {"72 pt", Kind::Number, 1, "PT"},
      {"90 deg", Kind::Number, 1.5707963267948966, "DEG"},
      {"1", Kind::Number, 1, ""},
      {".5", Kind::Number, 0.5, ""},
      {"1e3", Kind::Number, 1000, ""},
      {"false", Kind::Boolean, 0, ""},
      {"", Kind::Empty, 0, ""},
      {"Width*0.5", Kind::Expression, 0, "Width*0.5"},
      {"PAR(PNT(Sheet.1!Connections.X1,Sheet.1!Connections.Y1))", Kind::Expression, 0,
       "PAR(PNT(Sheet.1!Connections.X1,Sheet.1!Connections.Y1))"},
      {"GUARD(0DA)", Kind::Expression, 0, "GUARD(0DA)"},
      {"\"a\"&\"b\"", Kind::Expression, 0, "\"a\"&\"b\""},
      {"-(Height)*2 in<=3%", Kind::Expression, 0, "-(Height)*2 in<=3%"},
      {"NOW()", Kind::Expression, 0, "NOW()"},
  };
  for (const Case& c : cases) {
    const auto p = parseFormula(c.formula);
    ASSERT_TRUE(p) << c.formula;
    EXPECT_EQ(p->kind, c.kind) << c.formula;
    if (c.kind == Kind::Number) {
      EXPECT_NEAR(p->value, c.value, 1e-12) << c.formula;
      EXPECT_EQ(p->unit, c.unitOrText) << c.formula;
    } else if (c.kind == Kind::Boolean) {
      EXPECT_EQ(p->value, c.value) << c.formula;
    } else if (c.kind != Kind::Empty) {
      EXPECT_EQ(p->text, c.unitOrText) << c.formula;
    }
  }
}

TEST(ParseFormula, RefusesWhatItCannotParse) {
  for (const char* bad : {"\"open", "\"a\"b\"", "\"a\" \"b\"", "1 +", "(1", "1)", "f(1,",
                          "12 mm mm", "5 parsecs", "*2", "Sheet.1!", "1,2", "#", "a b"})
    EXPECT_FALSE(parseFormula(bad)) << bad;
}

TEST(FormulaOfValue, ValuesWrittenInTheirUnit) {
  struct Case {
    const char* v;
    const char* u;
    bool length;
    bool text;
    const char* formula;
  };
  const Case cases[] = {
      {"4.14370078740157", "MM", true, false, "105.25 mm"},
      {"4.25", "", true, false, "4.25 in"},
      {"4.25", "IN", false, false, "4.25 in"},
      {"2", "IN_F", true, false, "2 in"},
      {"-0.145669291338583", "MM", true, false, "-3.7 mm"},
      {"0.01388888888888889", "PT", false, false, "1 pt"},
      {"1.5707963267948966", "DEG", false, false, "90 deg"},
      {"3", "", false, false, "3"},
      {"-5.8E-17", "", true, false, "0 in"},
      {"P1", "STR", false, false, "\"P1\""},
      {"a \"q\"", "STR", false, false, "\"a \"\"q\"\"\""},
      {"Номер", "", false, true, "\"Номер\""},
      {"#ff0000", "", false, false, "#ff0000"},
      {"1", "BOOL", false, false, "TRUE"},
      {"", "", true, false, ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(formulaOfValue(c.v, c.u, c.length, c.text), c.formula) << c.v;
}

TEST(FormulaOfValue, WholeNumberPartSurvivesFormulaToInt) {
  // Positions written by the application must read back with the event routines.
  for (double inches : {0.0, 2.0, 9.0, 4.25, 105.25 / 25.4, -3.7 / 25.4, 1234.5}) {
    const std::string in = formulaOfValue(std::to_string(inches), "", true, false);
    EXPECT_EQ(FormulaToInt(in), static_cast<std::int32_t>(inches)) << in;
    const std::string mm = formulaOfValue(std::to_string(inches), "MM", true, false);
    EXPECT_EQ(FormulaToInt(mm), static_cast<std::int32_t>(std::stod(mm))) << mm;
  }
}

}  // namespace
}  // namespace tw::drawapp
