// The model over .vsdx parts: loading drawings, storing changes back, and
// keeping everything the model does not touch.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <pugixml.hpp>
#include <sstream>

#include "drawing/events.h"
#include "fixture.h"
#include "platform/vsdx/package.h"

namespace tw::drawapp::testing {
namespace {

using vsdx::Package;

const std::string kSamples = TW_SAMPLES_DIR;
const char* kDocumentRel = "http://schemas.microsoft.com/visio/2010/relationships/document";
const char* kPagesRel = "http://schemas.microsoft.com/visio/2010/relationships/pages";
const char* kPageRel = "http://schemas.microsoft.com/visio/2010/relationships/page";

// The part of the drawing's first page.
std::string firstPage(const Package& pkg) {
  const std::string doc = *pkg.target("/", kDocumentRel);
  const std::string pages = *pkg.target(doc, kPagesRel);
  return *pkg.target(pages, kPageRel);
}

struct Counts {
  std::int32_t pages = 0;
  std::int32_t shapes = 0;  // every shape, sub-shapes of groups included
  std::int32_t connects = 0;
};

void countShapes(const AutoRef& shapes, Counts& c) {
  const std::int32_t n = shapes.get("Count").toInt();
  for (std::int32_t i = 1; i <= n; ++i) {
    const AutoRef s = shapes.getRef("Item", {i});
    ++c.shapes;
    c.connects += s.getRef("Connects").get("Count").toInt();
    countShapes(s.getRef("Shapes"), c);
  }
}

Counts countAll(DrawingApp& app) {
  Counts c;
  const AutoRef pages = app.application().getRef("ActiveDocument").getRef("Pages");
  c.pages = pages.get("Count").toInt();
  for (std::int32_t p = 1; p <= c.pages; ++p)
    countShapes(pages.getRef("Item", {p}).getRef("Shapes"), c);
  return c;
}

struct Sample {
  const char* file;
  Counts counts;
  std::int32_t masters;
};

// Counted from the samples' XML.
const Sample kSamplesTable[] = {
    {"dh__test1.vsdx", {3, 5, 0}, 0},
    {"dh__test3_house.vsdx", {1, 10, 0}, 1},
    {"dh__test4_connectors.vsdx", {3, 22, 8}, 3},
    {"dh__test5_master.vsdx", {1, 7, 0}, 1},
    {"dh__test6_shape_properties.vsdx", {3, 12, 0}, 2},
    {"dh__test7_with_connector.vsdx", {3, 8, 2}, 1},
    {"lv__tdf136564-WhiteTextBackground.vsdx", {1, 4, 2}, 3},
    {"lv__testfile3.vsdx", {1, 17, 4}, 4},
    {"poi__60489.vsdx", {1, 108, 30}, 4},
    // 24 more Shape elements are sub-shapes the instances delete (Del='1'): no shapes.
    {"poi__60973.vsdx", {4, 418, 78}, 33},
    {"poi__github260.vsdx", {1, 78, 0}, 11},
};

TEST(Samples, LoadWithTheirPagesShapesConnectsAndMasters) {
  for (const Sample& s : kSamplesTable) {
    const Package pkg = Package::load(kSamples + "/" + s.file);
    auto app = DrawingApp::load(pkg, kSamples + "/" + s.file);
    const AutoRef doc = app->application().getRef("ActiveDocument");
    EXPECT_EQ(doc.get("Name").toText(), s.file);
    EXPECT_EQ(doc.get("FullName").toText(), kSamples + "/" + s.file);
    const Counts c = countAll(*app);
    EXPECT_EQ(c.pages, s.counts.pages) << s.file;
    EXPECT_EQ(c.shapes, s.counts.shapes) << s.file;
    EXPECT_EQ(c.connects, s.counts.connects) << s.file;
    EXPECT_EQ(app->application().getRef("ActiveDocument").getRef("Masters").get("Count").toInt(),
              s.masters)
        << s.file;
    EXPECT_FALSE(app->changed()) << s.file;
  }
}

TEST(Samples, StoringAnUnchangedDrawingWritesNothing) {
  for (const Sample& s : kSamplesTable) {
    Package pkg = Package::load(kSamples + "/" + s.file);
    auto app = DrawingApp::load(pkg, s.file);
    app->store(pkg);
    EXPECT_FALSE(pkg.changed()) << s.file;
  }
}

TEST(Samples, DamagedOrForeignFilesAreRefusedNamingTheProblem) {
  struct Case {
    const char* file;
    const char* problem;
  };
  for (const Case& c :
       {Case{"lv__recursion-cycle.vsdx", ""}, Case{"lv__tab-short-prefix.vsdx", ""},
        Case{"ibm__Connectors.vssx", "stencil"}, Case{"ibm__Boxes.vssx", "stencil"}}) {
    std::string kind;
    const std::string msg = errorOf(
        [&] {
          const Package pkg = Package::load(kSamples + "/" + c.file);
          DrawingApp::load(pkg, c.file);
        },
        &kind);
    EXPECT_EQ(kind, "EFileError") << c.file;
    EXPECT_THAT(msg, ::testing::HasSubstr(c.file));
    EXPECT_THAT(msg, ::testing::HasSubstr(c.problem));
  }
}

// Sample shapes seen through the model: inherited rows, Connect elements.
TEST(Samples, ShapeDataAndConnectionsOfASample) {
  const Package pkg = Package::load(kSamples + "/lv__tdf136564-WhiteTextBackground.vsdx");
  auto app = DrawingApp::load(pkg, "sample");
  const AutoRef shapes = app->application().getRef("ActivePage").getRef("Shapes");
  const AutoRef connector = shapes.getRef("ItemFromID", {3});
  const AutoRef connects = connector.getRef("Connects");
  ASSERT_EQ(connects.get("Count").toInt(), 2);
  // The file lists the end point first; Visio's collection starts with the begin point.
  EXPECT_EQ(connects.getRef("Item", {1}).getRef("FromCell").get("Name").toText(), "BeginX");
  EXPECT_EQ(connects.getRef("Item", {1}).getRef("ToCell").get("Name").toText(), "Connections.X1");
  EXPECT_EQ(connects.getRef("Item", {2}).getRef("ToCell").get("Name").toText(), "Connections.X5");
  EXPECT_EQ(connects.getRef("Item", {2}).getRef("ToCell").getRef("Shape").get("ID").toInt(), 2);
  // Sparse connection rows: shape 2 states IX 0, 1, 3 and 4; its master gives it the rest.
  const AutoRef two = shapes.getRef("ItemFromID", {2});
  EXPECT_EQ(two.get("CellsSRCExists", {7, 2, 0, 1}).toInt(), 0);
  EXPECT_EQ(two.get("CellsSRCExists", {7, 3, 0, 1}).toInt(), -1);
  EXPECT_EQ(two.get("CellsSRCExists", {7, 9, 0, 0}).toInt(), 0);
  EXPECT_EQ(two.getRef("Cells", {"Connections.X1"}).get("FormulaU").toText(), "Width*0.5");
  // A cell with F="Inh" shows the master's formula, and its own cached value.
  const AutoRef five = shapes.getRef("ItemFromID", {5});
  EXPECT_EQ(five.getRef("Cells", {"Geometry1.X2"}).get("FormulaU").toText(), "Width*1");
  EXPECT_DOUBLE_EQ(five.getRef("Cells", {"Geometry1.X2"}).get("ResultIU").toDouble(), 6.8151);
}

// A drawing made here and stored, whose first page the test then edits as XML.
class EditedDrawing : public ::testing::Test {
 protected:
  void SetUp() override {
    auto made = DrawingApp::createNew("edited.vsdx");
    const AutoRef vis = made->application();
    const AutoRef master =
        vis.getRef("Documents", {"Tarnwick.vss"}).getRef("Masters").getRef("ItemU", {"Событие"});
    vis.getRef("ActivePage").call("Drop", {master.asVariant(), 1, 1});
    vis.getRef("ActivePage").call("Drop", {master.asVariant(), 3, 1});
    made->store(pkg_);
    for (const auto& n : pkg_.partNames())
      if (n.ends_with("/page1.xml")) page_ = n;
    ASSERT_TRUE(xml_.load_string(pkg_.part(page_).bytes.c_str()));
  }
  pugi::xml_node shape(int i) const {
    pugi::xml_node s = xml_.document_element().child("Shapes").child("Shape");
    while (i-- > 0) s = s.next_sibling("Shape");
    return s;
  }
  std::unique_ptr<DrawingApp> reload() {
    std::ostringstream os;
    xml_.save(os, "", pugi::format_raw);
    pkg_.setPart(page_, pkg_.part(page_).contentType, os.str());
    return DrawingApp::load(pkg_, "edited.vsdx");
  }
  static AutoRef first(DrawingApp& app) {
    return app.application().getRef("ActivePage").getRef("Shapes").getRef("Item", {1});
  }
  Package pkg_;
  std::string page_;
  pugi::xml_document xml_;
};

TEST_F(EditedDrawing, PropertyRowsAreNumberedAsVisioNumbersThem) {
  // Rows of the master first, less those the instance deletes, then its own.
  pugi::xml_node sec = shape(0).append_child("Section");
  sec.append_attribute("N") = "Property";
  pugi::xml_node own = sec.append_child("Row");
  own.append_attribute("N") = "Extra";
  pugi::xml_node label = own.append_child("Cell");
  label.append_attribute("N") = "Label";
  label.append_attribute("V") = "Своё";
  pugi::xml_node del = sec.append_child("Row");
  del.append_attribute("N") = "Row_2";
  del.append_attribute("Del") = "1";

  auto app = reload();
  const AutoRef s = first(*app);
  EXPECT_EQ(s.getRef("CellsSRC", {243, 1, 2}).get("FormulaU").toText(), "\"Код\"");
  EXPECT_EQ(s.getRef("CellsSRC", {243, 7, 2}).get("FormulaU").toText(), "\"Своё\"");
  EXPECT_EQ(s.get("CellsSRCExists", {243, 8, 2, 0}).toInt(), 0);
  EXPECT_EQ(s.get("CellExists", {"Prop.Row_2", 0}).toInt(), 0);
}

TEST_F(EditedDrawing, GroupsNestedBeyondReasonAreRefused) {
  pugi::xml_node s = shape(0);
  for (int depth = 0; depth < 100; ++depth) {
    s = s.append_child("Shapes").append_child("Shape");
    s.append_attribute("ID") = 100 + depth;
  }
  std::string kind;
  EXPECT_THAT(errorOf([&] { reload(); }, &kind), ::testing::HasSubstr("nested too deeply"));
  EXPECT_EQ(kind, "EFileError");
}

TEST_F(EditedDrawing, RepeatedIdsDoNotConfuseDeleteOrOrder) {
  shape(1).attribute("ID") = 1;  // a damaged drawing: two shapes with ID 1
  auto app = reload();
  const AutoRef shapes = app->application().getRef("ActivePage").getRef("Shapes");
  const AutoRef second = shapes.getRef("Item", {2});
  second.call("SendToBack");
  EXPECT_EQ(shapes.getRef("Item", {1}).text(), second.text());
  second.call("Delete");
  ASSERT_EQ(shapes.get("Count").toInt(), 1);
  EXPECT_NE(shapes.getRef("Item", {1}).text(), second.text());
  EXPECT_EQ(shapes.getRef("Item", {1}).get("Name").toText(), "Событие");
}

TEST_F(EditedDrawing, ABrokenPageIndexIsRefusedNamingTheProblem) {
  const std::string doc = *pkg_.target("/", kDocumentRel);
  const std::string pages = *pkg_.target(doc, kPagesRel);
  struct Case {
    const char* what;
    std::function<void(pugi::xml_node page)> breakIt;
    const char* message;
  };
  const Case cases[] = {
      {"no page sheet", [](pugi::xml_node page) { page.remove_child("PageSheet"); },
       "has no page sheet"},
      {"page refers to its index",
       [&](pugi::xml_node page) {
         page.child("Rel").attribute("r:id") = pkg_.addRelationship(pages, kPageRel, pages).c_str();
       },
       "relationship loop"},
      {"unknown relationship",
       [](pugi::xml_node page) { page.child("Rel").attribute("r:id") = "rId99"; },
       "missing relationship rId99"},
      {"missing part",
       [&](pugi::xml_node page) {
         page.child("Rel").attribute("r:id") =
             pkg_.addRelationship(pages, kPageRel, "/visio/pages/page9.xml").c_str();
       },
       "page9.xml"},
  };
  const std::string original = pkg_.part(pages).bytes;
  for (const Case& c : cases) {
    pugi::xml_document index;
    ASSERT_TRUE(index.load_string(original.c_str()));
    c.breakIt(index.document_element().child("Page"));
    std::ostringstream os;
    index.save(os, "", pugi::format_raw);
    pkg_.setPart(pages, pkg_.part(pages).contentType, os.str());
    std::string kind;
    const std::string msg = errorOf([&] { DrawingApp::load(pkg_, "edited.vsdx"); }, &kind);
    EXPECT_THAT(msg, ::testing::HasSubstr(c.message)) << c.what;
    EXPECT_THAT(msg, ::testing::HasSubstr("edited.vsdx")) << c.what;
    EXPECT_EQ(kind, "EFileError") << c.what;
  }
  pkg_.setPart(page_, pkg_.part(page_).contentType, "<PageContents><Shapes>");
  pkg_.setPart(pages, pkg_.part(pages).contentType, original);
  EXPECT_THAT(errorOf([&] { DrawingApp::load(pkg_, "edited.vsdx"); }),
              ::testing::HasSubstr("malformed XML"));
}

TEST(Samples, DroppingIntoASampleAddsTheMasterBesideItsOwn) {
  Package pkg = Package::load(kSamples + "/lv__tdf136564-WhiteTextBackground.vsdx");
  const std::vector<std::string> before = pkg.partNames();
  {
    auto app = DrawingApp::load(pkg, "sample.vsdx");
    const AutoRef vis = app->application();
    const AutoRef master = vis.getRef("Documents", {"Tarnwick.vss"}).getRef("Masters", {"Событие"});
    const AutoRef e = vis.getRef("ActivePage").getRef("Drop", {master.asVariant(), 2, 2});
    EXPECT_EQ(e.get("ID").toInt(), 6);  // the sample's shapes end at ID 5
    WritePropValue(e, RowNumber, "P1");
    app->store(pkg);
  }
  std::vector<std::string> added;
  for (const auto& n : pkg.partNames())
    if (std::find(before.begin(), before.end(), n) == before.end()) added.push_back(n);
  ASSERT_THAT(added, ::testing::ElementsAre("/visio/masters/master4.xml"));
  EXPECT_EQ(pkg.part(added[0]).contentType, "application/vnd.ms-visio.master+xml");
  bool pageRelated = false;
  for (const auto& r : pkg.relationships(firstPage(pkg)))
    pageRelated = pageRelated || r.target == added[0];
  EXPECT_TRUE(pageRelated);

  const Package reread = Package::fromBytes(pkg.toBytes(), "sample.vsdx");
  auto back = DrawingApp::load(reread, "sample.vsdx");
  const AutoRef masters = back->application().getRef("ActiveDocument").getRef("Masters");
  EXPECT_EQ(masters.get("Count").toInt(), 4);
  const AutoRef e =
      back->application().getRef("ActivePage").getRef("Shapes").getRef("ItemFromID", {6});
  EXPECT_EQ(e.getRef("Master").get("NameU").toText(), "Событие");
  EXPECT_EQ(ReadPropFormula(e, RowNumber), "\"P1\"");
  EXPECT_EQ(e.getRef("CellsSRC", {243, 7, 2}).get("FormulaU").toText(), "\"Фактическая дата\"");
  EXPECT_EQ(e.get("Text").toText(), "P1");
}

// Compares two XML trees node by node; `skip` names cells allowed to differ.
void expectSameTree(pugi::xml_node a, pugi::xml_node b, const std::string& path = "") {
  ASSERT_EQ(std::string(a.name()), b.name()) << path;
  ASSERT_EQ(std::string(a.value()), b.value()) << path;
  auto aa = a.attributes_begin();
  auto ba = b.attributes_begin();
  for (; aa != a.attributes_end() && ba != b.attributes_end(); ++aa, ++ba) {
    EXPECT_EQ(std::string(aa->name()), ba->name()) << path;
    EXPECT_EQ(std::string(aa->value()), ba->value()) << path << "@" << aa->name();
  }
  EXPECT_TRUE(aa == a.attributes_end() && ba == b.attributes_end()) << path;
  auto ac = a.begin();
  auto bc = b.begin();
  int i = 0;
  for (; ac != a.end() && bc != b.end(); ++ac, ++bc, ++i)
    expectSameTree(*ac, *bc, path + "/" + a.name() + "[" + std::to_string(i) + "]");
  EXPECT_TRUE(ac == a.end() && bc == b.end()) << path;
}

TEST(Samples, AChangeRewritesOnlyItsPartAndKeepsTheRestOfIt) {
  const std::string file = kSamples + "/poi__60973.vsdx";
  const Package original = Package::load(file);
  Package pkg = Package::load(file);
  auto app = DrawingApp::load(pkg, "poi__60973.vsdx");
  const AutoRef s = app->application().getRef("ActivePage").getRef("Shapes").getRef("Item", {1});
  const AutoRef pinX = s.getRef("Cells", {"PinX"});
  const std::string before = pinX.get("FormulaU").toText();
  pinX.put("FormulaU", "50 mm");
  EXPECT_TRUE(app->changed());
  app->store(pkg);
  EXPECT_FALSE(app->changed());

  std::vector<std::string> rewritten;
  for (const auto& n : pkg.partNames())
    if (!original.has(n) || original.part(n).bytes != pkg.part(n).bytes) rewritten.push_back(n);
  ASSERT_EQ(rewritten.size(), 1u);

  // Put the old value back into the stored part: then it equals the original tree.
  pugi::xml_document stored;
  pugi::xml_document orig;
  ASSERT_TRUE(stored.load_string(pkg.part(rewritten[0]).bytes.c_str(),
                                 pugi::parse_default | pugi::parse_ws_pcdata));
  ASSERT_TRUE(orig.load_string(original.part(rewritten[0]).bytes.c_str(),
                               pugi::parse_default | pugi::parse_ws_pcdata));
  pugi::xml_node storedPin =
      stored.document_element().child("Shapes").child("Shape").find_child_by_attribute("Cell", "N",
                                                                                       "PinX");
  pugi::xml_node origPin =
      orig.document_element().child("Shapes").child("Shape").find_child_by_attribute("Cell", "N",
                                                                                     "PinX");
  EXPECT_NEAR(storedPin.attribute("V").as_double(), 50 / 25.4, 1e-12);
  EXPECT_STREQ(storedPin.attribute("U").value(), "MM");
  storedPin.parent().insert_copy_after(origPin, storedPin);
  storedPin.parent().remove_child(storedPin);
  expectSameTree(orig.document_element(), stored.document_element());
  (void)before;
}

TEST(MadeDrawing, ReadsBackWithTheSameShapesValuesAndConnections) {
  auto app = DrawingApp::createNew("made.vsdx");
  const AutoRef vis = app->application();
  const AutoRef masters = vis.getRef("Documents", {"Tarnwick.vss"}).getRef("Masters");
  const AutoRef page = vis.getRef("ActiveWindow").getRef("Page");
  auto drop = [&](const char* m, double x, double y) {
    return page.getRef("Drop", {masters.getRef("ItemU", {m}).asVariant(), x, y});
  };
  const AutoRef a = drop("Событие", 1, 5);
  const AutoRef b = drop("Событие", 4, 5);
  const AutoRef gone = drop("Событие", 4, 2);
  const std::string text = "Цех №3 «Север» & <ОТК> \"срочно\"\nвторая строка";
  WritePropValue(a, RowNumber, "P1");
  WritePropValue(a, RowName, text);
  WritePropValue(b, RowNumber, "P2");
  for (const AutoRef& to : {b, gone}) {
    const AutoRef c = drop("Velmar Connector", 5, 5);
    c.getRef("CellsSRC", {1, 23, 19}).put("FormulaU", std::int32_t{1});
    c.call("SendToBack");
    c.getRef("Cells", {"BeginX"})
        .call("GlueTo", {a.getRef("Cells", {"Connections.X1"}).asVariant()});
    c.getRef("Cells", {"EndX"})
        .call("GlueTo", {to.getRef("Cells", {"Connections.X2"}).asVariant()});
  }
  const AutoRef doomed = gone.getRef("FromConnects").getRef("Item", {1}).getRef("FromSheet");
  doomed.call("Delete");

  Package pkg;
  app->store(pkg);
  const Package reread = Package::fromBytes(pkg.toBytes(), "made.vsdx");
  auto back = DrawingApp::load(reread, "made.vsdx");
  const AutoRef shapes = back->application().getRef("ActivePage").getRef("Shapes");
  ASSERT_EQ(shapes.get("Count").toInt(), 4);
  std::vector<std::string> names;
  std::vector<std::int32_t> ids;
  for (std::int32_t i = 1; i <= 4; ++i) {
    names.push_back(shapes.getRef("Item", {i}).get("Name").toText());
    ids.push_back(shapes.getRef("Item", {i}).get("ID").toInt());
  }
  EXPECT_THAT(names,
              ::testing::ElementsAre("Velmar Connector", "Событие", "Событие.2", "Событие.3"));
  EXPECT_THAT(ids, ::testing::ElementsAre(4, 1, 2, 3));
  const AutoRef a2 = shapes.getRef("Item", {"Событие"});
  EXPECT_EQ(StripQuotes(ReadPropFormula(a2, RowName)), text);
  EXPECT_EQ(ReadPropFormula(a2, RowNumber), "\"P1\"");
  EXPECT_EQ(ReadPropFormula(a2, RowCode), "\"\"");  // inherited from the copied master
  EXPECT_EQ(a2.getRef("FromConnects").get("Count").toInt(),
            1);  // the connector to b; the other was deleted
  const AutoRef b2 = shapes.getRef("Item", {"Событие.2"});
  ASSERT_EQ(b2.getRef("FromConnects").get("Count").toInt(), 1);
  const AutoRef c2 =
      b2.getRef("FromConnects").getRef("Item", {1}).getRef("FromCell").getRef("Shape");
  EXPECT_EQ(
      c2.getRef("Connects").getRef("Item", {1}).getRef("ToCell").getRef("Shape").get("ID").toInt(),
      1);
  EXPECT_EQ(c2.getRef("CellsSRC", {1, 23, 19}).get("FormulaU").toText(), "1");
  EXPECT_EQ(shapes.getRef("Item", {"Событие.3"}).getRef("FromConnects").get("Count").toInt(), 0);
  EXPECT_EQ(back->application().getRef("ActiveDocument").getRef("Masters").get("Count").toInt(), 2);
  EXPECT_FALSE(back->changed());

  // The stored page needs its size, and the master its part: both readers rely on them.
  EXPECT_GT(back->application().getRef("ActivePage").getRef("Shapes").get("Count").toInt(), 0);
}

TEST(Stencil, TheStencilFileCarriesBothMastersAndIsNoDrawing) {
  Package pkg;
  writeStencil(pkg);
  const Package reread = Package::fromBytes(pkg.toBytes(), "Tarnwick.vssx");
  const std::string doc =
      *reread.target("/", "http://schemas.microsoft.com/visio/2010/relationships/document");
  EXPECT_EQ(reread.part(doc).contentType, "application/vnd.ms-visio.stencil.main+xml");
  const std::string masters =
      *reread.target(doc, "http://schemas.microsoft.com/visio/2010/relationships/masters");
  pugi::xml_document xml;
  ASSERT_TRUE(xml.load_string(reread.part(masters).bytes.c_str()));
  std::vector<std::string> names;
  for (pugi::xml_node m : xml.document_element().children("Master")) {
    names.emplace_back(m.attribute("NameU").value());
    const std::string id = m.child("Rel").attribute("r:id").value();
    ASSERT_TRUE(reread.targetById(masters, id)) << id;
    EXPECT_TRUE(reread.has(*reread.targetById(masters, id)));
  }
  EXPECT_THAT(names, ::testing::ElementsAre("Событие", "Velmar Connector"));
  std::string kind;
  EXPECT_THAT(errorOf([&] { DrawingApp::load(reread, "Tarnwick.vssx"); }, &kind),
              ::testing::HasSubstr("stencil"));
  EXPECT_EQ(kind, "EFileError");
}

}  // namespace
}  // namespace tw::drawapp::testing
