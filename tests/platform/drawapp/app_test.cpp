// The in-process drawing application as the program's routines see it:
// through the automation seam, with Visio's member names.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>

#include "drawing/events.h"
#include "fixture.h"

namespace tw::drawapp::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;

constexpr double kEventW = 40 / 25.4;  // the event master's size, inches
constexpr double kEventH = 20 / 25.4;

std::vector<std::string> names(const AutoRef& shapes) {
  std::vector<std::string> out;
  const std::int32_t n = shapes.get("Count").toInt();
  for (std::int32_t i = 1; i <= n; ++i)
    out.push_back(shapes.getRef("Item", {i}).get("Name").toText());
  return out;
}

TEST_F(DrawingTest, DroppedShapesAreNamedAfterTheirMasterWithTheNextFreeId) {
  const AutoRef a = event();
  const AutoRef b = event();
  const AutoRef c = connector();
  const AutoRef d = event();
  EXPECT_THAT(names(shapes()),
              ElementsAre("Событие", "Событие.2", "Velmar Connector", "Событие.4"));
  EXPECT_EQ(a.get("ID").toInt(), 1);
  EXPECT_EQ(d.get("ID").toInt(), 4);

  // A deleted shape's name becomes free again; its ID is not handed out twice.
  a.call("Delete");
  const AutoRef e = event();
  EXPECT_EQ(e.get("ID").toInt(), 5);
  EXPECT_EQ(e.get("Name").toText(), "Событие");
  (void)b, (void)c;
}

TEST_F(DrawingTest, DropCopiesTheStencilMasterIntoTheDrawingOnce) {
  const AutoRef drawingMasters = vis_.getRef("ActiveDocument").getRef("Masters");
  EXPECT_EQ(drawingMasters.get("Count").toInt(), 0);
  event();
  event(4, 4);
  EXPECT_EQ(drawingMasters.get("Count").toInt(), 1);
  connector();
  EXPECT_EQ(drawingMasters.get("Count").toInt(), 2);
  EXPECT_EQ(drawingMasters.getRef("ItemU", {"Velmar Connector"}).get("NameU").toText(),
            "Velmar Connector");
  // The drawing's own copy can be dropped too, and is not copied again.
  page().call("Drop", {drawingMasters.getRef("ItemU", {"Событие"}).asVariant(), 1, 1});
  EXPECT_EQ(drawingMasters.get("Count").toInt(), 2);
}

TEST_F(DrawingTest, TheStencilIsFoundUnderEitherName) {
  for (const char* name : {"Tarnwick.vss", "Tarnwick.vssx", "TARNWICK.VSS"}) {
    const AutoRef doc = vis_.getRef("Documents").getRef("Item", {name});
    EXPECT_EQ(doc.get("Name").toText(), "Tarnwick.vssx") << name;
  }
  EXPECT_EQ(master("Событие").get("Name").toText(), "Событие");
  EXPECT_EQ(master("Velmar Connector").get("Name").toText(), "Velmar Connector");
}

