#include "balloon_hints.h"

#include <QApplication>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QWidget>

namespace tw {

namespace {

constexpr int kTail = 8;    // height of the tail
constexpr int kRadius = 6;  // corner radius
constexpr int kPad = 6;     // text padding

class Balloon : public QWidget {
 public:
  Balloon(const QString& text, bool tailUp)
      : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint), text_(text), tailUp_(tailUp) {
    setObjectName(QStringLiteral("balloonHint"));
    setAttribute(Qt::WA_DeleteOnClose);
    // Tahoma, height -11: 11 pixels, whatever font stands in for it here.
    QFont f(QStringLiteral("Tahoma"));
    f.setPixelSize(11);
    setFont(f);
    const QSize textSize = fontMetrics().size(0, text_);
    resize(textSize.width() + 2 * kPad + 2, textSize.height() + 2 * kPad + kTail + 2);
    // A shaped window: it needs no compositing to show only the balloon.
    QPainterPathStroker frame;
    frame.setWidth(2);
    const QPainterPath shape = outline().united(frame.createStroke(outline()));
    setMask(QRegion(shape.toFillPolygon().toPolygon()));
  }
  QString text() const { return text_; }

 protected:
  QRectF body() const {
    return tailUp_ ? QRectF(0.5, kTail + 0.5, width() - 1, height() - kTail - 1)
                   : QRectF(0.5, 0.5, width() - 1, height() - kTail - 1);
  }

  QPainterPath outline() const {
    const QRectF body = this->body();
    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    QPainterPath tail;
    const qreal tx = 14;
    if (tailUp_) {
      tail.moveTo(tx, body.top() + 1);
      tail.lineTo(tx + 2, 0.5);
      tail.lineTo(tx + kTail + 2, body.top() + 1);
    } else {
      tail.moveTo(tx, body.bottom() - 1);
      tail.lineTo(tx + 2, height() - 0.5);
      tail.lineTo(tx + kTail + 2, body.bottom() - 1);
    }
    tail.closeSubpath();
    return path.united(tail);
  }

  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = this->body();
    const QPainterPath path = outline();
    const QPalette& pal = QApplication::palette();
    p.setPen(QPen(pal.color(QPalette::Shadow), 1));
    p.setBrush(pal.color(QPalette::ToolTipBase));
    p.drawPath(path);
    p.setPen(pal.color(QPalette::ToolTipText));
    p.drawText(body.adjusted(kPad, kPad, -kPad, -kPad), Qt::AlignLeft | Qt::AlignVCenter, text_);
  }

 private:
  QString text_;
  bool tailUp_;
};

}  // namespace

BalloonHints::BalloonHints(QWidget* window) : QObject(window), window_(window) {
  setObjectName(QStringLiteral("RzBalloonHints1"));
  qApp->installEventFilter(this);
}

void BalloonHints::showBalloon(QWidget* control) {
  hideBalloon();
  const QString text = control->toolTip();
  if (text.isEmpty()) return;
  // Below the control with the tail up, unless the screen ends there.
  const QPoint below = control->mapToGlobal(QPoint(control->width() / 2 - 14, control->height()));
  QScreen* screen = control->screen();
  auto* b = new Balloon(text, true);
  QPoint at = below;
  if (screen && below.y() + b->height() > screen->geometry().bottom()) {
    delete b;
    b = new Balloon(text, false);
    at = control->mapToGlobal(QPoint(control->width() / 2 - 14, 0)) - QPoint(0, b->height());
  }
  b->move(at);
  b->show();
  balloon_ = b;
  QTimer::singleShot(5000, b, &QWidget::close);
}

void BalloonHints::hideBalloon() {
  if (balloon_) balloon_->close();
  balloon_ = nullptr;
}

bool BalloonHints::eventFilter(QObject* watched, QEvent* event) {
  auto* w = qobject_cast<QWidget*>(watched);
  if (!w || w->window() != window_) return false;
  switch (event->type()) {
    case QEvent::ToolTip:
      showBalloon(w);
      return true;
    case QEvent::Leave:
    case QEvent::MouseButtonPress:
    case QEvent::KeyPress:
    case QEvent::Hide:
      if (balloon_) hideBalloon();
      break;
    default:
      break;
  }
  return false;
}

}  // namespace tw
