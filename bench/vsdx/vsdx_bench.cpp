// bench_vsdx [EVENTS] [FILE]: generates a drawing of EVENTS events and as many
// connectors (in a child process, so that its memory does not count), then
// loads, renumbers and saves it, and times libvisio's vsd2raw on the same file.
// Prints: vsdx events=N load_s=L renumber_s=R save_s=S peak_mb=M
//         vsd2raw_s=V
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <string>

#include "drawing/events.h"
#include "drawing/renumber.h"
#include "platform/drawapp/drawing_app.h"
#include "platform/error.h"
#include "platform/vsdx/package.h"
#include "platform/vsdx/tools/plan.h"

namespace {

using Clock = std::chrono::steady_clock;

double since(Clock::time_point t) {
  return std::chrono::duration<double>(Clock::now() - t).count();
}

int generate(const std::string& path, std::int32_t events) {
  const auto rows = static_cast<std::int32_t>(std::lround(std::sqrt(static_cast<double>(events))));
  const std::int32_t columns = (events + rows - 1) / rows;
  std::vector<tw::plan::PlanEvent> plan;
  std::vector<std::pair<std::size_t, std::size_t>> links;
  tw::plan::gridPlan(columns, rows, static_cast<std::size_t>(events), plan, links);
  plan.resize(static_cast<std::size_t>(events));
  std::erase_if(links,
                [&](const auto& l) { return l.first >= plan.size() || l.second >= plan.size(); });
  auto app = tw::drawapp::DrawingApp::createNew(path);
  tw::plan::build(app->application(), plan, links);
  tw::vsdx::Package pkg;
  app->store(pkg);
  pkg.save(path);
  std::fprintf(stderr, "generated %s: %zu events, %zu connectors\n", path.c_str(), plan.size(),
               links.size());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::int32_t events = argc > 1 ? std::atoi(argv[1]) : 10000;
  const std::string path =
      argc > 2 ? argv[2] : (std::filesystem::temp_directory_path() / "tw_bench_vsdx.vsdx").string();
  try {
    const pid_t child = fork();
    if (child == 0) _exit(generate(path, events));
    int status = 0;
    waitpid(child, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
      std::fprintf(stderr, "bench_vsdx: generating the drawing failed\n");
      return 1;
    }

    auto t = Clock::now();
    tw::vsdx::Package pkg = tw::vsdx::Package::load(path);
    auto app = tw::drawapp::DrawingApp::load(pkg, path);
    const double load = since(t);

    t = Clock::now();
    tw::VisioApp = app->application();
    tw::RenumberEvents();
    tw::VisioApp.reset();
    const double renumber = since(t);

    t = Clock::now();
    app->store(pkg);
    pkg.save(path);
    const double save = since(t);

    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("vsdx events=%d load_s=%.3f renumber_s=%.3f save_s=%.3f peak_mb=%.1f\n", events,
                load, renumber, save, static_cast<double>(ru.ru_maxrss) / 1024.0);
    std::fflush(stdout);

    t = Clock::now();
    const int rc = std::system(("vsd2raw '" + path + "' > /dev/null 2>&1").c_str());
    const double raw = since(t);
    if (rc != 0)
      std::printf("vsd2raw_s=failed (exit %d; is libvisio-tools installed?)\n", rc);
    else
      std::printf("vsd2raw_s=%.3f\n", raw);
    std::filesystem::remove(path);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "bench_vsdx: %s: %s\n", tw::errorKind(e).c_str(), e.what());
    return 1;
  }
}
