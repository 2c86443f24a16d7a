#pragma once
// The editor's two special fields. Both hold the shape's stored text as it is:
// they help with entering a value but never convert what they were given.
#include <QLineEdit>

class QCalendarWidget;

namespace tw {

// A date field that may be empty: free text with a calendar pop-up that writes
// the picked date as dd.MM.yyyy. A stored text that is no date stays as it is.
class DateEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit DateEdit(QWidget* parent = nullptr);
  // The calendar pop-up (created on first use), for tests.
  QCalendarWidget* calendar();
  void showCalendar();

 private:
  void pickDate();
  QWidget* popup_ = nullptr;
  QCalendarWidget* calendar_ = nullptr;
};

// A numeric field with the display format ",0;(,0)": while it has no focus a
// number shows as a whole number with digit grouping, negative numbers in
// parentheses; with focus, and in value(), the text as given or typed. Text
// that is no number shows unchanged.
class NumericEdit : public QLineEdit {
  Q_OBJECT
 public:
  explicit NumericEdit(QWidget* parent = nullptr);
  void setValue(const QString& text);
  QString value() const { return value_; }
  // ",0;(,0)" applied to `text`; the text itself when it is no number.
  static QString formatted(const QString& text);

 protected:
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  QString value_;
  bool showingValue_ = false;
};

}  // namespace tw
