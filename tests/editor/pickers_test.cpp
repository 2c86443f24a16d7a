// The editor's two pickers over the sample reference database.
#include <gmock/gmock.h>

#include <QStandardPaths>

#include "data/select/unit_core_selectform.h"
#include "editor_fixture.h"

namespace tw::test {
namespace {

class PickerTest : public EditorFixture {
 protected:
  static bool DatabaseConnectedForTest() { return dmMAIN && dmMAIN->pFIBDatabase1.connected(); }

  void SetUp() override {
    QStandardPaths::setTestModeEnabled(true);  // placements stay out of the user's settings
    EditorFixture::SetUp();
  }

  // The values of `field` in the rows the selection form shows.
  static QStringList column(TfrmCore_SelectForm& f, const char* field) {
    GridModel* m = f.grdSELECT->gridModel();
    QStringList out;
    for (int c = 0; c < m->columnCount(); ++c) {
      if (m->fieldName(c) != QLatin1String(field)) continue;
      for (int r = 0; r < m->rowCount(); ++r) out << m->data(m->index(r, c)).toString();
    }
    return out;
  }

  // Presses `picker` in the editor and, once the selection form shows, lets
  // `choose` act on it; the form is cancelled when `choose` leaves it open.
  void pick(QDialog& editor, const char* picker,
            const std::function<void(TfrmCore_SelectForm&)>& choose) {
    QTimer timer;
    timer.setSingleShot(true);
    bool formShown = false;
    QObject::connect(&timer, &QTimer::timeout, [&] {
      auto* f = qobject_cast<TfrmCore_SelectForm*>(QApplication::activeModalWidget());
      if (!f) return;
      formShown = true;
      choose(*f);
      if (f->isVisible()) f->btnCANCEL->click();
    });
    timer.start(0);
    click(editor, picker);
    EXPECT_TRUE(formShown) << picker;
  }
};

// Z23 chooses the subdivision list: 0 is ZN, 1 is ZNS, anything else is
// reported once and gives ZN.
TEST_F(PickerTest, SubdivisionPickerListsTheTableThatZ23Chooses) {
  struct Case {
    const char* settings;
    const char* sql;
    const char* firstRow;
    int warnings;
  };
  const Case cases[] = {
      {"ivanov", "SELECT ZNKOD AS KOD, ZO1 FROM ZN", "Отдел главного конструктора", 0},
      {"petrova", "SELECT ZNSKOD AS KOD, ZO1 FROM ZNS", "Сектор расчётов прочности", 0},
      {"z23bad", "SELECT ZNKOD AS KOD, ZO1 FROM ZN", "Отдел главного конструктора", 1},
  };
  for (const Case& c : cases) {
    SetUp();
    CurrentShape = dropEvent({"P1", "ОГМ"});
    QStringList rows;
    QString picked;
    edit(settings(c.settings), [&](QDialog& d) {
      ASSERT_NE(frmProcedureEdit->SubdivisionDialog, nullptr) << c.settings;
      EXPECT_EQ(frmProcedureEdit->SubdivisionDialog->SQLText(), c.sql) << c.settings;
      EXPECT_EQ(boxes.count(MsgIcon::Warning), c.warnings) << c.settings;
      EXPECT_TRUE(child<QToolButton>(d, "editLOAD")->isEnabled());
      pick(d, "editLOAD", [&](TfrmCore_SelectForm& f) {
        EXPECT_EQ(f.windowTitle(), "Укажите подразделение");
        rows = column(f, "ZO1");
        ASSERT_GE(rows.size(), 3);
        f.grdSELECT->setCurrentRow(2);
        picked = rows[2];
        f.btnOK->click();
      });
      EXPECT_EQ(text(d, "edtISP"), picked) << c.settings;
      click(d, "btnOK");
    });
    EXPECT_TRUE(rows.contains(QString::fromUtf8(c.firstRow)))
        << c.settings << ": " << rows.join(", ").toStdString();
    EXPECT_EQ(formulas(CurrentShape)[1], "\"" + picked.toStdString() + "\"") << c.settings;
    TearDown();
  }
}

// The connection is open but the rights record cannot be read: the error is
// reported, the editor still opens and saves, and the pickers without their
// dialogs are disabled.
TEST_F(PickerTest, WhenTheRightsCannotBeReadThePickersAreDisabled) {
  CurrentShape = dropEvent({"P1", "ОГМ"});
  edit(settings("norole"), [&](QDialog& d) {
    EXPECT_TRUE(DatabaseConnectedForTest());
    EXPECT_EQ(boxes.count(MsgIcon::Error), 1);
    EXPECT_EQ(frmProcedureEdit->SubdivisionDialog, nullptr);
    EXPECT_FALSE(child<QToolButton>(d, "editLOAD")->isEnabled());
    EXPECT_FALSE(child<QToolButton>(d, "edtLOAD_EVENT")->isEnabled());
    setText(d, "edtISP", "КБ");
    click(d, "btnOK");
  });
  EXPECT_FALSE(stillOpen);
  EXPECT_EQ(formulas(CurrentShape)[1], "\"КБ\"");
}

TEST_F(PickerTest, ClassifierPickerFillsCodeAndNameAndTheNameClearKeepsTheCode) {
  CurrentShape = dropEvent({"P1", "ОГМ", "old", "Старое имя"});
  QString code, name;
  edit(settings("ivanov"), [&](QDialog& d) {
    pick(d, "edtLOAD_EVENT", [&](TfrmCore_SelectForm& f) {
      EXPECT_EQ(f.windowTitle(), "Укажите событие из классификатора событий");
      const QStringList codes = column(f, "KODKL"), names = column(f, "NAMZAD");
      ASSERT_GE(codes.size(), 5);
      ASSERT_EQ(codes.size(), names.size());
      f.grdSELECT->setCurrentRow(4);
      code = codes[4];
      name = names[4];
      f.btnOK->click();
    });
    EXPECT_FALSE(code.isEmpty());
    EXPECT_EQ(text(d, "edtKODKL"), code);
    EXPECT_EQ(text(d, "edtNAIM"), name);
    click(d, "RzRapidFireButton5");
    EXPECT_EQ(text(d, "edtKODKL"), code);
    EXPECT_EQ(text(d, "edtNAIM"), "");
    click(d, "btnOK");
  });
  EXPECT_EQ(formulas(CurrentShape)[2], "\"" + code.toStdString() + "\"");
  EXPECT_EQ(formulas(CurrentShape)[3], "\"\"");
}

TEST_F(PickerTest, PickerClosedWithoutAChoiceChangesNothing) {
  CurrentShape = dropEvent({"P1", "ОГМ", "7", "Имя"});
  edit(settings("ivanov"), [&](QDialog& d) {
    pick(d, "editLOAD", [](TfrmCore_SelectForm& f) { f.btnCANCEL->click(); });
    pick(d, "edtLOAD_EVENT", [](TfrmCore_SelectForm& f) { f.btnCANCEL->click(); });
    EXPECT_EQ(text(d, "edtISP"), "ОГМ");
    EXPECT_EQ(text(d, "edtKODKL"), "7");
    EXPECT_EQ(text(d, "edtNAIM"), "Имя");
    click(d, "btnCancel");
  });
}

TEST_F(PickerTest, CancelAfterPickingAndClearingTouchesNothing) {
  const AutoRef pred = dropEvent({"P1"}, 1, 1);
  CurrentShape = dropEvent({"P2", "ОГМ", "1", "Имя", "50", "", "01.01.2025", "02.02.2025"}, 4, 1);
  forgetChanges();
  edit(settings("ivanov"), [&](QDialog& d) {
    pick(d, "editLOAD", [](TfrmCore_SelectForm& f) { f.btnOK->click(); });
    EXPECT_NE(text(d, "edtISP"), "ОГМ");
    click(d, "RzRapidFireButton2");
    click(d, "RzRapidFireButton3");
    child<QListWidget>(d, "clPRED")->item(0)->setCheckState(Qt::Checked);
    click(d, "btnCancel");
  });
  EXPECT_FALSE(stillOpen);
  EXPECT_FALSE(app_->changed());
  EXPECT_TRUE(connectors().empty());
}

}  // namespace
}  // namespace tw::test
