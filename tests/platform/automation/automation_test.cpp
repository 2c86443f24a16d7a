#include "platform/automation/automation.h"

#include <gtest/gtest.h>

#include "platform/automation/counting.h"

namespace tw {
namespace {

// Records what reaches it and answers with its arguments.
struct Echo : Dispatch {
  std::string lastMember;
  InvokeKind lastKind = InvokeKind::Get;
  std::vector<Variant> lastArgs;
  std::shared_ptr<Echo> child;
  Variant invoke(std::string_view member, InvokeKind kind,
                 const std::vector<Variant>& args) override {
    lastMember = std::string(member);
    lastKind = kind;
    lastArgs = args;
    if (member == "Child") {
      if (!child) child = std::make_shared<Echo>();
      return Variant(DispatchPtr(child));
    }
    if (member == "Same") return args.at(0);
    if (member == "Fail") throw Error(errkind::kOle, "Inexistent cell row.");
    if (member.empty()) return Variant("echo");
    return {};
  }
};

TEST(AutoRef, EveryCallOnAnEmptyReferenceFails) {
  AutoRef none;
  auto expectInvalid = [](auto&& f) {
    try {
      f();
      ADD_FAILURE();
    } catch (const Error& e) {
      EXPECT_STREQ(e.what(), "Invalid variant operation");
      EXPECT_EQ(e.kind(), errkind::kInvalidVariantOp);
    }
  };
  expectInvalid([&] { none.get("Name"); });
  expectInvalid([&] { none.call("Delete"); });
  expectInvalid([&] { none.put("FormulaU", Variant("1")); });
  expectInvalid([&] { none.text(); });
  expectInvalid([&] { Variant(std::int32_t{1}).ref(); });
  expectInvalid([&] { AutoRef::fromVariant(Variant("x")); });
}

TEST(AutoRef, PassesKindsArgumentsAndPutValueLast) {
  auto echo = std::make_shared<Echo>();
  AutoRef r(echo);
  r.get("CellsSRC", {std::int32_t{243}, std::int32_t{0}, std::int32_t{0}});
  EXPECT_EQ(echo->lastMember, "CellsSRC");
  EXPECT_EQ(echo->lastKind, InvokeKind::Get);
  EXPECT_EQ(echo->lastArgs.size(), 3u);
  r.put("FormulaU", Variant("\"x\""));
  EXPECT_EQ(echo->lastKind, InvokeKind::Put);
  ASSERT_EQ(echo->lastArgs.size(), 1u);
  EXPECT_EQ(echo->lastArgs[0].toText(), "\"x\"");
  r.call("Delete");
  EXPECT_EQ(echo->lastKind, InvokeKind::Call);
  EXPECT_EQ(r.text(), "echo");
}

TEST(AutoRef, ApplicationErrorsPassThroughWithTheirDescription) {
  AutoRef r(std::make_shared<Echo>());
  try {
    r.get("Fail");
    FAIL();
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Inexistent cell row.");
    EXPECT_EQ(e.kind(), errkind::kOle);
  }
}

TEST(AutoRef, CopiesShareAndResetReleases) {
  auto echo = std::make_shared<Echo>();
  AutoRef a(echo);
  {
    AutoRef b = a;
    EXPECT_EQ(echo.use_count(), 3);
  }
  a.reset();
  EXPECT_TRUE(a.empty());
  EXPECT_EQ(echo.use_count(), 1);
}

TEST(Variant, Conversions) {
  EXPECT_EQ(Variant(std::int32_t{5}).toText(), "5");
  EXPECT_EQ(Variant("12").toInt(), 12);
  EXPECT_EQ(Variant(2.6).toInt(), 3);
  EXPECT_EQ(Variant(true).toInt(), -1);
  EXPECT_EQ(Variant().toText(), "");
  EXPECT_DOUBLE_EQ(Variant("1.25").toDouble(), 1.25);
  EXPECT_THROW(Variant("abc").toInt(), Error);
  EXPECT_TRUE(Variant(DispatchPtr()).isEmpty());
  EXPECT_EQ(Variant(DispatchPtr(std::make_shared<Echo>())).toText(), "echo");
}

TEST(CountCalls, CountsThroughReturnedObjectsAndUnwrapsArguments) {
  auto echo = std::make_shared<Echo>();
  auto counter = std::make_shared<CallCounter>();
  AutoRef counted(countCalls(echo, counter));
  AutoRef child = counted.getRef("Child");
  child.get("Name");
  child.text();
  EXPECT_EQ(counter->calls, 3u);
  // A wrapped object handed back reaches the application as its own object.
  counted.get("Same", {child.asVariant()});
  EXPECT_EQ(echo->lastArgs.at(0).ref(), DispatchPtr(echo->child));
  EXPECT_EQ(counter->calls, 4u);
  EXPECT_EQ(countCalls(nullptr, counter), nullptr);
}

}  // namespace
}  // namespace tw
