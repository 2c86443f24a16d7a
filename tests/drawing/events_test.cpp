#include "drawing/events.h"

#include <gtest/gtest.h>

#include "fake_page.h"
#include "platform/automation/counting.h"

namespace tw {
namespace {

TEST(EventName, ContainsMasterNameCaseSensitively) {
  EXPECT_TRUE(IsEventName("Событие"));
  EXPECT_TRUE(IsEventName("Событие.7"));
  EXPECT_TRUE(IsEventName("Копия Событие"));
  EXPECT_FALSE(IsEventName("событие"));
  EXPECT_FALSE(IsEventName("Velmar Connector"));
  EXPECT_FALSE(IsEventName(""));
}

TEST(StripQuotes, Cases) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"", ""},
      {"\"", ""},
      {"\"\"", ""},
      {"P12", "P12"},
      {"\"P12\"", "P12"},
      {"\"P12", "P12"},
      {"P12\"", "P12"},
      {"\"a\"\"b\"", "a\"b"},  // a literal we write: the doubled quote is one quote
      {"\"\"\"\"", "\""},      // a literal holding a lone quote
      {"\"a\"b\"", "a\"b"},    // not a well-formed literal: one quote off each end
      {"Sheet.2!Prop.Row_1", "Sheet.2!Prop.Row_1"},
      {"\"Этап «1»\"", "Этап «1»"},
  };
  for (const auto& c : cases) EXPECT_EQ(StripQuotes(c.in), c.out) << c.in;
}

TEST(QuoteFormula, RoundTripsEveryTextThroughStripQuotes) {
  for (std::string text :
       {"", "P1", "\"", "\"\"", "a\"b", "\"quoted\"", "Имя \"в кавычках\"", "x\ny & <z>"}) {
    EXPECT_EQ(StripQuotes(QuoteFormula(text)), text) << text;
  }
  EXPECT_EQ(QuoteFormula(""), "\"\"");
  EXPECT_EQ(QuoteFormula("a\"b"), "\"a\"\"b\"");
}

TEST(FormulaToInt, Cases) {
  struct Case {
    const char* formula;
    int value;
  } good[] = {{"105.25 mm", 105}, {"-3.7 mm", -3}, {"120 mm", 120},
              {"0 mm", 0},        {"2.5", 2},      {"4.25 in", 4}};
  for (const auto& c : good) EXPECT_EQ(FormulaToInt(c.formula), c.value) << c.formula;

  struct Bad {
    const char* formula;
    const char* message;
  } bad[] = {{"120", "'' is not a valid integer value"},
             {"4 in.", "'4 in' is not a valid integer value"},
             {"Sheet.2!PinX", "'Sheet' is not a valid integer value"},
             {"", "'' is not a valid integer value"}};
  for (const auto& c : bad) {
    try {
      FormulaToInt(c.formula);
      ADD_FAILURE() << c.formula;
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), c.message);
      EXPECT_EQ(e.kind(), errkind::kConvert);
    }
  }
}

TEST(ReadPropFormula, MissingRowGivesEmptyTextWithOneCall) {
  auto app = std::make_shared<test::FakeApp>();
  auto shape = app->add("Событие", "1 mm", "1 mm");
  shape->propRows = 3;
  auto counter = std::make_shared<CallCounter>();
  AutoRef counted(countCalls(shape, counter));
  EXPECT_EQ(ReadPropFormula(counted, 5), "");
  EXPECT_EQ(counter->calls, 1u);
}

TEST(ReadPropFormula, ReturnsTheFormulaWithItsQuotes) {
  auto app = std::make_shared<test::FakeApp>();
  auto shape = app->add("Событие", "1 mm", "1 mm");
  shape->values[0] = "\"P12\"";
  shape->values[1] = "Sheet.5!Prop.Row_2";
  EXPECT_EQ(ReadPropFormula(AutoRef(shape), 0), "\"P12\"");
  EXPECT_EQ(StripQuotes(ReadPropFormula(AutoRef(shape), 0)), "P12");
  EXPECT_EQ(ReadPropFormula(AutoRef(shape), 1), "Sheet.5!Prop.Row_2");
}

TEST(EventRoutines, EmptyReferenceFailsWithInvalidVariantOperation) {
  AutoRef none;
  for (auto f : {+[](const AutoRef& s) { ReadPropFormula(s, 0); },
                 +[](const AutoRef& s) { WritePropValue(s, 0, "x"); }}) {
    try {
      f(none);
      ADD_FAILURE();
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "Invalid variant operation");
      EXPECT_EQ(e.kind(), errkind::kInvalidVariantOp);
    }
  }
}

TEST(WritePropValue, WritesAQuotedLiteralAndRefusalKeepsTheOldValue) {
  auto app = std::make_shared<test::FakeApp>();
  auto shape = app->add("Событие", "1 mm", "1 mm");
  WritePropValue(AutoRef(shape), 2, "");
  EXPECT_EQ(shape->values[2], "\"\"");
  WritePropValue(AutoRef(shape), 3, "Сдать \"этап\"");
  EXPECT_EQ(shape->values[3], "\"Сдать \"\"этап\"\"\"");
  shape->refuseWrites = true;
  EXPECT_THROW(WritePropValue(AutoRef(shape), 3, "new"), Error);
  EXPECT_EQ(shape->values[3], "\"Сдать \"\"этап\"\"\"");
}

}  // namespace
}  // namespace tw
