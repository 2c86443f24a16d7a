#pragma once
// The application object: an error that leaves an event handler is shown by
// the default error report and the event loop goes on, as the dialogs expect
// (Qt itself does not let exceptions pass through its event loop).
#include <QApplication>

namespace tw {

class Application : public QApplication {
 public:
  Application(int& argc, char** argv) : QApplication(argc, argv) {}
  bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace tw