TEST_F(DrawingTest, ShapesInheritEveryCellTheyDoNotOverride) {
  const AutoRef e = event();
  for (std::int32_t row = 0; row < EventRowCount; ++row) {
    EXPECT_EQ(e.get("CellsSRCExists", {visSectionProp, row, visCustPropsLabel, 0}).toInt(), -1)
        << row;
    EXPECT_EQ(e.get("CellsSRCExists", {visSectionProp, row, visCustPropsLabel, 1}).toInt(), 0)
        << row;
    EXPECT_EQ(ReadPropFormula(e, row), "\"\"") << row;
  }
  EXPECT_EQ(e.get("CellsSRCExists", {visSectionProp, EventRowCount, visCustPropsLabel, 0}).toInt(),
            0);
  EXPECT_EQ(e.getRef("CellsSRC", {visSectionProp, 3, visCustPropsLabel}).get("FormulaU").toText(),
            "\"Наименование\"");
  EXPECT_EQ(formula(e, "Prop.Row_8.Label"), "\"Фактическая дата\"");

  // Inherited geometry: the size and connection points come from the master.
  EXPECT_EQ(formula(e, "Width"), "40 mm");
  EXPECT_NEAR(result(e, "Connections.X1"), kEventW, 1e-9);
  EXPECT_NEAR(result(e, "Connections.X2"), 0, 1e-9);
  EXPECT_EQ(formula(e, "Connections.Y2"), "Height*0.5");
  EXPECT_EQ(formula(e, "EventXFMod"), "0") << "a cell every shape has, stated nowhere";

  // Writing a row makes it local; the other rows stay inherited.
  WritePropValue(e, RowName, "Сдача проекта");
  EXPECT_EQ(e.get("CellsSRCExists", {visSectionProp, RowName, visCustPropsValue, 1}).toInt(), -1);
  EXPECT_EQ(e.get("CellsSRCExists", {visSectionProp, RowCode, visCustPropsValue, 1}).toInt(), 0);
  EXPECT_EQ(StripQuotes(ReadPropFormula(e, RowName)), "Сдача проекта");
  EXPECT_EQ(formula(e, "Prop.Row_4.Label"), "\"Наименование\"");
}

TEST_F(DrawingTest, AnEventShowsItsNumberAsItsText) {
  const AutoRef e = event();
  EXPECT_EQ(e.get("Text").toText(), "");
  WritePropValue(e, RowNumber, "P12");
  EXPECT_EQ(e.get("Text").toText(), "P12");
  WritePropValue(e, RowNumber, "P3");
  WritePropValue(e, RowName, "Монтаж");
  EXPECT_EQ(e.get("Text").toText(), "P3");
  EXPECT_EQ(event().get("Text").toText(), "") << "other events keep the master's text";
}

TEST_F(DrawingTest, PositionsReadBackThroughFormulaToInt) {
  const AutoRef e = event(2, 9);
  EXPECT_EQ(formula(e, "PinX"), "2 in");
  EXPECT_EQ(FormulaToInt(formula(e, "PinY")), 9);
  const AutoRef pinX = e.getRef("CellsSRC", {visSectionObject, visRowXFormOut, visXFormPinX});
  pinX.put("FormulaU", "105.25 mm");
  EXPECT_EQ(pinX.get("FormulaU").toText(), "105.25 mm");
  EXPECT_NEAR(pinX.get("ResultIU").toDouble(), 105.25 / 25.4, 1e-12);
  EXPECT_EQ(FormulaToInt(pinX.get("FormulaU").toText()), 105);
  pinX.put("FormulaU", "4.25 in");
  EXPECT_EQ(pinX.get("FormulaU").toText(), "4.25 in");
}

TEST_F(DrawingTest, FormulaPutStoresWhatItParsesAndRefusesTheRest) {
  const AutoRef e = event();
  const AutoRef value = e.getRef("CellsSRC", {visSectionProp, RowNumber, visCustPropsValue});
  struct Case {
    Variant put;
    std::string formula;
    double result;  // NaN: a text
  };
  const double text = std::nan("");
  const Case cases[] = {
      {"\"P12\"", "\"P12\"", text},
      {"\"say \"\"hi\"\"\"", "\"say \"\"hi\"\"\"", text},
      {"\"\"", "\"\"", text},
      {"=\"P1\"", "\"P1\"", text},
      {"105.25 mm", "105.25 mm", 105.25 / 25.4},
      {"-3.7 mm", "-3.7 mm", -3.7 / 25.4},
      {"2.5", "2.5", 2.5},
      {std::int32_t{1}, "1", 1},
      {"TRUE", "TRUE", 1},
      {"Width*0.5+2 in", "Width*0.5+2 in", text},
  };
  for (const Case& c : cases) {
    value.put("FormulaU", c.put);
    EXPECT_EQ(value.get("FormulaU").toText(), c.formula) << c.put.toText();
    if (!std::isnan(c.result)) {
      EXPECT_NEAR(value.get("ResultIU").toDouble(), c.result, 1e-12) << c.formula;
    }
  }
  value.put("FormulaU", "\"say \"\"hi\"\"\"");
  EXPECT_EQ(value.get("ResultStr").toText(), "say \"hi\"");

  value.put("FormulaU", "\"P7\"");
  for (const char* bad :
       {"\"P7", "\"a\"b\"", "1 +", "(2", "12 mm mm", "5 parsecs", "*", "Sheet.1!"}) {
    std::string kind;
    EXPECT_EQ(errorOf([&] { value.put("FormulaU", bad); }, &kind), "Unexpected end of file.")
        << bad;
    EXPECT_EQ(kind, "EOleException");
    EXPECT_EQ(value.get("FormulaU").toText(), "\"P7\"") << bad;
  }
}

