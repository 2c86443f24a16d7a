#pragma once
// A gradient background filling its parent, drawn from the start colour to
// the stop colour from left to right.
#include <QColor>
#include <QWidget>

namespace tw {

class TRzBackground : public QWidget {
  Q_OBJECT
 public:
  explicit TRzBackground(QWidget* parent = nullptr);
  QColor GradientColorStart{Qt::white};
  QColor GradientColorStop{Qt::yellow};

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tw
