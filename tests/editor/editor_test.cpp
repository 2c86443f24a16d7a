// The event editor driven by object names over the in-process drawing and
// the sample reference database.
#include <gmock/gmock.h>

#include <QtTest/QTest>

#include "app/startup.h"
#include "editor_fixture.h"

namespace tw::test {
namespace {

using ::testing::ElementsAre;
using ::testing::Pair;

class EditorTest : public EditorFixture {};

TEST_F(EditorTest, ShowsStoredTextsOnTheFirstTabAndSavesAllEightRowsQuoted) {
  CurrentShape = dropEvent();
  const AutoRef neighbour = dropEvent({"P9", "ОГМ", "7", "Соседнее"}, 6, 6);
  // Stored formulas as other programs leave them: quoted or bare, quotes doubled inside.
  const char* stored[] = {
      "\"P12\"", "\"Цех \"\"Север\"\"\"", "101",           "\"Сборка узла\"", "25",
      "\"\"",    "\"уточняется\"",        "\"01.02.2024\""};
  for (std::int32_t row = 0; row < EventRowCount; ++row)
    CurrentShape.getRef("CellsSRC", {visSectionProp, row, visCustPropsValue})
        .put("FormulaU", stored[row]);
  const std::size_t shapesBefore = pageShapes().size();

  edit(settings("unreachable"), [&](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), "Редактор события");
    EXPECT_EQ(child<QTabWidget>(d, "RzPageControl1")->currentIndex(), 0);
    EXPECT_EQ(text(d, "edtNUMBER"), "P12");
    EXPECT_EQ(text(d, "edtISP"), "Цех \"Север\"");
    EXPECT_EQ(text(d, "edtKODKL"), "101");
    EXPECT_EQ(text(d, "edtNAIM"), "Сборка узла");
    EXPECT_EQ(text(d, "edtPROC"), "25");
    EXPECT_EQ(text(d, "edtDOPINFO"), "");
    EXPECT_EQ(text(d, "edtPLANDATE"), "уточняется") << "a text that is no date stays as it is";
    EXPECT_EQ(text(d, "edtFACTDATE"), "01.02.2024");
    click(d, "btnOK");
  });
  EXPECT_FALSE(stillOpen);
  EXPECT_THAT(formulas(CurrentShape),
              ElementsAre("\"P12\"", "\"Цех \"\"Север\"\"\"", "\"101\"", "\"Сборка узла\"",
                          "\"25\"", "\"\"", "\"уточняется\"", "\"01.02.2024\""));
  EXPECT_EQ(pageShapes().size(), shapesBefore) << "no connector without a changed mark";
  EXPECT_THAT(formulas(neighbour)[0], "\"P9\"");
}

TEST_F(EditorTest, TypedValuesAreSavedAsTheyAre) {
  CurrentShape = dropEvent({"P1", "ОГМ", "1", "Старое", "10", "", "", ""});
  edit(settings("unreachable"), [&](QDialog& d) {
    setText(d, "edtNUMBER", "P7");
    setText(d, "edtDOPINFO", "Срок \"жёсткий\"");
    setText(d, "edtPLANDATE", "31.12.2026");
    child<QLineEdit>(d, "edtPROC")->setFocus();
    child<QLineEdit>(d, "edtPROC")->selectAll();
    QTest::keyClicks(child<QLineEdit>(d, "edtPROC"), "5x0");  // the letter is refused
    click(d, "btnOK");
  });
  EXPECT_THAT(formulas(CurrentShape),
              ElementsAre("\"P7\"", "\"ОГМ\"", "\"1\"", "\"Старое\"", "\"50\"",
                          "\"Срок \"\"жёсткий\"\"\"", "\"31.12.2026\"", "\"\""));
}

