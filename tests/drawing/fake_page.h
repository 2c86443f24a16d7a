#pragma once
// A minimal drawing application for routines that only read names and cells
// and write formulas: one active page of shapes, each with a name, a pin and
// Shape Data rows. It can refuse writes on chosen shapes.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/automation/automation.h"

namespace tw::test {

struct FakeShape : Dispatch, std::enable_shared_from_this<FakeShape> {
  std::string name;
  std::string pinX = "0 mm";
  std::string pinY = "0 mm";
  int propRows = 8;                   // rows 0..propRows-1 exist
  std::map<int, std::string> values;  // row -> value formula
  bool refuseWrites = false;
  int writes = 0;

  Variant invoke(std::string_view member, InvokeKind kind,
                 const std::vector<Variant>& args) override;
};

struct FakeCell : Dispatch {
  std::shared_ptr<FakeShape> shape;
  int section = 0, row = 0, cell = 0;
  Variant invoke(std::string_view member, InvokeKind kind,
                 const std::vector<Variant>& args) override {
    if (member != "FormulaU") throw Error(errkind::kOle, "Unknown name.");
    if (kind == InvokeKind::Put) {
      if (section != 243 || cell != 0 || row >= shape->propRows || shape->refuseWrites)
        throw Error(errkind::kOle, "Inexistent cell row.");
      shape->values[row] = args.back().toText();
      ++shape->writes;
      return {};
    }
    if (section == 1 && row == 1) return Variant(cell == 0 ? shape->pinX : shape->pinY);
    if (section == 243 && row < shape->propRows) {
      auto it = shape->values.find(row);
      return Variant(it == shape->values.end() ? std::string("\"\"") : it->second);
    }
    throw Error(errkind::kOle, "Inexistent cell row.");
  }
};

inline Variant FakeShape::invoke(std::string_view member, InvokeKind,
                                 const std::vector<Variant>& args) {
  if (member == "Name") return Variant(name);
  if (member.empty())
    return Variant("shape@" + std::to_string(reinterpret_cast<std::uintptr_t>(this)));
  if (member == "CellsSRCExists")
    return Variant(std::int32_t{args[0].toInt() == 243 && args[1].toInt() < propRows ? -1 : 0});
  if (member == "CellsSRC") {
    auto c = std::make_shared<FakeCell>();
    c->shape = shared_from_this();
    c->section = args[0].toInt();
    c->row = args[1].toInt();
    c->cell = args[2].toInt();
    return Variant(DispatchPtr(c));
  }
  throw Error(errkind::kOle, "Unknown name.");
}

struct FakeShapes : Dispatch {
  std::vector<std::shared_ptr<FakeShape>>* shapes = nullptr;
  Variant invoke(std::string_view member, InvokeKind, const std::vector<Variant>& args) override {
    if (member == "Count") return Variant(static_cast<std::int32_t>(shapes->size()));
    if (member == "Item") {
      const int i = args.at(0).toInt();
      if (i < 1 || i > static_cast<int>(shapes->size()))
        throw Error(errkind::kOle, "Invalid sheet identifier.");
      return Variant(DispatchPtr((*shapes)[static_cast<std::size_t>(i - 1)]));
    }
    throw Error(errkind::kOle, "Unknown name.");
  }
};

struct FakeApp : Dispatch {
  std::vector<std::shared_ptr<FakeShape>> shapes;

  std::shared_ptr<FakeShape> add(std::string name, std::string x, std::string y) {
    auto s = std::make_shared<FakeShape>();
    s->name = std::move(name);
    s->pinX = std::move(x);
    s->pinY = std::move(y);
    shapes.push_back(s);
    return s;
  }

  Variant invoke(std::string_view member, InvokeKind, const std::vector<Variant>&) override {
    if (member == "ActivePage") return Variant(DispatchPtr(std::make_shared<FakePage>(&shapes)));
    throw Error(errkind::kOle, "Unknown name.");
  }

  struct FakePage : Dispatch {
    explicit FakePage(std::vector<std::shared_ptr<FakeShape>>* s) : shapes(s) {}
    std::vector<std::shared_ptr<FakeShape>>* shapes;
    Variant invoke(std::string_view member, InvokeKind, const std::vector<Variant>&) override {
      if (member != "Shapes") throw Error(errkind::kOle, "Unknown name.");
      auto c = std::make_shared<FakeShapes>();
      c->shapes = shapes;
      return Variant(DispatchPtr(c));
    }
  };
};

}  // namespace tw::test
