#include "messages.h"

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>

#include "platform/error.h"

namespace tw {

namespace {

class RealMessageBoxes final : public MessageBoxes {
 public:
  void show(MsgIcon icon, const QString& caption, const QString& text) override {
    if (icon == MsgIcon::Warning || icon == MsgIcon::Error)
      std::fprintf(stderr, "%s: %s\n", caption.toUtf8().constData(), text.toUtf8().constData());
    if (!haveDisplay()) return;
    QMessageBox::Icon qicon = QMessageBox::Information;
    switch (icon) {
      case MsgIcon::Information:
        qicon = QMessageBox::Information;
        break;
      case MsgIcon::Warning:
        qicon = QMessageBox::Warning;
        break;
      case MsgIcon::Error:
        qicon = QMessageBox::Critical;
        break;
      case MsgIcon::Question:
        qicon = QMessageBox::Question;
        break;
    }
    QMessageBox box(qicon, caption, text, QMessageBox::Ok);
    box.exec();
  }
};

RealMessageBoxes realBoxes;
MessageBoxes* current = nullptr;

}  // namespace

MessageBoxes& messageBoxes() {
  return current ? *current : realBoxes;
}

void setMessageBoxes(MessageBoxes* boxes) {
  current = boxes;
}

bool haveDisplay() {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
  return QGuiApplication::platformName() != QLatin1String("minimal");
}

void reportError(const std::exception& e) {
  const QString kind = QString::fromStdString(errorKind(e));
  const QString message = QString::fromUtf8(e.what());
  std::fprintf(stderr, "tarnwick: %s: %s\n", kind.toUtf8().constData(),
               message.toUtf8().constData());
  if (&messageBoxes() == &realBoxes) {
    if (!haveDisplay()) return;
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Application Error"),
                    kind + QStringLiteral(": ") + message, QMessageBox::Ok);
    box.exec();
    return;
  }
  messageBoxes().show(MsgIcon::Error, QStringLiteral("Application Error"),
                      kind + QStringLiteral(": ") + message);
}

}  // namespace tw
