// Predecessor links on the in-process drawing application.
#include <gmock/gmock.h>

#include "drawing_fixture.h"
#include "platform/automation/counting.h"

namespace tw::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

class LinksTest : public DrawingFixture {};

TEST_F(LinksTest, ListsOtherEventsInPageOrderAndMarksOnlyPredecessors) {
  const AutoRef pred = dropEvent({"P1", "ОГМ", "101", "Проект согласован"}, 1, 1);
  CurrentShape = dropEvent({"P2", "КБ-1", "102", "Рабочая документация"}, 4, 1);
  const AutoRef succ = dropEvent({"P3", "", "", ""}, 7, 1);
  const AutoRef other = dropEvent({"P4", "Цех \"Север\"", "104", "Монтаж"}, 7, 4);
  DropConnector(VisioApp, pred, CurrentShape);  // a predecessor
  DropConnector(VisioApp, CurrentShape, succ);  // a successor: never marked

  const auto items = LoadPredecessors();
  ASSERT_EQ(items.size(), 3u);
  EXPECT_EQ(items[0].text, "ОГМ-101   Проект согласован");
  EXPECT_EQ(items[1].text, "-   ");  // no subdivision, code or name
  EXPECT_EQ(items[2].text, "Цех \"Север\"-104   Монтаж");
  EXPECT_THAT(marks(items),
              ElementsAre(Pair(id(pred), true), Pair(id(succ), false), Pair(id(other), false)));
  EXPECT_EQ(InitialChecks, (std::vector<bool>{true, false, false}));

  std::vector<std::string> linked;
  GetLinkedPredecessors(linked);
  EXPECT_THAT(linked, ElementsAre(std::to_string(id(pred))));
}

TEST_F(LinksTest, LoneEventGivesEmptyListAndSavingTouchesNothing) {
  CurrentShape = dropEvent({"P1"});
  EXPECT_TRUE(LoadPredecessors().empty());
  EXPECT_TRUE(InitialChecks.empty());
  EXPECT_TRUE(ApplyPredecessorChanges({}).empty());
  EXPECT_EQ(pageShapes().size(), 1u);
}

TEST_F(LinksTest, MarkingDropsOneConnectorFromPointOneToPointTwoBehindEverything) {
  const AutoRef pred = dropEvent({"P1", "ОГМ", "1", "А"}, 1, 1);
  CurrentShape = dropEvent({"P2", "ОГМ", "2", "Б"}, 4, 1);
  auto items = LoadPredecessors();
  ASSERT_EQ(items.size(), 1u);
  items[0].checked = true;
  EXPECT_TRUE(ApplyPredecessorChanges(items).empty());

  const auto cs = connectors();
  ASSERT_EQ(cs.size(), 1u);
  const AutoRef& c = cs[0];
  EXPECT_EQ(pageShapes().front().text(), c.text()) << "sent behind every other shape";
  EXPECT_EQ(c.getRef("CellsSRC", {visSectionObject, visRowShapeLayout, visSLOLineRouteExt})
                .get("FormulaU")
                .toText(),
            "1");
  EXPECT_EQ(c.getRef("CellsSRC", {visSectionObject, visRowShapeLayout, visSLORouteStyle})
                .get("FormulaU")
                .toText(),
            "1");
  const AutoRef connects = c.getRef("Connects");
  ASSERT_EQ(connects.get("Count").toInt(), 2);
  for (std::int32_t j = 1; j <= 2; ++j) {
    const AutoRef entry = connects.getRef("Item", {j});
    const std::string from = entry.getRef("FromCell").get("Name").toText();
    const std::string to = entry.getRef("ToCell").get("Name").toText();
    const std::int32_t target = id(entry.getRef("ToCell").getRef("Shape"));
    if (from == "BeginX") {
      EXPECT_EQ(to, "Connections.X1");
      EXPECT_EQ(target, id(pred));
    } else {
      EXPECT_EQ(from, "EndX");
      EXPECT_EQ(to, "Connections.X2");
      EXPECT_EQ(target, id(CurrentShape));
    }
  }

  // The next opening shows the new predecessor marked.
  EXPECT_THAT(marks(LoadPredecessors()), ElementsAre(Pair(id(pred), true)));
}

TEST_F(LinksTest, UnmarkingDeletesOneOfTwoParallelConnectorsAndKeepsSuccessorLinks) {
  const AutoRef pred = dropEvent({"P1"}, 1, 1);
  CurrentShape = dropEvent({"P2"}, 4, 1);
  DropConnector(VisioApp, pred, CurrentShape);
  DropConnector(VisioApp, pred, CurrentShape);
  DropConnector(VisioApp, CurrentShape,
                pred);  // the other way: a successor link between the same two
  auto items = LoadPredecessors();
  ASSERT_THAT(marks(items), ElementsAre(Pair(id(pred), true)));

  items[0].checked = false;
  EXPECT_TRUE(ApplyPredecessorChanges(items).empty());

  const auto cs = connectors();
  ASSERT_EQ(cs.size(), 2u);
  int predecessorLinks = 0, successorLinks = 0;
  for (const AutoRef& c : cs) {
    const auto targets = connectionTargets(c);
    ASSERT_FALSE(targets.empty());
    (targets.front() == id(pred) ? predecessorLinks : successorLinks)++;
  }
  EXPECT_EQ(predecessorLinks, 1);
  EXPECT_EQ(successorLinks, 1);
  EXPECT_THAT(marks(LoadPredecessors()), ElementsAre(Pair(id(pred), true)));
}

