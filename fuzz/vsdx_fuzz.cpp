// Feeds arbitrary bytes to the container reader and, when it accepts them,
// to the drawing model: anything may be refused, nothing may crash.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>

#include "platform/error.h"
#include "platform/vsdx/package.h"
#ifdef TW_FUZZ_MODEL
#include "platform/drawapp/drawing_app.h"
#endif

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // Small limits keep each run quick; the checks are the same as the defaults'.
  tw::vsdx::Limits limits;
  limits.maxPartBytes = 8u << 20;
  limits.maxTotalBytes = 32u << 20;
  try {
    tw::vsdx::Package pkg = tw::vsdx::Package::fromBytes(bytes, "fuzz.vsdx", limits);
#ifdef TW_FUZZ_MODEL
    auto app = tw::drawapp::DrawingApp::load(pkg, "fuzz.vsdx");
    app->store(pkg);
#endif
    (void)pkg.toBytes();
  } catch (const tw::Error&) {
    // A refusal is the right answer to damaged input.
  }
  return 0;
}