TEST_F(EditorTest, ClearButtonsEmptyTheirFieldsAndThePercentBecomesZero) {
  CurrentShape =
      dropEvent({"P1", "ОГМ", "101", "Сборка", "40", "Инфо", "01.01.2025", "02.02.2025"});
  forgetChanges();
  edit(settings("unreachable"), [&](QDialog& d) {
    struct Case {
      const char* button;
      const char* field;
      const char* after;
    };
    const Case cases[] = {
        {"RzRapidFireButton1", "edtPROC", "0"},    {"RzRapidFireButton2", "edtPLANDATE", ""},
        {"RzRapidFireButton3", "edtFACTDATE", ""}, {"RzRapidFireButton4", "edtDOPINFO", ""},
        {"RzRapidFireButton5", "edtNAIM", ""},     {"RzRapidFireButton6", "edtISP", ""},
    };
    for (const Case& c : cases) {
      click(d, c.button);
      EXPECT_EQ(text(d, c.field), c.after) << c.button;
    }
    EXPECT_EQ(text(d, "edtKODKL"), "101") << "clearing the name keeps the code";
    EXPECT_FALSE(app_->changed()) << "clear buttons change only the controls";
    click(d, "btnOK");
  });
  EXPECT_THAT(formulas(CurrentShape),
              ElementsAre("\"P1\"", "\"\"", "\"101\"", "\"\"", "\"0\"", "\"\"", "\"\"", "\"\""));
}

TEST_F(EditorTest, CancelAndCloseBoxLeaveTheDrawingUntouched) {
  for (bool viaCloseBox : {false, true}) {
    SetUp();
    const AutoRef pred = dropEvent({"P1"}, 1, 1);
    CurrentShape = dropEvent({"P2", "ОГМ", "5", "Имя", "", "", "01.01.2025", "02.02.2025"}, 4, 1);
    DropConnector(VisioApp, pred, CurrentShape);
    forgetChanges();
    edit(settings("unreachable"), [&](QDialog& d) {
      setText(d, "edtNAIM", "Другое");
      click(d, "RzRapidFireButton2");
      click(d, "RzRapidFireButton3");
      child<QListWidget>(d, "clPRED")->item(0)->setCheckState(Qt::Unchecked);
      if (viaCloseBox)
        d.close();
      else
        click(d, "btnCancel");
    });
    EXPECT_FALSE(stillOpen);
    EXPECT_FALSE(app_->changed()) << (viaCloseBox ? "close box" : "Отмена");
    EXPECT_EQ(connectors().size(), 1u);
    TearDown();
  }
}

TEST_F(EditorTest, WithoutReferenceDataThePickersAreDisabledAndSavingWorks) {
  for (const char* setup : {"unreachable", "none"}) {
    SetUp();
    CurrentShape = dropEvent({"P3", "ОГМ"});
    edit(settings(setup), [&](QDialog& d) {
      EXPECT_FALSE(child<QToolButton>(d, "editLOAD")->isEnabled()) << setup;
      EXPECT_FALSE(child<QToolButton>(d, "edtLOAD_EVENT")->isEnabled()) << setup;
      EXPECT_TRUE(child<QToolButton>(d, "RzRapidFireButton6")->isEnabled());
      EXPECT_EQ(text(d, "edtISP"), "ОГМ");
      setText(d, "edtISP", "КБ");
      click(d, "btnOK");
    });
    EXPECT_TRUE(shown);
    EXPECT_FALSE(stillOpen);
    EXPECT_EQ(formulas(CurrentShape)[1], "\"КБ\"") << setup;
    EXPECT_EQ(frmProcedureEdit, nullptr);
    TearDown();
  }
}

TEST_F(EditorTest, MarkingOnTheSecondTabDropsAConnectorThatTheNextOpeningShows) {
  const AutoRef a = dropEvent({"P1", "ОГМ", "1", "Первое"}, 1, 1);
  const AutoRef b = dropEvent({"P2", "КБ", "2", "Второе"}, 1, 4);
  CurrentShape = dropEvent({"P3"}, 4, 1);
  edit(settings("unreachable"), [&](QDialog& d) {
    QListWidget* list = child<QListWidget>(d, "clPRED");
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "ОГМ-1   Первое");
    EXPECT_EQ(list->item(1)->text(), "КБ-2   Второе");
    list->item(1)->setCheckState(Qt::Checked);
    click(d, "btnOK");
  });
  ASSERT_EQ(connectors().size(), 1u);
  EXPECT_EQ(connectionTargets(connectors()[0]).front(), id(b));

  edit(settings("unreachable"), [&](QDialog& d) {
    QListWidget* list = child<QListWidget>(d, "clPRED");
    EXPECT_EQ(list->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(list->item(1)->checkState(), Qt::Checked);
    click(d, "btnCancel");
  });
  EXPECT_TRUE(InitialChecks.empty()) << "emptied when the editor closes";
}

