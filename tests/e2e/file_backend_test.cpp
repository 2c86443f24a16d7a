// The file backend under start-up: what reaches the disk after a command,
// after a failed one, and when the save itself fails.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include "app/backends.h"
#include "app/startup.h"
#include "drawing/events.h"
#include "platform/drawapp/drawing_app.h"
#include "platform/error.h"
#include "platform/vsdx/package.h"
#include "platform/vsdx/tools/plan.h"
#include "ui/messages.h"
#include "zip_fixture.h"

namespace fs = std::filesystem;
using namespace tw::vsdx::testing;
using ::testing::HasSubstr;

namespace {

struct RecordingBoxes : tw::MessageBoxes {
  std::vector<QString> texts;
  void show(tw::MsgIcon, const QString&, const QString& text) override { texts.push_back(text); }
};

class FileBackend : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("tw_backend_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    tw::setMessageBoxes(&boxes_);
    plan_ = (dir_ / "plan.vsdx").string();
    std::vector<tw::plan::PlanEvent> events(2);
    events[0].x = 1;
    events[1].x = 4;
    auto app = tw::drawapp::DrawingApp::createNew("plan.vsdx");
    tw::plan::build(app->application(), events, {{0, 1}});
    tw::vsdx::Package pkg;
    app->store(pkg);
    pkg.save(plan_);
    original_ = readFile(plan_);
  }
  void TearDown() override {
    tw::setMessageBoxes(nullptr);
    fs::remove_all(dir_);
  }

  // Runs start-up on the plan with command 6 doing `edit`.
  int runEdit(const std::function<void()>& edit, const std::vector<std::string>& extra = {}) {
    std::vector<std::string> args = {"tarnwick", "--drawing", plan_};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("6");
    auto backend = tw::chooseBackend(args);
    tw::CommandRoutines routines;
    routines.editCurrentEvent = edit;
    return tw::RunTarnwick(args, *backend, routines);
  }

  std::string nameOfFirstEvent() const {
    const tw::vsdx::Package pkg = tw::vsdx::Package::load(plan_);
    auto app = tw::drawapp::DrawingApp::load(pkg, plan_);
    const tw::AutoRef shape =
        app->application().getRef("ActivePage").getRef("Shapes").getRef("Item", {std::int32_t{2}});
    return tw::StripQuotes(tw::ReadPropFormula(shape, tw::RowName));
  }

  fs::path dir_;
  std::string plan_;
  std::string original_;
  RecordingBoxes boxes_;
};

}  // namespace

TEST_F(FileBackend, ChangesBeforeAnErrorAreSavedWhole) {
  // The connector was sent to the back: the first event is shape 2.
  const int rc = runEdit(
      [] {
        tw::WritePropValue(tw::CurrentShape, tw::RowName, "Монтаж \"опор\" & <линии>\nэтап 2");
        throw tw::Error(tw::errkind::kOle, "the drawing application refused");
      },
      {"--select", "1"});
  EXPECT_EQ(rc, 1);
  ASSERT_EQ(boxes_.texts.size(), 1u);
  EXPECT_THAT(boxes_.texts[0].toStdString(), HasSubstr("refused"));
  EXPECT_EQ(nameOfFirstEvent(), "Монтаж \"опор\" & <линии>\nэтап 2");
  EXPECT_NO_THROW(tw::vsdx::Package::load(plan_));
}

TEST_F(FileBackend, AFailedCommandThatChangedNothingWritesNothing) {
  EXPECT_EQ(runEdit([] { throw tw::Error(tw::errkind::kOle, "nothing done"); }), 1);
  EXPECT_EQ(readFile(plan_), original_);
  const std::string fresh = (dir_ / "fresh.vsdx").string();
  auto backend = tw::chooseBackend({"tarnwick", "--drawing", fresh, "6"});
  tw::CommandRoutines routines;
  routines.editCurrentEvent = [] { throw tw::Error(tw::errkind::kOle, "nothing done"); };
  EXPECT_EQ(tw::RunTarnwick({"tarnwick", "--drawing", fresh, "6"}, *backend, routines), 1);
  EXPECT_FALSE(fs::exists(fresh));
}

TEST_F(FileBackend, AFailedSaveIsReportedOnceAndKeepsTheOldFile) {
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit oldLimit{};
  ::getrlimit(RLIMIT_FSIZE, &oldLimit);
  rlimit limit = oldLimit;
  limit.rlim_cur = 200;
  ::setrlimit(RLIMIT_FSIZE, &limit);
  const int rc = runEdit([] { tw::WritePropValue(tw::CurrentShape, tw::RowName, "новое имя"); },
                         {"--select", "Событие"});
  ::setrlimit(RLIMIT_FSIZE, &oldLimit);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(rc, 1);
  ASSERT_EQ(boxes_.texts.size(), 1u);
  EXPECT_THAT(boxes_.texts[0].toStdString(), HasSubstr(plan_));
  EXPECT_THAT(boxes_.texts[0].toStdString(), HasSubstr("not saved"));
  EXPECT_EQ(readFile(plan_), original_);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
}
