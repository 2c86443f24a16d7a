#include "fields.h"

#include <QAction>
#include <QCalendarWidget>
#include <QDate>
#include <QKeyEvent>
#include <QLocale>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

namespace tw {

namespace {

QIcon calendarIcon() {
  QPixmap pm(16, 16);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setPen(QColor(0, 60, 116));
  p.setBrush(Qt::white);
  p.drawRect(1, 2, 13, 12);
  p.fillRect(2, 3, 12, 3, QColor(0, 60, 116));
  p.setPen(QColor(90, 90, 90));
  for (int y = 8; y <= 12; y += 2)
    for (int x = 3; x <= 12; x += 3) p.drawPoint(x, y);
  return QIcon(pm);
}

QDate parseDate(const QString& text) {
  for (const char* f : {"dd.MM.yyyy", "d.M.yyyy", "dd.MM.yy", "yyyy-MM-dd"}) {
    QDate d = QDate::fromString(text.trimmed(), QString::fromLatin1(f));
    if (d.isValid()) return d;
  }
  return {};
}

}  // namespace

DateEdit::DateEdit(QWidget* parent) : QLineEdit(parent) {
  QAction* open = addAction(calendarIcon(), QLineEdit::TrailingPosition);
  open->setObjectName(QStringLiteral("calendarButton"));
  connect(open, &QAction::triggered, this, &DateEdit::showCalendar);
}

QCalendarWidget* DateEdit::calendar() {
  if (!calendar_) {
    popup_ = new QWidget(this, Qt::Popup);
    popup_->setObjectName(QStringLiteral("calendarPopup"));
    auto* layout = new QVBoxLayout(popup_);
    layout->setContentsMargins(1, 1, 1, 1);
    calendar_ = new QCalendarWidget(popup_);
    calendar_->setObjectName(QStringLiteral("calendar"));
    calendar_->setGridVisible(true);
    calendar_->setLocale(QLocale(QLocale::Russian, QLocale::Russia));
    calendar_->setFirstDayOfWeek(Qt::Monday);
    layout->addWidget(calendar_);
    connect(calendar_, &QCalendarWidget::clicked, this, [this](QDate) { pickDate(); });
    connect(calendar_, &QCalendarWidget::activated, this, [this](QDate) { pickDate(); });
  }
  return calendar_;
}

void DateEdit::showCalendar() {
  QCalendarWidget* cal = calendar();
  const QDate current = parseDate(text());
  cal->setSelectedDate(current.isValid() ? current : QDate::currentDate());
  popup_->adjustSize();
  popup_->move(mapToGlobal(QPoint(0, height())));
  popup_->show();
  cal->setFocus();
}

void DateEdit::pickDate() {
  setText(calendar_->selectedDate().toString(QStringLiteral("dd.MM.yyyy")));
  popup_->hide();
  setFocus();
}

NumericEdit::NumericEdit(QWidget* parent) : QLineEdit(parent) {
  setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  connect(this, &QLineEdit::textEdited, this, [this](const QString& t) { value_ = t; });
}

QString NumericEdit::formatted(const QString& text) {
  QString t = text.trimmed();
  t.replace(QLatin1Char(','), QLatin1Char('.'));
  bool ok = false;
  const double v = t.toDouble(&ok);
  if (!ok || !std::isfinite(v) || std::fabs(v) >= 1e15) return text;
  const double whole = std::round(std::fabs(v));
  QLocale locale;
  locale.setNumberOptions(QLocale::DefaultNumberOptions);
  const QString digits = locale.toString(static_cast<qlonglong>(whole));
  return v < 0 && whole != 0 ? QStringLiteral("(%1)").arg(digits) : digits;
}

void NumericEdit::setValue(const QString& text) {
  value_ = text;
  setText(hasFocus() ? value_ : formatted(value_));
}

void NumericEdit::focusInEvent(QFocusEvent* e) {
  setText(value_);
  QLineEdit::focusInEvent(e);
}

void NumericEdit::focusOutEvent(QFocusEvent* e) {
  QLineEdit::focusOutEvent(e);
  setText(formatted(value_));
}

void NumericEdit::keyPressEvent(QKeyEvent* e) {
  // Only what a number is made of may be typed; keys without text (moving,
  // deleting) and shortcuts pass.
  const QString typed = e->text();
  if (!typed.isEmpty() && typed.at(0).isPrint() && !(e->modifiers() & Qt::ControlModifier)) {
    const QChar c = typed.at(0);
    if (!c.isDigit() && c != QLatin1Char('-') && c != QLatin1Char('.') && c != QLatin1Char(','))
      return;
  }
  QLineEdit::keyPressEvent(e);
}

}  // namespace tw
