// The editor's date and numeric fields: they help entering a value and never
// convert the stored text.
#include <gtest/gtest.h>

#include <QCalendarWidget>
#include <QLocale>
#include <QtTest/QTest>

#include "editor/fields.h"
#include "qstring_print.h"

namespace tw {
namespace {

TEST(NumericEditTest, DisplayFormatGroupsDigitsAndPutsNegativesInParentheses) {
  QLocale::setDefault(QLocale::c());
  struct Case {
    const char* stored;
    const char* shown;
  };
  const Case cases[] = {
      {"25", "25"},   {"1234567", "1,234,567"},
      {"-5", "(5)"},  {"12.5", "13"},
      {"0", "0"},     {"-0.2", "0"},
      {"", ""},       {"abc", "abc"},
      {"12,4", "12"}, {" 7 ", "7"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(NumericEdit::formatted(QString::fromUtf8(c.stored)), c.shown) << c.stored;
}

TEST(NumericEditTest, ValueKeepsTheStoredTextWhateverTheDisplay) {
  QLocale::setDefault(QLocale::c());
  QWidget window;
  NumericEdit edit(&window);
  QLineEdit other(&window);
  window.show();
  QApplication::setActiveWindow(&window);
  other.setFocus();
  QApplication::processEvents();
  edit.setValue(QStringLiteral("1234.5"));
  EXPECT_EQ(edit.text(), "1,235");
  EXPECT_EQ(edit.value(), "1234.5") << "a field left alone saves what it was given";
  edit.setFocus();
  QApplication::processEvents();
  ASSERT_TRUE(edit.hasFocus());
  EXPECT_EQ(edit.text(), "1234.5") << "with focus the field shows the value itself";
  edit.selectAll();
  QTest::keyClicks(&edit, "-7a");
  EXPECT_EQ(edit.value(), "-7");
  other.setFocus();
  QApplication::processEvents();
  EXPECT_EQ(edit.text(), "(7)");
}

TEST(DateEditTest, CalendarWritesThePickedDateAndOpensOnTheStoredOne) {
  QWidget window;
  DateEdit edit(&window);
  window.show();
  edit.setText(QStringLiteral("15.03.2025"));
  edit.showCalendar();
  QCalendarWidget* cal = edit.calendar();
  EXPECT_EQ(cal->selectedDate(), QDate(2025, 3, 15));
  cal->setSelectedDate(QDate(2026, 1, 9));
  emit cal->clicked(QDate(2026, 1, 9));
  EXPECT_EQ(edit.text(), "09.01.2026");

  // A text that is no date is kept; the calendar opens on today.
  edit.setText(QStringLiteral("после испытаний"));
  edit.showCalendar();
  EXPECT_EQ(edit.calendar()->selectedDate(), QDate::currentDate());
  EXPECT_EQ(edit.text(), "после испытаний");
}

}  // namespace
}  // namespace tw
