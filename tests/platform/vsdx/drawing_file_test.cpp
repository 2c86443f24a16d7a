// Drawings through the whole path: container, drawing model, automation
// seam, and back to disk.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <pugixml.hpp>
#include <sstream>

#include "drawing/events.h"
#include "drawing/renumber.h"
#include "platform/drawapp/drawing_app.h"
#include "platform/error.h"
#include "platform/vsdx/package.h"
#include "platform/vsdx/tools/plan.h"
#include "zip_fixture.h"

using tw::AutoRef;
using tw::vsdx::Package;
using namespace tw::vsdx::testing;

namespace {

const std::string kSamples = TW_SAMPLES_DIR;
const char* kPageRel = "http://schemas.microsoft.com/visio/2010/relationships/page";
const char* kPagesRel = "http://schemas.microsoft.com/visio/2010/relationships/pages";
const char* kDocRel = "http://schemas.microsoft.com/visio/2010/relationships/document";

// The part of the drawing's first page, as pages.xml lists them.
std::string firstPagePart(const Package& pkg) {
  const std::string doc = *pkg.target("/", kDocRel);
  const std::string pages = *pkg.target(doc, kPagesRel);
  pugi::xml_document xml;
  xml.load_string(pkg.part(pages).bytes.c_str());
  const pugi::xml_node rel = xml.document_element().child("Page").child("Rel");
  for (const pugi::xml_attribute a : rel.attributes())
    if (std::string_view(a.name()).ends_with(":id")) return *pkg.targetById(pages, a.value());
  return *pkg.target(pages, kPageRel);
}

// IDs of the page's top-level shapes whose position renumbering can read:
// not the connectors, whose pins are formulas of their ends.
std::set<std::string> placedShapes(const Package& pkg, const std::string& sample) {
  auto app = tw::drawapp::DrawingApp::load(pkg, sample);
  const AutoRef shapes = app->application().getRef("ActivePage").getRef("Shapes");
  std::set<std::string> ids;
  for (std::int32_t i = 1; i <= shapes.get("Count").toInt(); ++i) {
    const AutoRef s = shapes.getRef("Item", {i});
    try {
      for (std::int32_t cell : {tw::visXFormPinX, tw::visXFormPinY})
        tw::FormulaToInt(s.getRef("CellsSRC", {tw::visSectionObject, tw::visRowXFormOut, cell})
                             .get("FormulaU")
                             .toText());
      ids.insert(std::to_string(s.get("ID").toInt()));
    } catch (const tw::Error&) {
    }
  }
  return ids;
}

// Those shapes become events: named after the master, with eight Shape Data
// rows in place of any they had.
std::string turnIntoEvents(const std::string& pageXml, const std::set<std::string>& ids) {
  pugi::xml_document xml;
  xml.load_string(pageXml.c_str());
  int n = 0;
  for (pugi::xml_node shape : xml.document_element().child("Shapes").children("Shape")) {
    if (ids.count(shape.attribute("ID").value()) == 0) continue;
    const std::string name = "Событие." + std::string(shape.attribute("ID").value());
    for (const char* attr : {"NameU", "Name"}) {
      if (!shape.attribute(attr)) shape.append_attribute(attr);
      shape.attribute(attr) = name.c_str();
    }
    while (pugi::xml_node old = shape.find_child_by_attribute("Section", "N", "Property"))
      shape.remove_child(old);
    pugi::xml_node section = shape.append_child("Section");
    section.append_attribute("N") = "Property";
    for (int row = 0; row < 8; ++row) {
      pugi::xml_node r = section.append_child("Row");
      r.append_attribute("N") = ("Row_" + std::to_string(row)).c_str();
      pugi::xml_node value = r.append_child("Cell");
      value.append_attribute("N") = "Value";
      value.append_attribute("V") = "";
      value.append_attribute("U") = "STR";
      pugi::xml_node label = r.append_child("Cell");
      label.append_attribute("N") = "Label";
      label.append_attribute("V") = ("Поле " + std::to_string(row)).c_str();
    }
    ++n;
  }
  std::ostringstream out;
  xml.save(out, "", pugi::format_raw);
  return out.str();
}

std::map<std::string, std::string> entries(const std::string& zip) {
  std::map<std::string, std::string> m;
  for (auto& [name, bytes] : readZip(zip)) m[name] = bytes;
  return m;
}

// What a planner sees of a page: each shape's ID, name, event values and
// the shapes its connections lead to, in the page's order.
std::string snapshot(const AutoRef& app) {
  std::ostringstream out;
  const AutoRef shapes = app.getRef("ActivePage").getRef("Shapes");
  const std::int32_t count = shapes.get("Count").toInt();
  for (std::int32_t i = 1; i <= count; ++i) {
    const AutoRef s = shapes.getRef("Item", {i});
    const std::string name = s.get("Name").toText();
    out << s.get("ID").toInt() << " " << name << ":";
    if (tw::IsEventName(name))
      for (std::int32_t row = 0; row < tw::EventRowCount; ++row)
        out << " [" << tw::ReadPropFormula(s, row) << "]";
    const std::int32_t connects = s.getRef("Connects").get("Count").toInt();
    for (std::int32_t j = 1; j <= connects; ++j)
      out << " ->"
          << s.getRef("Connects")
                 .getRef("Item", {j})
                 .getRef("ToCell")
                 .getRef("Shape")
                 .get("ID")
                 .toInt();
    const std::int32_t from = s.getRef("FromConnects").get("Count").toInt();
    for (std::int32_t j = 1; j <= from; ++j)
      out << " <-"
          << s.getRef("FromConnects")
                 .getRef("Item", {j})
                 .getRef("FromCell")
                 .getRef("Shape")
                 .get("ID")
                 .toInt();
    out << "\n";
  }
  return out.str();
}

struct Renumbered {
  std::string before;  // the prepared copy
  std::string after;   // the copy after renumbering and saving
  std::vector<std::string> numbers;
};

Renumbered renumberSample(const std::string& sample) {
  Package pkg = Package::load(kSamples + "/" + sample);
  const std::string page = firstPagePart(pkg);
  const std::set<std::string> ids = placedShapes(pkg, sample);
  EXPECT_GE(ids.size(), 3u);
  pkg.setPart(page, pkg.part(page).contentType, turnIntoEvents(pkg.part(page).bytes, ids));
  Renumbered r;
  r.before = pkg.toBytes();

  Package copy = Package::fromBytes(r.before, sample);
  auto app = tw::drawapp::DrawingApp::load(copy, sample);
  tw::VisioApp = app->application();
  tw::RenumberEvents();
  const AutoRef shapes = tw::VisioApp.getRef("ActivePage").getRef("Shapes");
  for (std::int32_t i = 1; i <= shapes.get("Count").toInt(); ++i)
    if (tw::IsEventName(shapes.getRef("Item", {i}).get("Name").toText()))
      r.numbers.push_back(tw::StripQuotes(tw::ReadPropFormula(shapes.getRef("Item", {i}), 0)));
  tw::VisioApp.reset();
  app->store(copy);
  r.after = copy.toBytes();
  return r;
}

}  // namespace

