// drawapp_bench [--quick]: builds pages of N events chained by N-1 glued
// connectors, then times single calls on them. A call that costs the same
// at every N does not depend on the number of shapes on the page.
// Prints: drawapp build events=N seconds=S
//         drawapp op=NAME events=N ns_per_call=T
//         drawapp store events=N store_s=S load_s=L
#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "drawing/events.h"
#include "platform/drawapp/drawing_app.h"
#include "platform/vsdx/package.h"

namespace {

using Clock = std::chrono::steady_clock;
using tw::AutoRef;
using tw::Variant;

double since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

template <typename F>
void timeOp(const char* name, int events, int calls, F&& op) {
  const auto start = Clock::now();
  for (int k = 0; k < calls; ++k) op(k);
  std::printf("drawapp op=%s events=%d ns_per_call=%.0f\n", name, events,
              since(start) * 1e9 / calls);
}

void run(int n) {
  auto start = Clock::now();
  auto app = tw::drawapp::DrawingApp::createNew("bench.vsdx");
  const AutoRef vis = app->application();
  const AutoRef masters = vis.getRef("Documents", {"Tarnwick.vss"}).getRef("Masters");
  const AutoRef event = masters.getRef("ItemU", {"Событие"});
  const AutoRef connector = masters.getRef("ItemU", {"Velmar Connector"});
  const AutoRef page = vis.getRef("ActivePage");
  AutoRef previous;
  for (int i = 0; i < n; ++i) {
    const AutoRef e =
        page.getRef("Drop", {event.asVariant(), 1.0 + (i / 50) * 2.0, 1.0 + (i % 50) * 1.0});
    if (!previous.empty()) {
      const AutoRef c = page.getRef("Drop", {connector.asVariant(), 5, 5});
      c.call("SendToBack");
      c.getRef("Cells", {"BeginX"})
          .call("GlueTo", {previous.getRef("Cells", {"Connections.X1"}).asVariant()});
      c.getRef("Cells", {"EndX"})
          .call("GlueTo", {e.getRef("Cells", {"Connections.X2"}).asVariant()});
    }
    previous = e;
  }
  std::printf("drawapp build events=%d seconds=%.3f\n", n, since(start));

  const AutoRef shapes = page.getRef("Shapes");
  const int count = shapes.get("Count").toInt();
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pick(1, count);
  const int calls = 200000;
  std::vector<AutoRef> sample;
  for (int k = 0; k < 1000; ++k) sample.push_back(shapes.getRef("Item", {pick(rng)}));
  auto some = [&](int k) -> const AutoRef& {
    return sample[static_cast<std::size_t>(k) % sample.size()];
  };

  timeOp("item", n, calls, [&](int) { shapes.getRef("Item", {pick(rng)}); });
  timeOp("name", n, calls, [&](int k) { some(k).get("Name"); });
  timeOp("cellssrc_formula", n, calls, [&](int k) {
    some(k).getRef("CellsSRC", {1, 1, 0}).get("FormulaU");
  });
  timeOp("formula_put", n, calls / 4, [&](int k) {
    const AutoRef& s = some(k);
    std::string number = "P";
    number += std::to_string(k);
    if (tw::IsEventName(s.get("Name").toText())) tw::WritePropValue(s, tw::RowNumber, number);
  });
  timeOp("fromconnects", n, calls, [&](int k) {
    const AutoRef from = some(k).getRef("FromConnects");
    if (from.get("Count").toInt() > 0) from.getRef("Item", {1}).getRef("FromCell").getRef("Shape");
  });
  timeOp("connects", n, calls, [&](int k) { some(k).getRef("Connects").get("Count"); });

  tw::vsdx::Package pkg;
  start = Clock::now();
  app->store(pkg);
  const double storeS = since(start);
  start = Clock::now();
  auto back = tw::drawapp::DrawingApp::load(pkg, "bench.vsdx");
  std::printf("drawapp store events=%d store_s=%.3f load_s=%.3f\n", n, storeS, since(start));
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  const bool quick = argc > 1 && std::strcmp(argv[1], "--quick") == 0;
  for (int n : {2000, 20000}) {
    if (quick && n > 2000) break;
    run(n);
  }
  return 0;
}
