#pragma once
// One QApplication for a whole test program (run offscreen by ctest).
#include <QApplication>
#include <QString>
#include <vector>

#include "ui/messages.h"

namespace tw::test {

inline QApplication& qtApp() {
  static int argc = 1;
  static char arg0[] = "tw_test";
  static char* argv[] = {arg0, nullptr};
  // Never destroyed: Qt's input devices (made by the test clicks) must not
  // outlive it at exit, and it stays reachable for leak checkers.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

// Records message boxes instead of showing them.
class RecordingBoxes : public MessageBoxes {
 public:
  struct Box {
    MsgIcon icon;
    QString caption, text;
  };
  std::vector<Box> shown;
  void show(MsgIcon icon, const QString& caption, const QString& text) override {
    shown.push_back({icon, caption, text});
  }
};

}  // namespace tw::test
