// Feeds arbitrary bytes to the drawing model as the page part of an
// otherwise sound drawing: the container stays valid, so every run reaches
// the page's XML, shapes, cells and connections.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/drawapp/drawing_app.h"
#include "platform/error.h"
#include "platform/vsdx/package.h"

namespace {

const std::string& templateDrawing() {
  static const std::string bytes = [] {
    auto app = tw::drawapp::DrawingApp::createNew("fuzz.vsdx");
    tw::vsdx::Package pkg;
    app->store(pkg);
    return pkg.toBytes();
  }();
  return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  try {
    tw::vsdx::Package pkg = tw::vsdx::Package::fromBytes(templateDrawing(), "fuzz.vsdx");
    pkg.setPart("/visio/pages/page1.xml", "application/vnd.ms-visio.page+xml",
                std::string(reinterpret_cast<const char*>(data), size));
    auto app = tw::drawapp::DrawingApp::load(pkg, "fuzz.vsdx");
    // Walk what was loaded the way the commands do.
    const tw::AutoRef shapes = app->application().getRef("ActivePage").getRef("Shapes");
    const std::int32_t n = shapes.get("Count").toInt();
    for (std::int32_t i = 1; i <= n && i <= 64; ++i) {
      const tw::AutoRef s = shapes.getRef("Item", {i});
      (void)s.get("Name");
      (void)s.getRef("FromConnects").get("Count");
      (void)s.getRef("Connects").get("Count");
      (void)s.getRef("CellsSRC", {std::int32_t{1}, std::int32_t{1}, std::int32_t{0}})
          .get("FormulaU");
    }
    app->store(pkg);
    (void)pkg.toBytes();
  } catch (const tw::Error&) {
    // A refusal is the right answer to damaged input.
  }
  return 0;
}
