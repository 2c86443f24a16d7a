#include "app/startup.h"

#include <gtest/gtest.h>

#include "../drawing/fake_page.h"
#include "drawing/events.h"
#include "ui/messages.h"

namespace tw {
namespace {

struct RecordingBoxes : MessageBoxes {
  std::vector<std::pair<QString, QString>> shown;
  void show(MsgIcon, const QString& caption, const QString& text) override {
    shown.emplace_back(caption, text);
  }
};

// A drawing application with one page, an optional window and a selection.
struct App : test::FakeApp {
  bool hasWindow = true;
  std::vector<std::shared_ptr<test::FakeShape>> selected;
  int selectionReads = 0;

  struct Selection : Dispatch {
    App* app;
    explicit Selection(App* a) : app(a) {}
    Variant invoke(std::string_view member, InvokeKind, const std::vector<Variant>&) override {
      if (member == "Count") return Variant(static_cast<std::int32_t>(app->selected.size()));
      throw Error(errkind::kOle, "Unknown name.");
    }
  };
  struct Window : Dispatch {
    App* app;
    explicit Window(App* a) : app(a) {}
    Variant invoke(std::string_view member, InvokeKind, const std::vector<Variant>& args) override {
      if (member != "Selection") throw Error(errkind::kOle, "Unknown name.");
      ++app->selectionReads;
      if (args.empty()) return Variant(DispatchPtr(std::make_shared<Selection>(app)));
      return Variant(DispatchPtr(app->selected.at(static_cast<std::size_t>(args[0].toInt() - 1))));
    }
  };

  Variant invoke(std::string_view member, InvokeKind kind,
                 const std::vector<Variant>& args) override {
    if (member == "ActiveWindow")
      return hasWindow ? Variant(DispatchPtr(std::make_shared<Window>(this))) : Variant();
    return FakeApp::invoke(member, kind, args);
  }
};

struct Backend : DrawingBackend {
  DispatchPtr app;
  std::string attachError;
  int attached = 0;
  std::vector<bool> finished;
  AutoRef attach() override {
    ++attached;
    if (!attachError.empty()) throw Error(errkind::kOle, attachError);
    return AutoRef(app);
  }
  void finish(bool ok) override { finished.push_back(ok); }
};

class Startup : public ::testing::Test {
 public:
  void SetUp() override {
    app = std::make_shared<App>();
    backend.app = app;
    setMessageBoxes(&boxes);
    routines.showAboutBox = [this] { calls.push_back("about"); };
    routines.editCurrentEvent = [this] {
      calls.push_back("edit:" + (CurrentShape.empty() ? std::string("none")
                                                      : CurrentShape.get("Name").toText()));
    };
    routines.dropNewEvent = [this] { calls.push_back("drop"); };
    routines.freeDataModule = [this] { calls.push_back("free"); };
  }
  void TearDown() override { setMessageBoxes(nullptr); }
  int run(std::vector<std::string> args) {
    args.insert(args.begin(), "/opt/tarnwick/tarnwick");
    return RunTarnwick(args, backend, routines);
  }

