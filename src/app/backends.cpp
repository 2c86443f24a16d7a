#include "backends.h"

#include "platform/error.h"

namespace tw {

namespace {

// Stands where no live Visio can be had (Linux, or Windows without Visio).
class NoVisioBackend final : public DrawingBackend {
 public:
  AutoRef attach() override {
    throw Error(
        errkind::kOle,
        "Visio is not available on this machine; run on a drawing file with --drawing FILE.");
  }
};

}  // namespace

std::unique_ptr<DrawingBackend> chooseBackend(const std::vector<std::string>& args) {
  (void)args;
  return std::make_unique<NoVisioBackend>();
}

}  // namespace tw