TEST(DrawingFile, RenumberingSampleShapesChangesOnlyTheirPage) {
  for (const char* sample :
       {"dh__test4_connectors.vsdx", "lv__testfile3.vsdx", "poi__60489.vsdx"}) {
    SCOPED_TRACE(sample);
    const Renumbered r = renumberSample(sample);
    ASSERT_FALSE(r.numbers.empty());
    for (const auto& n : r.numbers) EXPECT_THAT(n, ::testing::MatchesRegex("P[0-9]+"));
    const auto before = entries(r.before);
    const auto after = entries(r.after);
    ASSERT_EQ(before.size(), after.size());
    std::vector<std::string> changed;
    for (const auto& [name, bytes] : after)
      if (before.at(name) != bytes) changed.push_back(name);
    const Package prepared = Package::fromBytes(r.before, sample);
    EXPECT_EQ(changed, std::vector<std::string>{firstPagePart(prepared).substr(1)});
  }
}

TEST(DrawingFile, SamplesThroughTheModelAreSavedUnchanged) {
  for (const char* sample :
       {"dh__test1.vsdx", "dh__test3_house.vsdx", "dh__test6_shape_properties.vsdx",
        "lv__tdf136564-WhiteTextBackground.vsdx", "poi__60973.vsdx", "poi__github260.vsdx"}) {
    SCOPED_TRACE(sample);
    const std::string original = readFile(kSamples + "/" + sample);
    Package pkg = Package::fromBytes(original, sample);
    auto app = tw::drawapp::DrawingApp::load(pkg, sample);
    const std::string seen = snapshot(app->application());
    EXPECT_FALSE(app->changed());
    app->store(pkg);
    EXPECT_FALSE(pkg.changed());
    EXPECT_EQ(readZip(pkg.toBytes()), readZip(original));
    EXPECT_FALSE(seen.empty());
  }
}

