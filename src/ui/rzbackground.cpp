#include "rzbackground.h"

#include <QLinearGradient>
#include <QPainter>

namespace tw {

TRzBackground::TRzBackground(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void TRzBackground::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  QLinearGradient g(rect().topLeft(), rect().topRight());
  g.setColorAt(0, GradientColorStart);
  g.setColorAt(1, GradientColorStop);
  p.fillRect(rect(), g);
}

}  // namespace tw
