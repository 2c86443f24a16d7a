#pragma once
// A fresh in-process drawing with the project's stencil, installed as the
// process-wide application, and helpers to lay out events and connectors on
// its page through the automation seam.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "drawing/events.h"
#include "editor/predecessors.h"
#include "platform/drawapp/drawing_app.h"
#include "platform/vsdx/package.h"

namespace tw::test {

// Rows 0 to 7 in order: number, subdivision, code, name, percent, extra
// information, planned and actual date; missing rows are left empty.
using EventValues = std::vector<std::string>;

class DrawingFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = drawapp::DrawingApp::createNew();
    VisioApp = app_->application();
  }
  void TearDown() override {
    CurrentShape.reset();
    VisioApp.reset();
    InitialChecks.clear();
  }

  static AutoRef master(const std::string& name) {
    return VisioApp.getRef("Documents")
        .getRef("Item", {std::string(StencilName)})
        .getRef("Masters")
        .getRef("ItemU", {name});
  }

  // An event at (x, y) with the given values in its rows 0 to 7.
  static AutoRef dropEvent(const EventValues& v = {}, std::int32_t x = 3, std::int32_t y = 3) {
    AutoRef s = VisioApp.getRef("ActivePage").getRef("Drop", {master("Событие").asVariant(), x, y});
    for (std::int32_t row = 0; row < EventRowCount; ++row)
      WritePropValue(
          s, row, static_cast<std::size_t>(row) < v.size() ? v[static_cast<std::size_t>(row)] : "");
    return s;
  }

  // From here on, changed() tells whether anything touched the drawing.
  void forgetChanges() {
    vsdx::Package scratch;
    app_->store(scratch);
  }

  static std::int32_t id(const AutoRef& s) { return s.get("ID").toInt(); }

  static std::vector<AutoRef> pageShapes() {
    const AutoRef shapes = VisioApp.getRef("ActivePage").getRef("Shapes");
    std::vector<AutoRef> out;
    for (std::int32_t i = 1, n = shapes.get("Count").toInt(); i <= n; ++i)
      out.push_back(shapes.getRef("Item", {i}));
    return out;
  }

  static std::vector<AutoRef> connectors() {
    std::vector<AutoRef> out;
    for (const AutoRef& s : pageShapes())
      if (!IsEventName(s.get("Name").toText())) out.push_back(s);
    return out;
  }

  // The IDs of the shapes a connector's connections lead to, in their order.
  static std::vector<std::int32_t> connectionTargets(const AutoRef& c) {
    const AutoRef connects = c.getRef("Connects");
    std::vector<std::int32_t> ids;
    for (std::int32_t j = 1, m = connects.get("Count").toInt(); j <= m; ++j)
      ids.push_back(id(connects.getRef("Item", {j}).getRef("ToCell").getRef("Shape")));
    return ids;
  }

  // The marks of the list as (text, checked) pairs, by event ID.
  static std::vector<std::pair<std::int32_t, bool>> marks(
      const std::vector<PredecessorItem>& items) {
    std::vector<std::pair<std::int32_t, bool>> out;
    for (const auto& it : items) out.emplace_back(it.id, it.checked);
    return out;
  }

  std::unique_ptr<drawapp::DrawingApp> app_;
};

}  // namespace tw::test
