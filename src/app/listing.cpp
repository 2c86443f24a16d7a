// The read-only listing of a page's events for planners without Visio.
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "backends.h"
#include "drawing/events.h"
#include "platform/error.h"

namespace tw {

namespace {

// One line per event: tabs and line breaks inside a value are shown escaped.
std::string oneLine(const std::string& text) {
  std::string r;
  for (const char c : text) {
    switch (c) {
      case '\t':
        r += "\\t";
        break;
      case '\n':
        r += "\\n";
        break;
      case '\r':
        r += "\\r";
        break;
      case '\\':
        r += "\\\\";
        break;
      default:
        r += c;
    }
  }
  return r;
}

std::string value(const AutoRef& shape, std::int32_t row) {
  return StripQuotes(ReadPropFormula(shape, row));
}

// Predecessors as the event editor reads them: a connector glued to the
// event whose first connection leads to another event.
std::vector<AutoRef> predecessors(const AutoRef& event, std::int32_t eventId) {
  std::vector<AutoRef> found;
  const AutoRef fromConnects = event.getRef("FromConnects");
  const std::int32_t count = fromConnects.get("Count").toInt();
  for (std::int32_t i = 1; i <= count; ++i) {
    const AutoRef connector = fromConnects.getRef("Item", {i}).getRef("FromCell").getRef("Shape");
    const AutoRef connects = connector.getRef("Connects");
    if (connects.get("Count").toInt() < 1) continue;
    const AutoRef other =
        connects.getRef("Item", {std::int32_t{1}}).getRef("ToCell").getRef("Shape");
    if (!IsEventName(other.get("Name").toText()) || other.get("ID").toInt() == eventId) continue;
    found.push_back(other);
  }
  return found;
}

}  // namespace

int ListEvents(const FileMode& mode, std::ostream& out, std::ostream& err) {
  auto backend = makeFileBackend(mode);
  try {
    // A listing reads what is there; only a command may create a drawing.
    std::error_code ec;
    if (!std::filesystem::exists(mode.drawing, ec))
      throw Error(errkind::kFile,
                  "The file \"" + mode.drawing + "\" cannot be used: it does not exist.");
    const AutoRef app = backend->attach();
    const AutoRef page = app.getRef("ActivePage");
    const AutoRef shapes = page.getRef("Shapes");
    const std::int32_t count = shapes.get("Count").toInt();
    std::vector<std::string> lines;
    for (std::int32_t i = 1; i <= count; ++i) {
      const AutoRef shape = shapes.getRef("Item", {i});
      const std::string name = shape.get("Name").toText();
      if (!IsEventName(name)) continue;
      const std::int32_t id = shape.get("ID").toInt();
      std::string line = std::to_string(id) + "\t" + oneLine(name);
      for (std::int32_t row = 0; row < EventRowCount; ++row)
        line += "\t" + oneLine(value(shape, row));
      std::string preds;
      for (const AutoRef& p : predecessors(shape, id)) {
        std::string number = value(p, RowNumber);
        if (number.empty()) number = "#" + std::to_string(p.get("ID").toInt());
        preds += (preds.empty() ? "" : ",") + oneLine(number);
      }
      lines.push_back(line + "\t" + preds);
    }
    out << "# " << mode.drawing << ", page \"" << page.get("Name").toText()
        << "\": " << lines.size() << " events\n"
        << "ID\tShape\tНомер\tПодразделение\tКод\tНаименование\tПроцент\tДоп. информация\t"
           "Плановая дата\tФактическая дата\tПредшествующие\n";
    for (const auto& l : lines) out << l << "\n";
    out.flush();
    return 0;
  } catch (const std::exception& e) {
    err << "tarnwick: " << errorKind(e) << ": " << e.what() << "\n";
    return 1;
  }
}

}  // namespace tw
