#include "backends.h"

#include <filesystem>

#include "drawing/events.h"
#include "platform/drawapp/drawing_app.h"
#include "platform/error.h"
#include "platform/vsdx/package.h"

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

[[noreturn]] void badOptions(const std::string& problem) {
  throw Error(errkind::kGeneral, problem + "\nUsage:\n" + FileModeUsage);
}

class FileBackend final : public DrawingBackend {
 public:
  explicit FileBackend(FileMode mode) : mode_(std::move(mode)) {}

  AutoRef attach() override {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::exists(mode_.drawing, ec)) {
      package_ = vsdx::Package::load(mode_.drawing);
      app_ = drawapp::DrawingApp::load(package_, mode_.drawing);
    } else {
      const fs::path folder = fs::path(mode_.drawing).parent_path();
      if (!folder.empty() && !fs::is_directory(folder, ec))
        throw Error(errkind::kFile, "The drawing \"" + mode_.drawing +
                                        "\" cannot be created: its folder does not exist.");
      app_ = drawapp::DrawingApp::createNew(mode_.drawing);
      // Stored at once, so that changed() tells what the command did.
      app_->store(package_);
      isNew_ = true;
    }
    if (!mode_.page.empty()) app_->setActivePage(mode_.page);
    for (const auto& s : mode_.selects) app_->select(s);
    return app_->application();
  }

  void finish(bool commandSucceeded) override {
    if (!app_ || finished_) return;
    finished_ = true;
    // A new drawing is written even when the command left it as it was; after
    // a failure only what the command changed is kept, as the drawing
    // application would keep it. Either way the save replaces the file whole.
    if (!(app_->changed() || (isNew_ && commandSucceeded))) return;
    app_->store(package_);
    package_.save(mode_.drawing);
  }

 private:
  FileMode mode_;
  vsdx::Package package_;
  std::unique_ptr<drawapp::DrawingApp> app_;
  bool isNew_ = false;
  bool finished_ = false;
};

}  // namespace

std::optional<FileMode> parseFileMode(const std::vector<std::string>& args) {
  bool any = false;
  for (std::size_t i = 1; i < args.size(); ++i) any = any || args[i] == "--drawing";
  if (!any) return std::nullopt;

  FileMode mode;
  bool haveDrawing = false;
  bool havePage = false;
  std::size_t i = 1;
  const std::size_t n = args.size();
  // Without --list, the last argument is the command number and no option's value.
  bool list = false;
  for (std::size_t k = 1; k < n; ++k) list = list || args[k] == "--list";
  const std::size_t end = list ? n : n - 1;
  if (!list) {
    const bool lastIsValue = n >= 3 && (args[n - 2] == "--drawing" || args[n - 2] == "--page" ||
                                        args[n - 2] == "--select");
    if (n < 2 || args[n - 1].rfind("--", 0) == 0 || lastIsValue)
      badOptions("The command number is missing: it is the last argument.");
  }
  auto value = [&](const std::string& option) -> const std::string& {
    const bool isOption = i + 1 < end && (args[i + 1] == "--drawing" || args[i + 1] == "--page" ||
                                          args[i + 1] == "--select" || args[i + 1] == "--list");
    if (i + 1 >= end || isOption) badOptions("The option " + option + " needs a value.");
    return args[++i];
  };
  for (; i < end; ++i) {
    const std::string& a = args[i];
    if (a == "--drawing") {
      if (haveDrawing) badOptions("The option --drawing is given twice.");
      mode.drawing = value(a);
      haveDrawing = true;
      if (mode.drawing.empty()) badOptions("The option --drawing needs a file name.");
    } else if (a == "--page") {
      if (havePage) badOptions("The option --page is given twice.");
      mode.page = value(a);
      havePage = true;
      if (mode.page.empty()) badOptions("The option --page needs a page name or number.");
    } else if (a == "--select") {
      mode.selects.push_back(value(a));
    } else if (a == "--list") {
      mode.list = true;
    } else if (list) {
      badOptions("With --list there is no command number; \"" + a + "\" is not an option.");
    } else {
      badOptions("\"" + a + "\" is not an option; only the last argument is the command number.");
    }
  }
  if (mode.list && !mode.selects.empty()) badOptions("The option --select has no use with --list.");
  return mode;
}

std::unique_ptr<DrawingBackend> makeFileBackend(const FileMode& mode) {
  return std::make_unique<FileBackend>(mode);
}

std::unique_ptr<DrawingBackend> chooseBackend(const std::vector<std::string>& args) {
  if (const auto mode = parseFileMode(args)) return makeFileBackend(*mode);
  return std::make_unique<NoVisioBackend>();
}

}  // namespace tw