TEST_F(EditorTest, SkippedLinksAreReportedAfterTheValuesAreSaved) {
  const AutoRef gone = dropEvent({"P1", "ОГМ", "1", "Удалённое"}, 1, 1);
  CurrentShape = dropEvent({"P2"}, 4, 1);
  edit(settings("unreachable"), [&](QDialog& d) {
    child<QListWidget>(d, "clPRED")->item(0)->setCheckState(Qt::Checked);
    gone.call("Delete");  // someone deletes it in the drawing meanwhile
    setText(d, "edtNUMBER", "P5");
    boxes.shown.clear();
    click(d, "btnOK");
  });
  EXPECT_FALSE(stillOpen);
  EXPECT_EQ(formulas(CurrentShape)[0], "\"P5\"");
  EXPECT_TRUE(connectors().empty());
  ASSERT_EQ(boxes.count(MsgIcon::Warning), 1);
  EXPECT_TRUE(boxes.shown.back().text.contains("ОГМ-1   Удалённое"));
}

TEST_F(EditorTest, AnErrorWhileSavingIsReportedAndTheDialogStaysOpen) {
  CurrentShape = dropEvent({"P1"});
  edit(settings("unreachable"), [&](QDialog& d) {
    CurrentShape.call("Delete");
    boxes.shown.clear();
    click(d, "btnOK");
    EXPECT_TRUE(d.isVisible());
  });
  EXPECT_TRUE(stillOpen);
  ASSERT_EQ(boxes.count(MsgIcon::Error), 1);
  EXPECT_EQ(boxes.shown.back().caption, "Application Error");
}

TEST_F(EditorTest, AnErrorWhileOpeningReachesTheCallerAfterCleanUp) {
  dropEvent({"P1"});
  CurrentShape.reset();  // nothing was selected
  forgetChanges();
  try {
    edit(settings("unreachable"), [](QDialog&) {});
    ADD_FAILURE() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "Invalid variant operation");
  }
  EXPECT_FALSE(shown);
  EXPECT_EQ(frmProcedureEdit, nullptr);
  EXPECT_NE(dmMAIN, nullptr) << "start-up frees the data module, not the editor";
  EXPECT_FALSE(app_->changed());
}

// Start-up over the in-process application: the editor opens on the first
// shape of the selection.
class AppBackend : public DrawingBackend {
 public:
  explicit AppBackend(AutoRef app) : app_(std::move(app)) {}
  AutoRef attach() override { return app_; }

 private:
  AutoRef app_;
};

TEST_F(EditorTest, CommandSixOpensOnTheFirstOfThreeSelectedShapes) {
  const AutoRef a = dropEvent({"P1"}, 1, 1);
  const AutoRef b = dropEvent({"P2"}, 3, 1);
  const AutoRef c = dropEvent({"P3"}, 5, 1);
  for (const AutoRef& s : {b, a, c}) app_->select(std::to_string(id(s)));
  AppBackend backend(VisioApp);
  QString number;
  int rc = -1;
  drive(
      [&] {
        rc = RunTarnwick({"tarnwick", "6"}, backend, defaultCommandRoutines());
      },
      [&](QDialog& d) {
        number = text(d, "edtNUMBER");
        click(d, "btnCancel");
      });
  EXPECT_EQ(rc, 0);
  EXPECT_EQ(number, "P2");
}

// Command 7 with and without a selection, cancelled and saved.
TEST_F(EditorTest, CommandSevenDropsEditsAndSelectsTheNewEvent) {
  struct Case {
    bool selectionBefore;
    bool save;
  };
  for (const Case c :
       {Case{false, false}, Case{false, true}, Case{true, false}, Case{true, true}}) {
    SetUp();
    const AutoRef old = dropEvent({"P1", "ОГМ"}, 5, 5);
    if (c.selectionBefore) {
      app_->select(std::to_string(id(old)));
      CurrentShape = old;
    }
    QString openedOn;
    drive([&] { DropNewEvent(); },
          [&](QDialog& d) {
            openedOn = text(d, "edtISP");
            setText(d, "edtISP", "Новое");
            click(d, c.save ? "btnOK" : "btnCancel");
          });
    const std::string what = std::string(c.selectionBefore ? "selected" : "nothing selected") +
                             (c.save ? ", saved" : ", cancelled");
    EXPECT_EQ(openedOn, "") << what << ": the editor opens on the new event, not the selected one";
    ASSERT_EQ(pageShapes().size(), 2u) << what;
    const AutoRef fresh = pageShapes().back();
    EXPECT_EQ(CurrentShape.text(), fresh.text()) << what;
    EXPECT_EQ(
        FormulaToInt(fresh.getRef("CellsSRC", {visSectionObject, visRowXFormOut, visXFormPinX})
                         .get("FormulaU")
                         .toText() +
                     " "),
        2)
        << what;
    const std::string isp = formulas(fresh)[1];
    if (c.save) {
      EXPECT_EQ(isp, "\"Новое\"") << what;
    } else {
      EXPECT_NE(isp, "\"Новое\"") << what << ": cancelled, the master's value stays";
    }
    const AutoRef selection = VisioApp.getRef("ActiveWindow").getRef("Selection");
    ASSERT_EQ(selection.get("Count").toInt(), 1) << what;
    EXPECT_EQ(VisioApp.getRef("ActiveWindow").getRef("Selection", {std::int32_t{1}}).text(),
              fresh.text())
        << what;
    TearDown();
  }
}

}  // namespace
}  // namespace tw::test

