// Renumbering on the in-process drawing application: drawing calls and time
// for pages of 200, 2,000 and 20,000 events, beside the original algorithm.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>

#include "../../tests/drawing/literal_renumber.h"
#include "drawing/events.h"
#include "drawing/renumber.h"
#include "platform/automation/counting.h"
#include "platform/drawapp/drawing_app.h"

namespace {

std::unique_ptr<tw::drawapp::DrawingApp> makePage(int events) {
  auto app = tw::drawapp::DrawingApp::createNew();
  const tw::AutoRef application = app->application();
  const tw::AutoRef master = application.getRef("Documents")
                                 .getRef("Item", {tw::Variant("Tarnwick.vss")})
                                 .getRef("Masters")
                                 .getRef("ItemU", {tw::Variant("Событие")});
  const tw::AutoRef page = application.getRef("ActivePage");
  // Columns of up to 40 events with a few shared places, so that every rule
  // of the ordering is at work.
  for (int i = 0; i < events; ++i) {
    const double x = 0.5 + (i / 40) * 1.25 + (i % 3 == 0 ? 0.3 : 0.0);
    const double y = 0.5 + (i % 40) * 0.5 - (i % 7 == 0 ? 0.25 : 0.0);
    page.call("Drop", {master.asVariant(), tw::Variant(x), tw::Variant(y)});
  }
  return app;
}

void run(const char* label, int events, void (*routine)()) {
  auto app = makePage(events);
  auto counter = std::make_shared<tw::CallCounter>();
  tw::VisioApp = tw::AutoRef(tw::countCalls(app->application().ptr(), counter));
  const auto start = std::chrono::steady_clock::now();
  routine();
  const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
  tw::VisioApp.reset();
  std::printf("%s events=%d calls=%llu seconds=%.3f\n", label, events,
              static_cast<unsigned long long>(counter->calls), took.count());
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  for (int n : {200, 2000, 20000}) {
    if (quick && n > 2000) break;
    run("renumber", n, tw::RenumberEvents);
  }
  for (int n : {200, 2000}) {
    if (quick && n > 200) break;
    run("literal", n, tw::test::LiteralRenumberEvents);
  }
  return 0;
}