TEST_F(DrawingTest, ValuesStayUnicodeWithQuotesAndMarkup) {
  const AutoRef e = event();
  const std::string text = "Этап «1» \"A&B\" <x>\nвторая строка 🙂";
  WritePropValue(e, RowExtraInfo, text);
  EXPECT_EQ(ReadPropFormula(e, RowExtraInfo), QuoteFormula(text));
  EXPECT_EQ(StripQuotes(ReadPropFormula(e, RowExtraInfo)), text);
}

TEST_F(DrawingTest, TheRoutingCellsOfAConnectorTakeIntegers) {
  const AutoRef c = connector();
  for (std::int32_t column : {visSLOLineRouteExt, visSLORouteStyle}) {
    const AutoRef cellRef = c.getRef("CellsSRC", {visSectionObject, visRowShapeLayout, column});
    cellRef.put("FormulaU", std::int32_t{1});
    EXPECT_EQ(cellRef.get("FormulaU").toText(), "1");
  }
  EXPECT_EQ(cell(c, "ShapeRouteStyle").get("ResultIU").toInt(), 1);
  EXPECT_EQ(cell(c, "ConLineRouteExt").get("ResultIU").toInt(), 1);
}

class GlueTest : public DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    pred_ = event(2, 9);
    succ_ = event(5, 7);
    conn_ = connector();
  }
  AutoRef pred_, succ_, conn_;
};

TEST_F(GlueTest, GlueIsSeenFromBothEndsWithTheBeginPointFirst) {
  // Glued end first: the connector still lists its begin point first.
  glue(conn_, "EndX", succ_, "Connections.X2");
  glue(conn_, "BeginX", pred_, "Connections.X1");

  const AutoRef connects = conn_.getRef("Connects");
  ASSERT_EQ(connects.get("Count").toInt(), 2);
  const AutoRef first = connects.getRef("Item", {1});
  EXPECT_EQ(first.getRef("FromCell").get("Name").toText(), "BeginX");
  EXPECT_EQ(first.getRef("ToCell").get("Name").toText(), "Connections.X1");
  EXPECT_EQ(first.getRef("ToCell").getRef("Shape").text(), pred_.text());
  EXPECT_EQ(first.get("FromPart").toInt(), 9);
  EXPECT_EQ(first.get("ToPart").toInt(), 100);
  const AutoRef second = connects.getRef("Item", {2});
  EXPECT_EQ(second.getRef("FromCell").get("Name").toText(), "EndX");
  EXPECT_EQ(second.getRef("ToCell").getRef("Shape").text(), succ_.text());
  EXPECT_EQ(second.get("ToPart").toInt(), 101);

  for (const AutoRef& target : {pred_, succ_}) {
    const AutoRef from = target.getRef("FromConnects");
    ASSERT_EQ(from.get("Count").toInt(), 1);
    EXPECT_EQ(from.getRef("Item", {1}).getRef("FromCell").getRef("Shape").text(), conn_.text());
    EXPECT_EQ(from.getRef("Item", {1}).getRef("FromSheet").get("ID").toInt(),
              conn_.get("ID").toInt());
  }
  EXPECT_EQ(conn_.getRef("FromConnects").get("Count").toInt(), 0);
  EXPECT_EQ(pred_.getRef("Connects").get("Count").toInt(), 0);
}