  std::shared_ptr<App> app;
  Backend backend;
  RecordingBoxes boxes;
  CommandRoutines routines;
  std::vector<std::string> calls;
};

TEST_F(Startup, DispatchesTheLastArgumentOnly) {
  struct Case {
    std::vector<std::string> args;
    std::vector<std::string> calls;
  } cases[] = {
      {{"1"}, {"about", "free"}},
      {{"6"}, {"edit:none", "free"}},
      {{"7"}, {"drop", "free"}},
      {{"6", "7"}, {"drop", "free"}},
      {{"--drawing", "x.vsdx", "6"}, {"edit:none", "free"}},
      {{"3"}, {"free"}},
      {{"0"}, {"free"}},
      {{"-1"}, {"free"}},
      {{"$6"}, {"edit:none", "free"}},
  };
  for (const auto& c : cases) {
    calls.clear();
    backend.finished.clear();
    EXPECT_EQ(run(c.args), 0) << c.args.back();
    EXPECT_EQ(calls, c.calls) << c.args.back();
    EXPECT_EQ(backend.finished, std::vector<bool>{true});
    EXPECT_TRUE(VisioApp.empty());
    EXPECT_TRUE(CurrentShape.empty());
  }
  EXPECT_TRUE(boxes.shown.empty());
  // Attached and read the selection for every command, the About box included.
  EXPECT_EQ(backend.attached, 9);
}

TEST_F(Startup, TheFirstSelectedShapeIsTheCurrentShape) {
  app->selected = {app->add("Событие.3", "1 mm", "1 mm"), app->add("Событие", "2 mm", "1 mm"),
                   app->add("Событие.2", "3 mm", "1 mm")};
  EXPECT_EQ(run({"6"}), 0);
  EXPECT_EQ(calls.front(), "edit:Событие.3");
}

TEST_F(Startup, CommandTwoRenumbersWithNothingSelected) {
  auto a = app->add("Событие", "20 mm", "1 mm");
  auto b = app->add("Событие.2", "10 mm", "1 mm");
  EXPECT_EQ(run({"6", "2"}), 0);
  EXPECT_EQ(a->values[0], "\"P2\"");
  EXPECT_EQ(b->values[0], "\"P1\"");
  EXPECT_EQ(calls, std::vector<std::string>{"free"});
}

TEST_F(Startup, FailuresAreReportedOnceAndEndWithExitCodeOne) {
  struct Case {
    const char* what;
    std::vector<std::string> args;
    std::function<void(Startup&)> arrange;
    std::string message;
  } cases[] = {
      {"no argument converts the executable's path",
       {},
       nullptr,
       "EConvertError: '/opt/tarnwick/tarnwick' is not a valid integer value"},
      {"not an integer", {"six"}, nullptr, "EConvertError: 'six' is not a valid integer value"},
      {"trailing blank", {"2 "}, nullptr, "EConvertError: '2 ' is not a valid integer value"},
      {"overflow",
       {"4294967302"},
       nullptr,
       "EConvertError: '4294967302' is not a valid integer value"},
      {"no drawing application",
       {"2"},
       [](Startup& t) { t.backend.attachError = "Visio is not available."; },
       "EOleException: Visio is not available."},
      {"no active window",
       {"2"},
       [](Startup& t) { t.app->hasWindow = false; },
       "EOleException: The drawing application has no active window."},
      {"bad position formula",
       {"2"},
       [](Startup& t) { t.app->add("Событие", "120", "1 mm"); },
       "EConvertError: '' is not a valid integer value"},
  };
  for (const auto& c : cases) {
    SetUp();
    backend = Backend{};
    backend.app = app;
    boxes.shown.clear();
    calls.clear();
    if (c.arrange) c.arrange(*this);
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(run(c.args), 1) << c.what;
    const std::string err = ::testing::internal::GetCapturedStderr();
    ASSERT_EQ(boxes.shown.size(), 1u) << c.what;
    EXPECT_EQ(boxes.shown[0].first, "Application Error") << c.what;
    EXPECT_EQ(boxes.shown[0].second.toStdString(), c.message) << c.what;
    EXPECT_NE(err.find(c.message), std::string::npos) << c.what << ": " << err;
    EXPECT_EQ(backend.attached, 1) << c.what;
    EXPECT_EQ(backend.finished, std::vector<bool>{false}) << c.what;
    EXPECT_TRUE(VisioApp.empty());
    EXPECT_TRUE(CurrentShape.empty());
  }
}

TEST_F(Startup, ANumberOutsideTheTableStillReadsTheSelection) {
  app->selected = {app->add("Событие", "1 mm", "1 mm")};
  EXPECT_EQ(run({"5"}), 0);
  EXPECT_EQ(app->selectionReads, 2);  // the count, then the first item
}

}  // namespace
}  // namespace tw
