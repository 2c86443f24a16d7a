// tw_stencil FILE: writes the project's stencil "Tarnwick.vssx" from the same
// master definitions the in-process application uses.
#include <cstdio>
#include <exception>

#include "platform/drawapp/drawing_app.h"
#include "platform/error.h"
#include "platform/vsdx/package.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: tw_stencil FILE\n");
    return 2;
  }
  try {
    tw::vsdx::Package pkg;
    tw::drawapp::writeStencil(pkg);
    pkg.save(argv[1]);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tw_stencil: %s: %s\n", tw::errorKind(e).c_str(), e.what());
    return 1;
  }
}