TEST_F(GlueTest, GluedEndsSitOnTheConnectionPoints) {
  glue(conn_, "BeginX", pred_, "Connections.X1");
  glue(conn_, "EndX", succ_, "Connections.X2");
  EXPECT_EQ(formula(conn_, "BeginX"), "PAR(PNT(Sheet.1!Connections.X1,Sheet.1!Connections.Y1))");
  EXPECT_EQ(formula(conn_, "EndY"), "PAR(PNT(Sheet.2!Connections.X2,Sheet.2!Connections.Y2))");
  EXPECT_NEAR(result(conn_, "BeginX"), 2 + kEventW / 2, 1e-9);  // right edge of the predecessor
  EXPECT_NEAR(result(conn_, "BeginY"), 9, 1e-9);
  EXPECT_NEAR(result(conn_, "EndX"), 5 - kEventW / 2, 1e-9);  // left edge of the successor
  EXPECT_NEAR(result(conn_, "EndY"), 7, 1e-9);
  EXPECT_NEAR(result(conn_, "Width"), 3 - kEventW, 1e-9);
  EXPECT_NEAR(result(conn_, "Height"), -2, 1e-9);
  // The drawn path runs from the begin point (local 0,0) to the end point.
  EXPECT_NEAR(result(conn_, "Geometry1.X1"), 0, 1e-9);
  const std::string last = "Geometry1.X" + std::to_string(4);
  EXPECT_NEAR(result(conn_, last), 3 - kEventW, 1e-9);
  EXPECT_NEAR(result(conn_, "Geometry1.Y4"), -2, 1e-9);
  (void)kEventH;
}

TEST_F(DrawingTest, TheDrawnPathJoinsTheGluedEndsAtRightAngles) {
  const AutoRef pred = event(4, 6);
  struct Case {
    double x, y;
  };
  // Successor to the right (above, level), in the same column, to the left.
  for (const Case& c : {Case{7, 8}, Case{7, 6}, Case{4, 3}, Case{1, 6}, Case{1, 9}}) {
    const AutoRef succ = event(c.x, c.y);
    const AutoRef conn = connector();
    glue(conn, "BeginX", pred, "Connections.X1");
    glue(conn, "EndX", succ, "Connections.X2");
    const double w = result(conn, "Width");
    const double h = result(conn, "Height");
    std::vector<std::pair<double, double>> pts;
    for (std::int32_t row = 1; conn.get("CellsSRCExists", {10, row, 0, 0}).toInt() == -1; ++row)
      pts.emplace_back(conn.getRef("CellsSRC", {10, row, 0}).get("ResultIU").toDouble(),
                       conn.getRef("CellsSRC", {10, row, 1}).get("ResultIU").toDouble());
    ASSERT_GE(pts.size(), 2u) << c.x << "," << c.y;
    EXPECT_NEAR(pts.front().first, 0, 1e-9);
    EXPECT_NEAR(pts.front().second, 0, 1e-9);
    EXPECT_NEAR(pts.back().first, w, 1e-9) << c.x << "," << c.y;
    EXPECT_NEAR(pts.back().second, h, 1e-9) << c.x << "," << c.y;
    // It leaves rightwards from connection point 1 and arrives rightwards at point 2.
    EXPECT_GT(pts[1].first, pts[0].first) << c.x << "," << c.y;
    EXPECT_GT(pts.back().first, pts[pts.size() - 2].first) << c.x << "," << c.y;
    for (std::size_t i = 1; i < pts.size(); ++i)
      EXPECT_TRUE(std::fabs(pts[i].first - pts[i - 1].first) < 1e-9 ||
                  std::fabs(pts[i].second - pts[i - 1].second) < 1e-9)
          << "segment " << i << " of " << c.x << "," << c.y;
  }
}

TEST_F(GlueTest, GlueFollowsARotatedTarget) {
  cell(succ_, "Angle").put("FormulaU", "90 deg");
  glue(conn_, "EndX", succ_, "Connections.X2");
  // Connection point 2 (left edge) of a shape turned a quarter left lies below its pin.
  EXPECT_NEAR(result(conn_, "EndX"), 5, 1e-9);
  EXPECT_NEAR(result(conn_, "EndY"), 7 - kEventW / 2, 1e-9);
}

