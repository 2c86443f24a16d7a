#include "plan.h"

#include "drawing/events.h"

namespace tw::plan {

namespace {
constexpr const char* kStencil = "Tarnwick.vss";
constexpr const char* kConnectorMaster = "Velmar Connector";
}  // namespace

Masters findMasters(const AutoRef& app) {
  const AutoRef masters = app.getRef("Documents").getRef("Item", {kStencil}).getRef("Masters");
  Masters m;
  m.event = masters.getRef("ItemU", {std::string(EventMasterName)});
  m.connector = masters.getRef("ItemU", {kConnectorMaster});
  return m;
}

AutoRef dropEvent(const AutoRef& page, const Masters& m, const PlanEvent& e) {
  const AutoRef shape = AutoRef::fromVariant(page.call("Drop", {m.event.asVariant(), e.x, e.y}));
  for (std::int32_t row = 0; row < EventRowCount; ++row)
    if (!e.values[static_cast<std::size_t>(row)].empty())
      WritePropValue(shape, row, e.values[static_cast<std::size_t>(row)]);
  return shape;
}

AutoRef dropConnector(const AutoRef& page, const Masters& m, const AutoRef& from,
                      const AutoRef& to) {
  const AutoRef c = AutoRef::fromVariant(
      page.call("Drop", {m.connector.asVariant(), std::int32_t{0}, std::int32_t{0}}));
  c.getRef("CellsSRC", {visSectionObject, visRowShapeLayout, visSLOLineRouteExt})
      .put("FormulaU", std::int32_t{1});
  c.getRef("CellsSRC", {visSectionObject, visRowShapeLayout, visSLORouteStyle})
      .put("FormulaU", std::int32_t{1});
  c.call("SendToBack");
  c.getRef("Cells", {"BeginX"})
      .call("GlueTo", {from.getRef("Cells", {"Connections.X1"}).asVariant()});
  c.getRef("Cells", {"EndX"}).call("GlueTo", {to.getRef("Cells", {"Connections.X2"}).asVariant()});
  return c;
}

std::vector<AutoRef> build(const AutoRef& app, const std::vector<PlanEvent>& events,
                           const std::vector<std::pair<std::size_t, std::size_t>>& links) {
  const Masters m = findMasters(app);
  const AutoRef page = app.getRef("ActivePage");
  std::vector<AutoRef> shapes;
  shapes.reserve(events.size());
  for (const auto& e : events) shapes.push_back(dropEvent(page, m, e));
  for (const auto& [from, to] : links) dropConnector(page, m, shapes.at(from), shapes.at(to));
  return shapes;
}

void demoPlan(std::vector<PlanEvent>& events,
              std::vector<std::pair<std::size_t, std::size_t>>& links) {
  struct Row {
    std::int32_t x, y;
    const char* subdivision;
    const char* code;
    const char* name;
    const char* percent;
    const char* planned;
  };
  // Four stages from left to right on an A4 page; numbers are left for
  // renumbering to give.
  const Row rows[] = {
      {1, 9, "ПТО", "01.01", "Утверждение проекта", "100", "15.01.2027"},
      {1, 6, "ОКС", "01.02", "Отвод земельного участка", "100", "20.01.2027"},
      {1, 3, "ОМТС", "01.03", "Заказ металлоконструкций", "80", "01.02.2027"},
      {3, 10, "СМУ-1", "02.01", "Подготовка площадки", "60", "15.02.2027"},
      {3, 7, "СМУ-1", "02.02", "Устройство фундаментов", "30", "15.03.2027"},
      {3, 4, "ОМТС", "02.03", "Поставка металлоконструкций", "20", "01.04.2027"},
      {5, 9, "СМУ-2", "03.01", "Монтаж каркаса", "0", "15.05.2027"},
      {5, 6, "СМУ-2", "03.02", "Кровля и стеновые панели", "0", "15.06.2027"},
      {5, 3, "ЭМУ", "03.03", "Электромонтажные работы", "0", "01.07.2027"},
      {7, 9, "СТУ", "04.01", "Пусконаладочные работы", "0", "01.08.2027"},
      {7, 6, "ПТО", "04.02", "Исполнительная документация", "0", "15.08.2027"},
      {7, 3, "Дирекция", "04.03", "Ввод объекта в эксплуатацию", "0", "01.09.2027"},
  };
  events.clear();
  for (const auto& r : rows) {
    PlanEvent e;
    e.x = r.x;
    e.y = r.y;
    e.values = {"", r.subdivision, r.code, r.name, r.percent, "", r.planned, ""};
    events.push_back(e);
  }
  events[0].values[RowActualDate] = "12.01.2027";
  events[1].values[RowActualDate] = "22.01.2027";
  events[2].values[RowExtraInfo] = "Поставщик: «Северсталь»";
  links = {{0, 3}, {1, 3}, {3, 4}, {2, 5},  {4, 6},  {5, 6},  {6, 7},
           {4, 8}, {7, 9}, {8, 9}, {0, 10}, {9, 11}, {10, 11}};
}

void gridPlan(std::int32_t columns, std::int32_t rows, std::size_t linkCount,
              std::vector<PlanEvent>& events,
              std::vector<std::pair<std::size_t, std::size_t>>& links) {
  events.clear();
  links.clear();
  for (std::int32_t c = 0; c < columns; ++c) {
    for (std::int32_t r = 0; r < rows; ++r) {
      PlanEvent e;
      e.x = 1 + 2 * c;
      e.y = 1 + 2 * r;
      e.values = {"",
                  "Отдел " + std::to_string(r % 7 + 1),
                  std::to_string(c) + "." + std::to_string(r),
                  "Событие плана " + std::to_string(c * rows + r + 1),
                  std::to_string((c * 7 + r) % 101),
                  "",
                  "01.02.2027",
                  ""};
      events.push_back(e);
    }
  }
  auto at = [rows](std::int32_t c, std::int32_t r) {
    return static_cast<std::size_t>(c * rows + r);
  };
  for (std::int32_t c = 1; c < columns && links.size() < linkCount; ++c)
    for (std::int32_t r = 0; r < rows && links.size() < linkCount; ++r)
      links.emplace_back(at(c - 1, r), at(c, r));
  for (std::int32_t c = 1; c < columns && links.size() < linkCount; ++c)
    for (std::int32_t r = 0; r < rows && links.size() < linkCount; ++r)
      links.emplace_back(at(c - 1, (r + 1) % rows), at(c, r));
}

}  // namespace tw::plan
