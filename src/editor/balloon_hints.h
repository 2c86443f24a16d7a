#pragma once
// Tool tips of one window shown as balloons: a rounded frame with a tail that
// points at the control, in the hint font and colours.
#include <QFont>
#include <QObject>
#include <QPointer>

class QWidget;

namespace tw {

class BalloonHints : public QObject {
  Q_OBJECT
 public:
  // Shows the hints of `window` and its controls as balloons.
  explicit BalloonHints(QWidget* window);
  // The balloon now shown, or null.
  QWidget* balloon() const { return balloon_; }
  void showBalloon(QWidget* control);
  void hideBalloon();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* window_;
  QPointer<QWidget> balloon_;
};

}  // namespace tw