TEST(DrawingFile, AProjectDrawingReadsBackAsItWasMade) {
  std::vector<tw::plan::PlanEvent> events(4);
  const std::array<std::string, 8> tricky = {"P1",   "Цех №5",
                                             "A&B",  "Монтаж \"опор\" <ЛЭП> & 'прочее'",
                                             "50%",  "строка 1\nстрока 2\r\nстрока 3",
                                             "\"\"", "  пробелы  "};
  for (std::size_t i = 0; i < events.size(); ++i) {
    events[i].x = static_cast<std::int32_t>(1 + 3 * i);
    events[i].y = 5;
    events[i].values = tricky;
    events[i].values[0] = "P" + std::to_string(i + 1);
  }
  auto app = tw::drawapp::DrawingApp::createNew("made.vsdx");
  const AutoRef application = app->application();
  const auto shapes = tw::plan::build(application, events, {{0, 1}, {1, 2}, {2, 3}, {0, 3}});
  // One connector and one event go again; a value is rewritten.
  const AutoRef page = application.getRef("ActivePage");
  AutoRef connector;
  for (std::int32_t i = 1; i <= page.getRef("Shapes").get("Count").toInt(); ++i) {
    const AutoRef s = page.getRef("Shapes").getRef("Item", {i});
    if (!tw::IsEventName(s.get("Name").toText())) connector = s;
  }
  connector.call("Delete");
  shapes[2].call("Delete");
  tw::WritePropValue(shapes[3], tw::RowName, "Ввод в эксплуатацию «объекта»");

  const std::string made = snapshot(application);
  Package pkg;
  app->store(pkg);
  const std::string bytes = pkg.toBytes();

  Package loaded = Package::fromBytes(bytes, "made.vsdx");
  auto back = tw::drawapp::DrawingApp::load(loaded, "made.vsdx");
  EXPECT_EQ(snapshot(back->application()), made);
  const AutoRef backShapes = back->application().getRef("ActivePage").getRef("Shapes");
  const AutoRef last = backShapes.getRef("Item", {backShapes.get("Count").toInt()});
  EXPECT_EQ(tw::StripQuotes(tw::ReadPropFormula(last, tw::RowExtraInfo)),
            "строка 1\nстрока 2\r\nстрока 3");
  // Loaded and stored with no change, every entry stays as it was.
  back->store(loaded);
  EXPECT_EQ(readZip(loaded.toBytes()), readZip(bytes));
}

TEST(DrawingFile, EventsDroppedIntoASampleBringTheirMasters) {
  for (const char* sample : {"dh__test1.vsdx", "dh__test4_connectors.vsdx"}) {
    SCOPED_TRACE(sample);
    const std::string original = readFile(kSamples + "/" + sample);
    Package pkg = Package::fromBytes(original, sample);
    auto app = tw::drawapp::DrawingApp::load(pkg, sample);
    std::vector<tw::plan::PlanEvent> events(2);
    events[0].x = 1;
    events[0].values[tw::RowName] = "Первое";
    events[1].x = 4;
    events[1].values[tw::RowName] = "Второе";
    tw::plan::build(app->application(), events, {{0, 1}});
    const std::string made = snapshot(app->application());
    app->store(pkg);
    const std::string saved = pkg.toBytes();

    const Package back = Package::fromBytes(saved, sample);
    auto again = tw::drawapp::DrawingApp::load(back, sample);
    EXPECT_EQ(snapshot(again->application()), made);
    // The copied masters are parts of their own, with their content type.
    const std::string doc = *back.target("/", kDocRel);
    const auto masters =
        back.target(doc, "http://schemas.microsoft.com/visio/2010/relationships/masters");
    ASSERT_TRUE(masters.has_value());
    int ours = 0;
    for (const auto& r : back.relationships(*masters)) {
      EXPECT_EQ(back.part(r.target).contentType, "application/vnd.ms-visio.master+xml") << r.target;
      if (back.part(r.target).bytes.find("Событие") != std::string::npos ||
          back.part(r.target).bytes.find("Velmar Connector") != std::string::npos)
        ++ours;
    }
    EXPECT_GE(ours, 2);
    // Parts that neither the drop nor the masters touch stay as they were.
    const auto before = entries(original);
    const auto after = entries(saved);
    for (const auto& [name, bytes] : before) {
      if (name.find("pages/") != std::string::npos || name.find("masters") != std::string::npos ||
          name == "[Content_Types].xml" || name == "visio/_rels/document.xml.rels" ||
          name == "visio/document.xml" || name.rfind("docProps/app.xml", 0) == 0)
        continue;
      EXPECT_TRUE(after.count(name) && after.at(name) == bytes) << name;
    }
  }
}

TEST(DrawingFile, StencilFileIsAStencilWithTheTwoMasters) {
  Package pkg;
  tw::drawapp::writeStencil(pkg);
  const Package stencil = Package::fromBytes(pkg.toBytes(), "Tarnwick.vssx");
  const std::string doc = *stencil.target("/", kDocRel);
  EXPECT_EQ(stencil.part(doc).contentType, "application/vnd.ms-visio.stencil.main+xml");
  const auto masters =
      stencil.target(doc, "http://schemas.microsoft.com/visio/2010/relationships/masters");
  ASSERT_TRUE(masters.has_value());
  pugi::xml_document index;
  index.load_string(stencil.part(*masters).bytes.c_str());
  std::vector<std::string> names;
  for (const pugi::xml_node m : index.document_element().children("Master"))
    names.push_back(m.attribute("NameU").value());
  EXPECT_EQ(names, (std::vector<std::string>{"Событие", "Velmar Connector"}));
  EXPECT_EQ(stencil.relationships(*masters).size(), 2u);
  // Given as a drawing, it is refused.
  EXPECT_THROW(tw::drawapp::DrawingApp::load(stencil, "Tarnwick.vssx"), tw::Error);
}