namespace tw::test {
namespace {

// The form as laid out: places, sizes, hints and the tab order of the fields.
TEST_F(EditorTest, ControlsSitWhereTheFormPutsThemWithTheirHints) {
  CurrentShape = dropEvent({"P1"});
  edit(settings("unreachable"), [&](QDialog& d) {
    EXPECT_EQ(d.size(), QSize(707, 329));
    struct Case {
      const char* name;
      QRect geometry;
      const char* hint;
    };
    const Case cases[] = {
        {"edtNUMBER", {8, 32, 121, 21}, ""},
        {"edtISP", {8, 72, 281, 21}, ""},
        {"editLOAD", {296, 72, 23, 22}, "Выбрать подразделение из БД"},
        {"RzRapidFireButton6", {322, 72, 23, 22}, "Очистить значение"},
        {"edtKODKL", {8, 112, 49, 21}, ""},
        {"edtNAIM", {64, 112, 489, 21}, ""},
        {"edtLOAD_EVENT", {560, 112, 23, 22}, "Выбрать событие из БД"},
        {"RzRapidFireButton5", {586, 112, 23, 22}, "Очистить значение"},
        {"edtDOPINFO", {8, 152, 545, 21}, ""},
        {"RzRapidFireButton4", {560, 151, 23, 22}, "Очистить значение"},
        {"edtPLANDATE", {8, 192, 97, 21}, ""},
        {"RzRapidFireButton2", {112, 191, 23, 22}, "Очистить значение"},
        {"edtFACTDATE", {248, 192, 97, 21}, ""},
        {"RzRapidFireButton3", {352, 191, 23, 22}, "Очистить значение"},
        {"edtPROC", {8, 233, 97, 21}, ""},
        {"RzRapidFireButton1", {112, 232, 23, 22}, "Очистить значение"},
        {"clPRED", {8, 40, 657, 217}, ""},
        {"RzPageControl1", {0, 0, 707, 293}, ""},
    };
    for (const Case& c : cases) {
      QWidget* w = child<QWidget>(d, c.name);
      ASSERT_NE(w, nullptr);
      EXPECT_EQ(w->geometry(), c.geometry) << c.name;
      EXPECT_EQ(w->toolTip(), QString::fromUtf8(c.hint)) << c.name;
    }
    auto* tabs = child<QTabWidget>(d, "RzPageControl1");
    EXPECT_EQ(tabs->tabText(0), "Параметры события");
    EXPECT_EQ(tabs->tabText(1), "Список предшествующих событий");
    EXPECT_EQ(child<QPushButton>(d, "btnOK")->text(), "Сохранить");
    EXPECT_EQ(child<QPushButton>(d, "btnCancel")->text(), "Отмена");

    // Tab from the number through the fields in the form's order.
    QStringList order;
    QWidget* w = child<QWidget>(d, "edtNUMBER");
    for (int i = 0; i < 8; ++i, w = w->nextInFocusChain()) {
      while (!(w->focusPolicy() & Qt::TabFocus) || !qobject_cast<QLineEdit*>(w) ||
             w->objectName().isEmpty())
        w = w->nextInFocusChain();
      order << w->objectName();
    }
    EXPECT_EQ(order.join(' '),
              "edtNUMBER edtISP edtNAIM edtDOPINFO edtPLANDATE edtFACTDATE edtPROC edtKODKL");
    click(d, "btnCancel");
  });
}

}  // namespace
}  // namespace tw::test
