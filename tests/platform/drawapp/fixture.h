#pragma once
// A new drawing in the in-process application, reached through the seam the
// way the program's own routines reach it.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "platform/automation/automation.h"
#include "platform/drawapp/drawing_app.h"
#include "platform/error.h"

namespace tw::drawapp::testing {

class DrawingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    app_ = DrawingApp::createNew("Plan.vsdx");
    vis_ = app_->application();
  }

  AutoRef master(const std::string& nameU) const {
    return vis_.getRef("Documents", {"Tarnwick.vss"}).getRef("Masters").getRef("ItemU", {nameU});
  }
  AutoRef page() const { return vis_.getRef("ActiveWindow").getRef("Page"); }
  AutoRef shapes() const { return vis_.getRef("ActivePage").getRef("Shapes"); }
  AutoRef drop(const std::string& nameU, double x, double y) const {
    return page().getRef("Drop", {master(nameU).asVariant(), x, y});
  }
  AutoRef event(double x = 2, double y = 9) const { return drop("Событие", x, y); }
  AutoRef connector() const { return drop("Velmar Connector", 5, 5); }
  static AutoRef cell(const AutoRef& shape, const std::string& name) {
    return shape.getRef("Cells", {name});
  }
  static std::string formula(const AutoRef& shape, const std::string& name) {
    return cell(shape, name).get("FormulaU").toText();
  }
  static double result(const AutoRef& shape, const std::string& name) {
    return cell(shape, name).get("ResultIU").toDouble();
  }
  static void glue(const AutoRef& conn, const char* end, const AutoRef& to, const char* point) {
    cell(conn, end).call("GlueTo", {cell(to, point).asVariant()});
  }

  std::unique_ptr<DrawingApp> app_;
  AutoRef vis_;
};

// The description of the error a call raises, or "" when it raises none.
template <typename F>
std::string errorOf(F&& f, std::string* kind = nullptr) {
  try {
    f();
  } catch (const Error& e) {
    if (kind) *kind = e.kind();
    return e.what();
  }
  return {};
}

}  // namespace tw::drawapp::testing
