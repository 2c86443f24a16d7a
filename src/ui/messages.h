#pragma once
// Every message box goes through this one interface, so that tests replace it
// and runs without a display still report errors.
#include <QString>
#include <exception>

namespace tw {

enum class MsgIcon { Information, Warning, Error, Question };

class MessageBoxes {
 public:
  virtual ~MessageBoxes() = default;
  // A modal box with one "OK" button.
  virtual void show(MsgIcon icon, const QString& caption, const QString& text) = 0;
};

// The boxes in use: the real ones unless a test installed others.
MessageBoxes& messageBoxes();
// Installs `boxes` (not owned; nullptr restores the real ones).
void setMessageBoxes(MessageBoxes* boxes);

// True when a window can be shown (a display, or Qt's offscreen platform in tests).
bool haveDisplay();

// The application's default error report: a box titled "Application Error"
// naming the error's kind and message when a display is there, and always one
// line on standard error.
void reportError(const std::exception& e);

}  // namespace tw
