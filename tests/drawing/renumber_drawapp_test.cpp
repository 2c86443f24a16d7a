// Renumbering on the in-process drawing application: what it writes, and
// that it matches the original algorithm there too.
#include <gtest/gtest.h>

#include <random>

#include "drawing/events.h"
#include "drawing/renumber.h"
#include "literal_renumber.h"
#include "platform/drawapp/drawing_app.h"

namespace tw {
namespace {

struct Page {
  std::unique_ptr<drawapp::DrawingApp> app = drawapp::DrawingApp::createNew();
  AutoRef application = app->application();
  AutoRef page = application.getRef("ActivePage");

  AutoRef master(const char* name) const {
    return application.getRef("Documents")
        .getRef("Item", {Variant("Tarnwick.vss")})
        .getRef("Masters")
        .getRef("ItemU", {Variant(name)});
  }
  AutoRef drop(const char* masterName, double x, double y) const {
    return AutoRef::fromVariant(
        page.call("Drop", {master(masterName).asVariant(), Variant(x), Variant(y)}));
  }
  static void setPin(const AutoRef& shape, const std::string& x, const std::string& y) {
    shape.getRef("CellsSRC", {std::int32_t{1}, std::int32_t{1}, std::int32_t{0}})
        .put("FormulaU", Variant(x));
    shape.getRef("CellsSRC", {std::int32_t{1}, std::int32_t{1}, std::int32_t{1}})
        .put("FormulaU", Variant(y));
  }
};

TEST(RenumberOnTheDrawingApplication, NumbersDroppedEventsAndLeavesOtherShapesAlone) {
  Page p;
  const AutoRef a = p.drop("Событие", 1, 5);
  const AutoRef connector = p.drop("Velmar Connector", 5, 5);
  const AutoRef b = p.drop("Событие", 1, 2);
  const AutoRef c = p.drop("Событие", 3, 4);
  Page::setPin(c, "105.9 mm", "50 mm");
  Page::setPin(b, "105.2 mm", "20 mm");
  Page::setPin(a, "10 mm", "0 mm");
  VisioApp = p.application;
  RenumberEvents();
  VisioApp.reset();
  EXPECT_EQ(ReadPropFormula(a, 0), "\"P1\"");
  EXPECT_EQ(ReadPropFormula(c, 0), "\"P2\"");
  EXPECT_EQ(ReadPropFormula(b, 0), "\"P3\"");
  EXPECT_EQ(connector.get("Name").toText(), "Velmar Connector");
}

TEST(RenumberOnTheDrawingApplication, MatchesTheOriginalAlgorithm) {
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> coord(0, 8), kind(0, 3);
  for (int round = 0; round < 20; ++round) {
    Page fast, literal;
    for (int i = 0; i < 12; ++i) {
      const double x = coord(rng) * 0.5, y = coord(rng) * 0.5;
      const bool connector = kind(rng) == 0;
      for (Page* p : {&fast, &literal}) p->drop(connector ? "Velmar Connector" : "Событие", x, y);
    }
    VisioApp = fast.application;
    RenumberEvents();
    VisioApp = literal.application;
    test::LiteralRenumberEvents();
    VisioApp.reset();
    const AutoRef fs = fast.page.getRef("Shapes"), ls = literal.page.getRef("Shapes");
    ASSERT_EQ(fs.get("Count").toInt(), ls.get("Count").toInt());
    for (std::int32_t i = 1; i <= fs.get("Count").toInt(); ++i)
      EXPECT_EQ(ReadPropFormula(fs.getRef("Item", {i}), 0),
                ReadPropFormula(ls.getRef("Item", {i}), 0))
          << "round " << round << " shape " << i;
  }
}

}  // namespace
}  // namespace tw
