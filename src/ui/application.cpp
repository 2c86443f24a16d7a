#include "application.h"

#include <exception>

#include "messages.h"

namespace tw {

bool Application::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& e) {
    reportError(e);
    return false;
  }
}

}  // namespace tw
