// Makes the small plan the editor's end-to-end tests open, and prints what a
// saved drawing holds, for the test script to check.
//   editor_plan_tool make OUT.vsdx    prints "A=<id> B=<id> E=<id>"
//   editor_plan_tool dump FILE.vsdx   prints one line per event and connector
#include <cmath>
#include <cstdio>
#include <iostream>
#include <string>

#include "drawing/events.h"
#include "editor/predecessors.h"
#include "platform/drawapp/drawing_app.h"
#include "platform/vsdx/package.h"

namespace {

using tw::AutoRef;

AutoRef dropEvent(const AutoRef& app, std::int32_t x, std::int32_t y,
                  const std::vector<std::string>& values) {
  const AutoRef master = app.getRef("Documents")
                             .getRef("Item", {"Tarnwick.vss"})
                             .getRef("Masters")
                             .getRef("ItemU", {"Событие"});
  AutoRef s = app.getRef("ActivePage").getRef("Drop", {master.asVariant(), x, y});
  for (std::int32_t row = 0; row < tw::EventRowCount; ++row)
    tw::WritePropValue(s, row, values[static_cast<std::size_t>(row)]);
  return s;
}

double result(const AutoRef& shape, const char* cell) {
  return shape.getRef("Cells", {cell}).get("ResultIU").toDouble();
}

int make(const std::string& out) {
  auto app = tw::drawapp::DrawingApp::createNew("plan.vsdx");
  tw::VisioApp = app->application();
  const AutoRef a =
      dropEvent(tw::VisioApp, 1, 6,
                {"P1", "Отдел главного конструктора", "1.1.1", "Разработка технического задания",
                 "100", "", "10.01.2026", "12.01.2026"});
  const AutoRef b =
      dropEvent(tw::VisioApp, 1, 3,
                {"P2", "Цех № 1 механообработки", "1.6.2", "Изготовление опытного образца", "40",
                 "Материал \"Ст3\"", "01.03.2026", ""});
  const AutoRef e = dropEvent(tw::VisioApp, 5, 5,
                              {"P3", "Отдел технического контроля", "1.10.3",
                               "Приёмочные испытания", "0", "", "15.04.2026", ""});
  tw::DropConnector(tw::VisioApp, a, e);
  tw::vsdx::Package package;
  app->store(package);
  package.save(out);
  std::printf("A=%d B=%d E=%d\n", a.get("ID").toInt(), b.get("ID").toInt(), e.get("ID").toInt());
  tw::VisioApp.reset();
  return 0;
}

// event ID|row0|...|row7
// connector ID|BeginX->ID.Cell|EndX->ID.Cell|ends on their points: yes/no
int dump(const std::string& file) {
  auto app = tw::drawapp::DrawingApp::load(tw::vsdx::Package::load(file), file);
  tw::VisioApp = app->application();
  const AutoRef shapes = tw::VisioApp.getRef("ActivePage").getRef("Shapes");
  for (std::int32_t i = 1, n = shapes.get("Count").toInt(); i <= n; ++i) {
    const AutoRef s = shapes.getRef("Item", {i});
    if (tw::IsEventName(s.get("Name").toText())) {
      std::cout << "event " << s.get("ID").toInt();
      for (std::int32_t row = 0; row < tw::EventRowCount; ++row)
        std::cout << '|' << tw::StripQuotes(tw::ReadPropFormula(s, row));
      std::cout << "|pin=" << result(s, "PinX") << ',' << result(s, "PinY") << '\n';
      continue;
    }
    std::cout << "connector " << s.get("ID").toInt();
    const AutoRef connects = s.getRef("Connects");
    bool onPoints = true;
    for (std::int32_t j = 1, m = connects.get("Count").toInt(); j <= m; ++j) {
      const AutoRef c = connects.getRef("Item", {j});
      const std::string from = c.getRef("FromCell").get("Name").toText();
      const AutoRef toCell = c.getRef("ToCell");
      const std::string to = toCell.get("Name").toText();
      const AutoRef target = toCell.getRef("Shape");
      std::cout << '|' << from << "->" << target.get("ID").toInt() << '.' << to;
      // Where the end is drawn against where the point is on the page.
      const std::string yCell = to.substr(0, to.size() - 2) + "Y" + to.substr(to.size() - 1);
      const double px =
          result(target, "PinX") - result(target, "LocPinX") + toCell.get("ResultIU").toDouble();
      const double py =
          result(target, "PinY") - result(target, "LocPinY") + result(target, yCell.c_str());
      const std::string end = from == "BeginX" ? "Begin" : "End";
      const double ex = result(s, (end + "X").c_str()), ey = result(s, (end + "Y").c_str());
      if (std::fabs(px - ex) > 1e-6 || std::fabs(py - ey) > 1e-6) onPoints = false;
    }
    std::cout << "|ends on points: " << (onPoints ? "yes" : "no") << '\n';
  }
  tw::VisioApp.reset();
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    const std::string what = argc > 2 ? argv[1] : "";
    if (what == "make") return make(argv[2]);
    if (what == "dump") return dump(argv[2]);
    std::cerr << "usage: editor_plan_tool make|dump FILE.vsdx\n";
    return 2;
  } catch (const std::exception& e) {
    std::cerr << "editor_plan_tool: " << e.what() << '\n';
    return 1;
  }
}