TEST_F(GlueTest, RegluingAnEndReplacesItsConnection) {
  const AutoRef third = event(8, 8);
  glue(conn_, "BeginX", pred_, "Connections.X1");
  glue(conn_, "BeginX", third, "Connections.X1");
  EXPECT_EQ(conn_.getRef("Connects").get("Count").toInt(), 1);
  EXPECT_EQ(pred_.getRef("FromConnects").get("Count").toInt(), 0);
  EXPECT_EQ(third.getRef("FromConnects").get("Count").toInt(), 1);
}

TEST_F(GlueTest, DeletingAGluedConnectorLeavesNoConnectionBehind) {
  glue(conn_, "BeginX", pred_, "Connections.X1");
  glue(conn_, "EndX", succ_, "Connections.X2");
  conn_.call("Delete");
  EXPECT_EQ(pred_.getRef("FromConnects").get("Count").toInt(), 0);
  EXPECT_EQ(succ_.getRef("FromConnects").get("Count").toInt(), 0);
  EXPECT_EQ(shapes().get("Count").toInt(), 2);
  std::string kind;
  EXPECT_EQ(errorOf([&] { conn_.get("Name"); }, &kind), "Object has been deleted.");
  EXPECT_EQ(kind, "EOleException");
}

TEST_F(GlueTest, DeletingAShapeUnglueTheConnectorsAtIt) {
  glue(conn_, "BeginX", pred_, "Connections.X1");
  glue(conn_, "EndX", succ_, "Connections.X2");
  const double beginX = result(conn_, "BeginX");
  pred_.call("Delete");
  const AutoRef connects = conn_.getRef("Connects");
  ASSERT_EQ(connects.get("Count").toInt(), 1);
  EXPECT_EQ(connects.getRef("Item", {1}).getRef("FromCell").get("Name").toText(), "EndX");
  // The loose end keeps its place, no longer referring to the deleted shape.
  EXPECT_NEAR(result(conn_, "BeginX"), beginX, 1e-9);
  EXPECT_THAT(formula(conn_, "BeginX"), ::testing::Not(HasSubstr("Sheet.1!")));
}

TEST_F(GlueTest, GlueRefusesWhatVisioRefuses) {
  const std::string wrong = "Inappropriate target object for this action.";
  EXPECT_EQ(errorOf([&] { glue(pred_, "PinX", succ_, "Connections.X1"); }), wrong);
  EXPECT_EQ(errorOf([&] { glue(conn_, "BeginX", succ_, "Width"); }), wrong);
  EXPECT_EQ(errorOf([&] { cell(conn_, "BeginX").call("GlueTo", {succ_.asVariant()}); }), wrong);
  EXPECT_EQ(errorOf([&] { glue(conn_, "BeginX", succ_, "Connections.X9"); }),
            "Unexpected end of file.");
  EXPECT_EQ(conn_.getRef("Connects").get("Count").toInt(), 0);
}

TEST_F(DrawingTest, SendToBackChangesTheOrderOfTheShapes) {
  event();
  event();
  const AutoRef c = connector();
  c.call("SendToBack");
  EXPECT_THAT(names(shapes()), ElementsAre("Velmar Connector", "Событие", "Событие.2"));
  shapes().getRef("Item", {3}).call("SendToBack");
  EXPECT_THAT(names(shapes()), ElementsAre("Событие.2", "Velmar Connector", "Событие"));
}

TEST_F(DrawingTest, AShapeAsTextIsEqualOnlyForTheSameShape) {
  const AutoRef a = event();
  const AutoRef b = event();
  EXPECT_EQ(a.text(), shapes().getRef("Item", {1}).text());
  EXPECT_NE(a.text(), b.text());
  // A new shape that takes a deleted one's name is still another shape.
  a.call("Delete");
  const AutoRef c = event();
  EXPECT_EQ(c.get("Name").toText(), "Событие");
  EXPECT_NE(c.text(), a.text());
}

