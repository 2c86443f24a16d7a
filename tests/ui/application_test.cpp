// The application object of the program itself, in a test program of its own.
#include "ui/application.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>

#include "platform/error.h"
#include "qtapp.h"

namespace tw {
namespace {

struct Throwing : QObject {
  int seen = 0;
  bool event(QEvent* e) override {
    if (e->type() != QEvent::User) return QObject::event(e);
    ++seen;
    throw Error(errkind::kOle, "Object has been deleted.");
  }
};

TEST(Application, AnErrorFromAnEventHandlerIsReportedAndTheLoopGoesOn) {
  ASSERT_NE(dynamic_cast<Application*>(QCoreApplication::instance()), nullptr);
  test::RecordingBoxes boxes;
  setMessageBoxes(&boxes);
  Throwing target;
  QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
  QCoreApplication::postEvent(&target, new QEvent(QEvent::User));
  QCoreApplication::processEvents();
  setMessageBoxes(nullptr);
  EXPECT_EQ(target.seen, 2);
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Application Error"));
  EXPECT_EQ(boxes.shown[0].text, QStringLiteral("EOleException: Object has been deleted."));
}

}  // namespace
}  // namespace tw

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  tw::Application app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
