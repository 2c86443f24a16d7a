#include "drawing/renumber.h"

#include <gtest/gtest.h>

#include <random>

#include "drawing/events.h"
#include "fake_page.h"
#include "literal_renumber.h"
#include "platform/automation/counting.h"

namespace tw {
namespace {

using test::FakeApp;

class Renumber : public ::testing::Test {
 protected:
  void SetUp() override {
    app = std::make_shared<FakeApp>();
    VisioApp = AutoRef(app);
  }
  void TearDown() override { VisioApp.reset(); }
  std::string number(const std::shared_ptr<test::FakeShape>& s) {
    return s->values.count(0) ? s->values[0] : "(none)";
  }
  std::shared_ptr<FakeApp> app;
};

TEST_F(Renumber, EmptyPageOrNoEventsWritesNothing) {
  RenumberEvents();
  auto box = app->add("Rectangle", "1 mm", "1 mm");
  auto conn = app->add("Velmar Connector", "bad", "bad");
  RenumberEvents();
  EXPECT_EQ(box->writes + conn->writes, 0);
}

TEST_F(Renumber, OrderByColumnThenTopFirst) {
  struct Case {
    const char* what;
    std::vector<std::pair<std::string, std::string>> pins;
    std::vector<std::string> numbers;
  } cases[] = {
      {"one event", {{"5 mm", "5 mm"}}, {"\"P1\""}},
      {"left to right, top first",
       {{"10 mm", "50 mm"}, {"30 mm", "40 mm"}, {"10 mm", "20 mm"}},
       {"\"P1\"", "\"P3\"", "\"P2\""}},
      {"same place shares the highest number",
       {{"7 mm", "7 mm"}, {"7 mm", "7 mm"}},
       {"\"P2\"", "\"P2\""}},
      {"one column by the whole part",
       {{"105.2 mm", "20 mm"}, {"105.9 mm", "50 mm"}},
       {"\"P2\"", "\"P1\""}},
      {"negative coordinates", {{"0 mm", "0 mm"}, {"-3 mm", "0 mm"}}, {"\"P2\"", "\"P1\""}},
      {"units are not compared", {{"2.5 in", "0 in"}, {"10 mm", "0 mm"}}, {"\"P1\"", "\"P2\""}},
  };
  for (const auto& c : cases) {
    SetUp();
    std::vector<std::shared_ptr<test::FakeShape>> events;
    app->add("Velmar Connector", "0 mm", "0 mm");
    for (std::size_t i = 0; i < c.pins.size(); ++i)
      events.push_back(app->add(i % 2 ? "Событие." + std::to_string(i + 1) : "Событие",
                                c.pins[i].first, c.pins[i].second));
    RenumberEvents();
    for (std::size_t i = 0; i < events.size(); ++i)
      EXPECT_EQ(number(events[i]), c.numbers[i]) << c.what << " #" << i;
    // A second run writes the same numbers again.
    RenumberEvents();
    for (std::size_t i = 0; i < events.size(); ++i)
      EXPECT_EQ(number(events[i]), c.numbers[i]) << c.what;
    EXPECT_EQ(events[0]->writes, 2) << c.what;
  }
}

TEST_F(Renumber, BadPositionAnywhereStopsBeforeAnyWrite) {
  auto a = app->add("Событие", "10 mm", "10 mm");
  auto b = app->add("Событие.2", "20 mm", "10 mm");
  auto c = app->add("Событие.3", "30 mm", "120");
  try {
    RenumberEvents();
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "'' is not a valid integer value");
  }
  EXPECT_EQ(a->writes + b->writes + c->writes, 0);
}

TEST_F(Renumber, RefusedWriteKeepsEarlierNumbersOnly) {
  auto a = app->add("Событие", "10 mm", "10 mm");
  auto b = app->add("Событие.2", "20 mm", "10 mm");
  auto c = app->add("Событие.3", "30 mm", "10 mm");
  b->propRows = 0;
  EXPECT_THROW(RenumberEvents(), Error);
  EXPECT_EQ(number(a), "\"P1\"");
  EXPECT_EQ(number(c), "(none)");
}

// Pages whose positions collide in every way the numbering distinguishes.
void fillRandomPage(FakeApp& app, std::mt19937& rng, int events, bool withBadFormula) {
  std::uniform_int_distribution<int> coord(-6, 6), frac(0, 99), kind(0, 9);
  const char* units[] = {" mm", " in", " cm", ""};
  auto formula = [&](bool mayBeBad) {
    const int k = kind(rng);
    if (mayBeBad && k == 0) return std::string("120");  // no blank, no period
    std::string f = std::to_string(coord(rng));
    if (k < 6) f += "." + std::to_string(frac(rng));
    const char* unit = units[k % 3];
    if (k >= 6) unit = " mm";  // a whole number needs its unit
    return f + unit;
  };
  (void)units[3];
  const int badAt = withBadFormula ? std::uniform_int_distribution<int>(0, events - 1)(rng) : -1;
  for (int i = 0; i < events; ++i) {
    if (kind(rng) < 2) app.add("Velmar Connector." + std::to_string(i), "x", "y");
    std::string x = formula(false), y = formula(false);
    if (i == badAt) (kind(rng) < 5 ? x : y) = "Sheet.1!PinX";
    app.add(i == 0 ? "Событие" : "Событие." + std::to_string(i + 1), x, y);
  }
}

TEST(RenumberOracle, MatchesTheOriginalAlgorithmOnRandomPages) {
  std::mt19937 rng(20261211);
  int failedRounds = 0;
  for (int round = 0; round < 300; ++round) {
    const int events = 1 + round % 25;
    const bool bad = round % 7 == 3;
    const auto seed = rng();
    std::mt19937 r1(seed), r2(seed);
    auto fast = std::make_shared<FakeApp>();
    auto literal = std::make_shared<FakeApp>();
    fillRandomPage(*fast, r1, events, bad);
    fillRandomPage(*literal, r2, events, bad);

    std::string fastError, literalError;
    VisioApp = AutoRef(fast);
    try {
      RenumberEvents();
    } catch (const Error& e) {
      fastError = e.what();
    }
    VisioApp = AutoRef(literal);
    try {
      test::LiteralRenumberEvents();
    } catch (const Error& e) {
      literalError = e.what();
    }
    VisioApp.reset();

    ASSERT_EQ(fastError, literalError) << "round " << round;
    if (!fastError.empty()) ++failedRounds;
    ASSERT_EQ(fast->shapes.size(), literal->shapes.size());
    for (std::size_t i = 0; i < fast->shapes.size(); ++i) {
      ASSERT_EQ(fast->shapes[i]->values, literal->shapes[i]->values)
          << "round " << round << " shape " << i;
      ASSERT_EQ(fast->shapes[i]->writes, literal->shapes[i]->writes)
          << "round " << round << " shape " << i;
    }
  }
  // Both the failing and the numbering paths were compared.
  EXPECT_GT(failedRounds, 20);
  EXPECT_LT(failedRounds, 280);
}

TEST(RenumberCalls, GrowLinearlyWithTheEvents) {
  for (int n : {10, 100, 1000}) {
    auto app = std::make_shared<FakeApp>();
    for (int i = 0; i < n; ++i)
      app->add("Событие." + std::to_string(i), std::to_string(i % 17) + " mm",
               std::to_string(i % 5) + ".5 mm");
    auto counter = std::make_shared<CallCounter>();
    VisioApp = AutoRef(countCalls(app, counter));
    RenumberEvents();
    VisioApp.reset();
    EXPECT_LE(counter->calls, 8u * static_cast<unsigned>(n) + 20u) << n;
  }
}

}  // namespace
}  // namespace tw