TEST_F(DrawingTest, SelectionOfTheWindow) {
  const AutoRef a = event();
  const AutoRef b = event();
  app_->select("2");
  app_->select("Событие");
  const AutoRef window = vis_.getRef("ActiveWindow");
  const AutoRef sel = window.getRef("Selection");
  ASSERT_EQ(sel.get("Count").toInt(), 2);
  EXPECT_EQ(sel.getRef("Item", {1}).text(), b.text());
  EXPECT_EQ(window.getRef("Selection", {1}).text(), b.text());
  EXPECT_EQ(window.getRef("Selection", {2}).text(), a.text());

  window.call("DeselectAll");
  EXPECT_EQ(window.getRef("Selection").get("Count").toInt(), 0);
  EXPECT_EQ(sel.get("Count").toInt(), 2) << "a Selection object is a snapshot";
  window.call("Select", {a.asVariant(), 2});
  window.call("Select", {a.asVariant(), 2});
  EXPECT_EQ(window.getRef("Selection").get("Count").toInt(), 1);
  a.call("Delete");
  EXPECT_EQ(window.getRef("Selection").get("Count").toInt(), 0);

  EXPECT_THROW(app_->select("99"), Error);
  EXPECT_THROW(app_->select("Нет такого"), Error);
}

TEST_F(DrawingTest, PagesOfTheDrawing) {
  EXPECT_EQ(app_->pageCount(), 1);
  EXPECT_EQ(app_->pageName(1), "Page-1");
  EXPECT_EQ(page().get("Name").toText(), "Page-1");
  EXPECT_EQ(vis_.getRef("ActiveDocument").getRef("Pages").get("Count").toInt(), 1);
  app_->setActivePage("1");
  app_->setActivePage("Page-1");
  EXPECT_THROW(app_->setActivePage("2"), Error);
  EXPECT_THROW(app_->setActivePage("Лист 7"), Error);
}

TEST_F(DrawingTest, ErrorsReadLikeVisiosAndChangeNothing) {
  const AutoRef e = event();
  struct Case {
    const char* what;
    std::function<void()> call;
    std::string message;
  };
  const Case cases[] = {
      {"unknown member", [&] { e.get("Colour"); },
       "Unknown name 'Colour': Shape has no such member."},
      {"member of another object", [&] { vis_.get("Drop"); },
       "Unknown name 'Drop': Application has no such member."},
      {"missing cell by name", [&] { cell(e, "Prop.Row_99"); }, "Unexpected end of file."},
      {"unknown cell name", [&] { cell(e, "NoSuchCell"); }, "Unexpected end of file."},
      {"missing row by index",
       [&] {
         e.get("CellsSRC", {visSectionProp, 8, 0});
       },
       "Unexpected end of file."},
      {"unknown document", [&] { vis_.getRef("Documents").get("Item", {"Other.vss"}); },
       "Object name not found."},
      {"unknown master", [&] { master("Событие2"); }, "Object name not found."},
      {"index past the end", [&] { shapes().get("Item", {2}); }, "Invalid index."},
      {"index zero", [&] { shapes().get("Item", {0}); }, "Invalid index."},
      {"drop of a shape",
       [&] {
         page().get("Drop", {e.asVariant(), 1, 1});
       },
       "Inappropriate target object for this action."},
      {"missing argument", [&] { e.get("CellsSRC", {1}); }, "Invalid parameter."},
      {"put of a read-only property", [&] { e.put("ID", 7); }, "Property 'ID' is read-only."},
      {"unsupported select flag",
       [&] {
         vis_.getRef("ActiveWindow").call("Select", {e.asVariant(), 16});
       },
       "Invalid parameter."},
  };
  for (const Case& c : cases) {
    std::string kind;
    EXPECT_EQ(errorOf(c.call, &kind), c.message) << c.what;
    EXPECT_EQ(kind, "EOleException") << c.what;
  }
  EXPECT_EQ(shapes().get("Count").toInt(), 1);
  EXPECT_EQ(e.get("CellsSRCExists", {visSectionProp, 8, 2, 0}).toInt(), 0);
  EXPECT_EQ(e.get("CellExists", {"Prop.Row_1", 0}).toInt(), -1);
}

}  // namespace
}  // namespace tw::drawapp::testing
