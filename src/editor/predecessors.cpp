#include "predecessors.h"

#include <unordered_map>

#include "drawing/events.h"
#include "platform/automation/strtoint.h"

namespace tw {

std::vector<bool> InitialChecks;

namespace {

std::string rowText(const AutoRef& shape, std::int32_t row) {
  return StripQuotes(ReadPropFormula(shape, row));
}

std::int32_t shapeId(const AutoRef& shape) {
  return shape.get("ID").toInt();
}

// The shape that owns the cell of connection `item` (FromCell or ToCell).
AutoRef connectionShape(const AutoRef& connects, std::int32_t index, std::string_view cell) {
  return connects.getRef("Item", {index}).getRef(cell).getRef("Shape");
}

// The ID of the shape that the first connection of connector `c` leads to, or
// nothing when `c` is glued nowhere; `name` receives that shape's name.
bool firstConnectionTarget(const AutoRef& c, std::int32_t& id, std::string* name) {
  const AutoRef connects = c.getRef("Connects");
  if (connects.get("Count").toInt() < 1) return false;
  const AutoRef target = connectionShape(connects, 1, "ToCell");
  if (name) *name = target.get("Name").toText();
  id = shapeId(target);
  return true;
}

// Every event of the active page by ID, the first of each ID winning: one
// pass, so that a save with many changed marks stays linear in the page.
std::unordered_map<std::int32_t, AutoRef> eventShapesById() {
  std::unordered_map<std::int32_t, AutoRef> byId;
  const AutoRef shapes = VisioApp.getRef("ActivePage").getRef("Shapes");
  const std::int32_t n = shapes.get("Count").toInt();
  for (std::int32_t i = 1; i <= n; ++i) {
    AutoRef s = shapes.getRef("Item", {i});
    if (!IsEventName(s.get("Name").toText())) continue;
    byId.emplace(shapeId(s), std::move(s));
  }
  return byId;
}

}  // namespace

std::string PredecessorItemText(std::string_view subdivision, std::string_view code,
                                std::string_view name) {
  std::string text;
  text.reserve(subdivision.size() + code.size() + name.size() + 4);
  text.append(subdivision).append("-").append(code).append("   ").append(name);
  return text;
}

std::vector<PredecessorItem> LoadPredecessors() {
  std::vector<PredecessorItem> items;
  const std::int32_t currentId = shapeId(CurrentShape);
  // The page's collection is taken once: every further call is a round trip.
  const AutoRef shapes = VisioApp.getRef("ActivePage").getRef("Shapes");
  const std::int32_t n = shapes.get("Count").toInt();
  for (std::int32_t i = 1; i <= n; ++i) {
    const AutoRef s = shapes.getRef("Item", {i});
    if (!IsEventName(s.get("Name").toText())) continue;
    const std::int32_t id = shapeId(s);
    if (id == currentId) continue;
    PredecessorItem item;
    const std::string subdivision = rowText(s, RowSubdivision);
    const std::string code = rowText(s, RowCode);
    const std::string name = rowText(s, RowName);
    item.text = PredecessorItemText(subdivision, code, name);
    item.id = id;
    items.push_back(std::move(item));
  }

  std::vector<std::string> linked;
  GetLinkedPredecessors(linked);
  std::unordered_map<std::int32_t, std::size_t> firstItemOf;
  for (std::size_t k = items.size(); k-- > 0;) firstItemOf[items[k].id] = k;
  for (const std::string& entry : linked) {
    auto it = firstItemOf.find(strToInt(entry));
    if (it != firstItemOf.end()) items[it->second].checked = true;
  }

  InitialChecks.clear();
  for (const auto& item : items) InitialChecks.push_back(item.checked);
  return items;
}

void GetLinkedPredecessors(std::vector<std::string>& list) {
  const std::int32_t currentId = shapeId(CurrentShape);
  const AutoRef fromConnects = CurrentShape.getRef("FromConnects");
  const std::int32_t m = fromConnects.get("Count").toInt();
  for (std::int32_t k = 1; k <= m; ++k) {
    const AutoRef c = connectionShape(fromConnects, k, "FromCell");
    std::int32_t id = 0;
    std::string name;
    if (!firstConnectionTarget(c, id, &name)) continue;
    if (IsEventName(name) && id != currentId) list.push_back(std::to_string(id));
  }
}

AutoRef FindEventShape(std::int32_t id) {
  const AutoRef shapes = VisioApp.getRef("ActivePage").getRef("Shapes");
  const std::int32_t n = shapes.get("Count").toInt();
  for (std::int32_t i = 1; i <= n; ++i) {
    AutoRef s = shapes.getRef("Item", {i});
    if (IsEventName(s.get("Name").toText()) && shapeId(s) == id) return s;
  }
  return {};
}

AutoRef FindConnector(const AutoRef& event, const AutoRef& predecessor) {
  const std::int32_t predecessorId = shapeId(predecessor);
  const AutoRef fromConnects = event.getRef("FromConnects");
  const std::int32_t m = fromConnects.get("Count").toInt();
  AutoRef found;
  for (std::int32_t k = 1; k <= m; ++k) {
    AutoRef c = connectionShape(fromConnects, k, "FromCell");
    // Only a connector that makes the predecessor one (its first connection
    // leads there) may go: a connector running the other way is a successor
    // link between the same two events and must stay.
    std::int32_t id = 0;
    if (firstConnectionTarget(c, id, nullptr) && id == predecessorId) found = std::move(c);
  }
  return found;
}

AutoRef DropConnector(const AutoRef& application, const AutoRef& predecessor,
                      const AutoRef& successor) {
  const AutoRef master = application.getRef("Documents")
                             .getRef("Item", {std::string(StencilName)})
                             .getRef("Masters")
                             .getRef("ItemU", {std::string(ConnectorMasterName)});
  const AutoRef c = VisioApp.getRef("ActiveWindow")
                        .getRef("Page")
                        .getRef("Drop", {master.asVariant(), std::int32_t{5}, std::int32_t{5}});
  c.getRef("CellsSRC", {visSectionObject, visRowShapeLayout, visSLOLineRouteExt})
      .put("FormulaU", std::int32_t{1});
  c.getRef("CellsSRC", {visSectionObject, visRowShapeLayout, visSLORouteStyle})
      .put("FormulaU", std::int32_t{1});
  c.call("SendToBack");
  c.getRef("Cells", {"BeginX"})
      .call("GlueTo", {predecessor.getRef("Cells", {"Connections.X1"}).asVariant()});
  c.getRef("Cells", {"EndX"})
      .call("GlueTo", {successor.getRef("Cells", {"Connections.X2"}).asVariant()});
  return c;
}

std::vector<SkippedLink> ApplyPredecessorChanges(const std::vector<PredecessorItem>& items) {
  std::vector<SkippedLink> skipped;
  bool anyChange = false;
  for (std::size_t i = 0; i < items.size(); ++i)
    if (i >= InitialChecks.size() || items[i].checked != InitialChecks[i]) anyChange = true;
  if (!anyChange) return skipped;

  // The page may have changed while the editor was open: it is read afresh,
  // once for all changed items.
  const auto events = eventShapesById();
  for (std::size_t i = 0; i < items.size(); ++i) {
    const PredecessorItem& item = items[i];
    const bool wasChecked = i < InitialChecks.size() && InitialChecks[i];
    if (item.checked == wasChecked) continue;
    auto p = events.find(item.id);
    if (p == events.end()) {
      skipped.push_back({item, SkippedLink::Reason::EventGone});
      continue;
    }
    if (item.checked) {
      DropConnector(VisioApp, p->second, CurrentShape);
    } else {
      const AutoRef x = FindConnector(CurrentShape, p->second);
      if (x.empty()) {
        skipped.push_back({item, SkippedLink::Reason::ConnectorGone});
        continue;
      }
      x.call("Delete");
    }
  }
  return skipped;
}

}  // namespace tw
