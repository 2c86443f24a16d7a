// tw_makeplan FILE [--grid COLUMNS ROWS LINKS]: writes a planning drawing made
// through the program's own drawing model (the demo's plan by default).
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "plan.h"
#include "platform/drawapp/drawing_app.h"
#include "platform/error.h"
#include "platform/vsdx/package.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv, argv + argc);
  if (args.size() != 2 && args.size() != 6) {
    std::fprintf(stderr, "usage: tw_makeplan FILE [--grid COLUMNS ROWS LINKS]\n");
    return 2;
  }
  try {
    std::vector<tw::plan::PlanEvent> events;
    std::vector<std::pair<std::size_t, std::size_t>> links;
    if (args.size() == 6 && args[2] == "--grid")
      tw::plan::gridPlan(std::stoi(args[3]), std::stoi(args[4]), std::stoul(args[5]), events,
                         links);
    else
      tw::plan::demoPlan(events, links);
    auto app = tw::drawapp::DrawingApp::createNew(args[1]);
    tw::plan::build(app->application(), events, links);
    tw::vsdx::Package pkg;
    app->store(pkg);
    pkg.save(args[1]);
    std::printf("%s: %zu events, %zu connectors\n", args[1].c_str(), events.size(), links.size());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tw_makeplan: %s: %s\n", tw::errorKind(e).c_str(), e.what());
    return 1;
  }
}