TEST_F(LinksTest, MarkThenUnmarkAgainChangesNothing) {
  const AutoRef a = dropEvent({"P1"}, 1, 1);
  const AutoRef b = dropEvent({"P2"}, 1, 4);
  CurrentShape = dropEvent({"P3"}, 4, 1);
  DropConnector(VisioApp, b, CurrentShape);
  auto items = LoadPredecessors();
  const std::size_t before = pageShapes().size();
  // Each item toggled twice ends as it began.
  for (auto& it : items) it.checked = !it.checked;
  for (auto& it : items) it.checked = !it.checked;
  EXPECT_TRUE(ApplyPredecessorChanges(items).empty());
  EXPECT_EQ(pageShapes().size(), before);
}

TEST_F(LinksTest, VanishedEventOrConnectorIsSkippedAndReportedAfterTheRest) {
  const AutoRef gone = dropEvent({"P1", "", "", "Удалено"}, 1, 1);
  const AutoRef linked = dropEvent({"P2", "", "", "Связано"}, 1, 4);
  const AutoRef fresh = dropEvent({"P3", "", "", "Новое"}, 1, 7);
  CurrentShape = dropEvent({"P4"}, 4, 1);
  const AutoRef link = DropConnector(VisioApp, linked, CurrentShape);
  auto items = LoadPredecessors();
  ASSERT_THAT(marks(items),
              ElementsAre(Pair(id(gone), false), Pair(id(linked), true), Pair(id(fresh), false)));

  const std::int32_t goneId = id(gone), linkedId = id(linked);
  // The drawing changes while the editor is open.
  gone.call("Delete");
  link.call("Delete");
  items[0].checked = true;   // its event is gone
  items[1].checked = false;  // its connector is gone
  items[2].checked = true;   // still fine

  const auto skipped = ApplyPredecessorChanges(items);
  ASSERT_EQ(skipped.size(), 2u);
  EXPECT_EQ(skipped[0].item.id, goneId);
  EXPECT_EQ(skipped[0].reason, SkippedLink::Reason::EventGone);
  EXPECT_EQ(skipped[1].item.id, linkedId);
  EXPECT_EQ(skipped[1].reason, SkippedLink::Reason::ConnectorGone);
  // Only the one sound change was made.
  const auto cs = connectors();
  ASSERT_EQ(cs.size(), 1u);
  EXPECT_EQ(connectionTargets(cs[0]).front(), id(fresh));
}

TEST_F(LinksTest, FindEventShapeKnowsOnlyEventsOfThePage) {
  const AutoRef a = dropEvent({"P1"}, 1, 1);
  const AutoRef b = dropEvent({"P2"}, 4, 1);
  const AutoRef c = DropConnector(VisioApp, a, b);
  EXPECT_EQ(FindEventShape(id(b)).text(), b.text());
  EXPECT_TRUE(FindEventShape(id(c)).empty()) << "a connector is no event";
  EXPECT_TRUE(FindEventShape(9999).empty());
  EXPECT_EQ(FindConnector(b, a).text(), c.text());
  EXPECT_TRUE(FindConnector(a, b).empty()) << "a is b's predecessor, not the other way round";
}

// Opening costs round trips in live Visio: they must grow with the page no
// faster than linearly.
TEST_F(LinksTest, OpeningCallsGrowLinearlyWithThePage) {
  auto callsFor = [&](int events) {
    SetUp();
    CurrentShape = dropEvent({"P0"}, 1, 1);
    for (int i = 1; i < events; ++i) {
      AutoRef e = dropEvent({"P", "ОГМ", "1", "Событие"}, 1 + i % 10, 1 + i / 10);
      if (i % 2 == 0) DropConnector(VisioApp, e, CurrentShape);
    }
    auto counter = std::make_shared<CallCounter>();
    const AutoRef plainApp = VisioApp, plainShape = CurrentShape;
    VisioApp = AutoRef(countCalls(plainApp.ptr(), counter));
    CurrentShape = AutoRef(countCalls(plainShape.ptr(), counter));
    LoadPredecessors();
    return counter->calls;
  };
  const auto small = callsFor(50);
  const auto large = callsFor(200);
  EXPECT_LE(large, small * 4 + small / 4)
      << small << " calls for 50 events, " << large << " for 200";
}

}  // namespace
}  // namespace tw::test
