#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QPushButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "data/db/database.h"
#include "data/select/unit_core_selectform.h"
#include "platform/error.h"

namespace tw {
namespace {

QApplication& qtApp() {
  static int argc = 1;
  static char arg0[] = "tw_select_test";
  static char* argv[] = {arg0, nullptr};
  // Never destroyed: Qt's input devices (made by the test clicks) must not
  // outlive it at exit, and it stays reachable for leak checkers.
  static QApplication* app = new QApplication(argc, argv);
  return *app;
}

const QString kSubdivisions = QStringLiteral("SELECT ZNKOD AS KOD, ZO1 FROM ZN");
const QString kClassifier = QStringLiteral("SELECT KODKLA, KODKL, NAMZAD FROM KLASSIF");

class SelectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qtApp();
    QStandardPaths::setTestModeEnabled(true);
    configDir().removeRecursively();
    ASSERT_TRUE(dir.isValid());
    dbPath = dir.filePath("sample.fdb");
    ASSERT_TRUE(QFile::copy(TW_SAMPLE_DB, dbPath));
    QFile::setPermissions(dbPath, QFile::ReadOwner | QFile::WriteOwner);
    database.setDatabaseName(dbPath);
    database.setUserName("SYSDBA");
    database.connect();
  }
  void TearDown() override { configDir().removeRecursively(); }
  static QDir configDir() {
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/Vek");
  }

  // The subdivision picker as the event editor sets it up.
  std::unique_ptr<TSelectDialog> subdivisions(const QString& sql = kSubdivisions) {
    auto d = std::make_unique<TSelectDialog>("PODR", &database);
    d->setShowClearButton(true);
    d->setMultiSelect(false);
    d->setCaption(QStringLiteral("Выбор подразделения"));
    d->setKeyField("KOD");
    d->setDisplayField("ZO1");
    d->setSQLText(sql);
    d->AddColumn("ZO1", QStringLiteral("Подразделения"));
    d->setAutoFit(true);
    return d;
  }
  std::unique_ptr<TSelectDialog> classifier() {
    auto d = std::make_unique<TSelectDialog>("KODKLA", &database);
    d->setShowClearButton(true);
    d->setMultiSelect(false);
    d->setCaption(QStringLiteral("Выбор события из классификатора"));
    d->setKeyField("KODKLA");
    d->setDisplayField("KODKL");
    d->setSQLText(kClassifier);
    d->AddColumn("KODKL", QStringLiteral("Код события"));
    d->AddColumn("NAMZAD", QStringLiteral("Наименование"));
    d->setAutoFit(true);
    return d;
  }

  // Runs Execute with `act` applied to the shown form; `shown` tells whether it was.
  bool execute(TSelectDialog& d, const std::function<void(TfrmCore_SelectForm&)>& act,
               bool* shown = nullptr) {
    bool wasShown = false;
    QTimer timer;
    timer.setSingleShot(true);
    QObject::connect(&timer, &QTimer::timeout, [&] {
      TfrmCore_SelectForm* f = d.Form();
      if (!f->isVisible()) return;
      wasShown = true;
      act(*f);
      if (f->isVisible()) f->done(TfrmCore_SelectForm::mrCancel);  // never hang a test
    });
    timer.start(0);
    struct Report {
      bool* to;
      const bool& from;
      ~Report() {
        if (to) *to = from;
      }
    } report{shown, wasShown};  // also when Execute throws
    return d.Execute();
  }
  static int rowOfKey(TfrmCore_SelectForm& f, int column, const QString& key) {
    GridModel& m = *f.grdSELECT->gridModel();
    while (m.canFetchMore({})) m.fetchMore({});
    for (int r = 0; r < m.rowCount(); ++r)
      if (m.text(r, column) == key) return r;
    return -1;
  }
  static void click(QPushButton* b) { QTest::mouseClick(b, Qt::LeftButton); }

  QTemporaryDir dir;
  QString dbPath;
  db::Database database;
};

TEST_F(SelectTest, OkTakesCurrentRowAndLeavesQueryOnIt) {
  auto d = subdivisions();
  bool shown = false;
  const bool ok = execute(
      *d,
      [&](TfrmCore_SelectForm& f) {
        EXPECT_EQ(f.windowTitle(), QStringLiteral("Выбор подразделения"));
        EXPECT_TRUE(f.btnOK->isEnabled());
        EXPECT_TRUE(f.btnCLEAR->isVisible());
        f.grdSELECT->setCurrentRow(rowOfKey(f, 0, "5"));
        // The form sets the grid's ten colours and fonts: the whole current row
        // (row selection) in the current cell's green.
        EXPECT_FALSE(f.grdSELECT->defaultPainting());
        QColor bg;
        GridFont font;
        f.grdSELECT->cellParams(f.grdSELECT->dataColumn(1), f.grdSELECT->currentRow(), bg, font);
        EXPECT_EQ(bg, QColor(164, 236, 189));
        click(f.btnOK);
      },
      &shown);
  EXPECT_TRUE(shown);
  EXPECT_TRUE(ok);
  EXPECT_EQ(d->ResultKeys(), "(5)");
  EXPECT_EQ(d->ResultText(), QStringLiteral("Отдел технического контроля"));
  EXPECT_EQ(d->SelectedKeys(), (std::vector<qint32>{5}));
  EXPECT_EQ(d->Form()->qSELECT->asString("ZO1"), QStringLiteral("Отдел технического контроля"));

  // Cancel after an OK: false, keys emptied, the earlier choice kept.
  EXPECT_FALSE(execute(*d, [&](TfrmCore_SelectForm& f) { click(f.btnCANCEL); }));
  EXPECT_TRUE(d->SelectedKeys().empty());
  EXPECT_EQ(d->ResultKeys(), "(5)");
  EXPECT_EQ(d->ResultText(), QStringLiteral("Отдел технического контроля"));

  // The close box: false as well.
  EXPECT_FALSE(execute(*d, [&](TfrmCore_SelectForm& f) { f.close(); }));
  EXPECT_EQ(d->ResultKeys(), "(5)");

  // Esc presses no button.
  EXPECT_TRUE(execute(*d, [&](TfrmCore_SelectForm& f) {
    QTest::keyClick(&f, Qt::Key_Escape);
    EXPECT_TRUE(f.isVisible());
    click(f.btnOK);
  }));

  // "Очистить": true, everything emptied, the query back on its first row.
  EXPECT_TRUE(execute(*d, [&](TfrmCore_SelectForm& f) { click(f.btnCLEAR); }));
  EXPECT_TRUE(d->ResultKeys().isEmpty());
  EXPECT_TRUE(d->ResultText().isEmpty());
  EXPECT_TRUE(d->SelectedKeys().empty());
  EXPECT_EQ(d->Form()->qSELECT->currentRow(), 0);
}

TEST_F(SelectTest, DoubleClickChoosesLikeOk) {
  auto d = subdivisions();
  EXPECT_TRUE(execute(*d, [&](TfrmCore_SelectForm& f) {
    const int row = rowOfKey(f, 0, "9");
    f.grdSELECT->setCurrentRow(row);
    const QRect cell = f.grdSELECT->visualRect(f.grdSELECT->gridModel()->index(row, 1));
    QTest::mouseDClick(f.grdSELECT->viewport(), Qt::LeftButton, {}, cell.center());
  }));
  EXPECT_EQ(d->ResultKeys(), "(9)");
  EXPECT_EQ(d->ResultText(), QStringLiteral("Конструкторское бюро «Ёлка»"));
}

TEST_F(SelectTest, MarkedRowsGiveListsOfKeysAndTexts) {
  database.execute("CREATE TABLE PICK (K INTEGER, T VARCHAR(10))");
  database.execute("INSERT INTO PICK VALUES (7, 'B')");
  database.execute("INSERT INTO PICK VALUES (5, 'C')");
  database.execute("INSERT INTO PICK VALUES (3, 'A')");
  TSelectDialog d("PICK", &database);
  d.setMultiSelect(true);
  d.setKeyField("K");
  d.setDisplayField("T");
  d.setSQLText("SELECT K, T FROM PICK ORDER BY K");
  EXPECT_TRUE(execute(d, [&](TfrmCore_SelectForm& f) {
    for (int row : {rowOfKey(f, 0, "3"), rowOfKey(f, 0, "7")}) {
      const QRect cell = f.grdSELECT->visualRect(f.grdSELECT->gridModel()->index(row, 1));
      QTest::mouseClick(f.grdSELECT->viewport(), Qt::LeftButton, Qt::ControlModifier,
                        cell.center());
    }
    // A double click with marking on chooses nothing.
    QTest::mouseDClick(f.grdSELECT->viewport(), Qt::LeftButton, Qt::ControlModifier,
                       f.grdSELECT->visualRect(f.grdSELECT->gridModel()->index(1, 1)).center());
    EXPECT_TRUE(f.isVisible());
    f.grdSELECT->setMarked(1, true);
    f.grdSELECT->setMarked(1, false);
    click(f.btnOK);
  }));
  EXPECT_EQ(d.ResultKeys(), "(3,7)");
  EXPECT_EQ(d.ResultText(), "A, B");
  EXPECT_EQ(d.SelectedKeys(), (std::vector<qint32>{3, 7}));
  EXPECT_EQ(d.Form()->qSELECT->asInteger("K"), 7);  // on the last marked row

  // Marking on but nothing marked: the current row is the choice.
  EXPECT_TRUE(execute(d, [&](TfrmCore_SelectForm& f) {
    f.grdSELECT->clearMarks();
    f.grdSELECT->setCurrentRow(rowOfKey(f, 0, "5"));
    click(f.btnOK);
  }));
  EXPECT_EQ(d.ResultKeys(), "(5)");
  EXPECT_EQ(d.ResultText(), "C");
}

TEST_F(SelectTest, ColumnsTitledHiddenAndCapped) {
  auto d = classifier();
  d->AddColumn("NAMZAD",
               QStringLiteral("Наименование события"));  // registered twice: the later title
  execute(*d, [&](TfrmCore_SelectForm& f) {
    TDBColorGridEh& g = *f.grdSELECT;
    ASSERT_EQ(g.columnCountEh(), 3);
    EXPECT_FALSE(g.columnVisible(0));  // KODKLA: not registered
    EXPECT_TRUE(g.columnVisible(1));
    EXPECT_EQ(g.column(1).title, QStringLiteral("Код события"));
    EXPECT_EQ(g.column(2).title, QStringLiteral("Наименование события"));
    EXPECT_TRUE(g.column(2).titleButton);
    EXPECT_EQ(g.column(2).color, QColor(217, 233, 240));
    EXPECT_EQ(g.column(2).minWidth, 60);
  });
  // Wider than 300 after the first build: 300 (fitting off, to see the widths as built).
  auto wide = classifier();
  wide->setAutoFit(false);
  execute(*wide, [&](TfrmCore_SelectForm& f) { EXPECT_LE(f.grdSELECT->columnWidth(2), 300); });
}

TEST_F(SelectTest, WithoutAddColumnEveryColumnShowsByFieldName) {
  TSelectDialog d("PLAIN", &database);
  d.setKeyField("KOD");
  d.setDisplayField("ZO1");
  d.setSQLText(kSubdivisions);
  execute(d, [&](TfrmCore_SelectForm& f) {
    TDBColorGridEh& g = *f.grdSELECT;
    ASSERT_EQ(g.columnCountEh(), 2);
    EXPECT_TRUE(g.columnVisible(0) && g.columnVisible(1));
    EXPECT_TRUE(g.column(0).title.isEmpty());
    EXPECT_EQ(g.gridModel()->fieldName(0), "KOD");
    EXPECT_EQ(g.column(1).minWidth, 0);
  });
  TSelectDialog lower("LOWER", &database);
  lower.setSQLText(kSubdivisions);
  lower.AddColumn("zo1", "x");  // letter case differs: matches nothing
  execute(lower, [&](TfrmCore_SelectForm& f) {
    EXPECT_FALSE(f.grdSELECT->columnVisible(0));
    EXPECT_FALSE(f.grdSELECT->columnVisible(1));
  });
}

TEST_F(SelectTest, EmptySqlTextFailsBeforeAnything) {
  TSelectDialog d("EMPTY", &database);
  bool shown = true;
  try {
    execute(
        d, [](TfrmCore_SelectForm&) {}, &shown);
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_STREQ(e.what(), "SQLText is empty !");
    EXPECT_EQ(e.kind(), "Exception");
  }
  EXPECT_FALSE(d.Form()->qSELECT->isOpen());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(SelectTest, EmptyResultDisablesOkAndIgnoresDoubleClicks) {
  auto d = subdivisions(kSubdivisions + " WHERE ZNKOD < 0");
  EXPECT_FALSE(execute(*d, [&](TfrmCore_SelectForm& f) {
    EXPECT_FALSE(f.btnOK->isEnabled());
    f.grdSELECTDblClick();
    QTest::mouseDClick(f.grdSELECT->viewport(), Qt::LeftButton, {}, QPoint(20, 10));
    EXPECT_TRUE(f.isVisible());
    f.close();
  }));
  EXPECT_TRUE(d->ResultKeys().isEmpty());
}

TEST_F(SelectTest, FailedOpenShowsNothingAndIsTriedAgain) {
  TSelectDialog d("LATER", &database);
  d.setKeyField("K");
  d.setDisplayField("T");
  d.setSQLText("SELECT K, T FROM LATER");
  bool shown = true;
  EXPECT_THROW(execute(
                   d, [](TfrmCore_SelectForm&) {}, &shown),
               Error);
  EXPECT_FALSE(shown);
  EXPECT_FALSE(d.Form()->isVisible());
  EXPECT_FALSE(d.Form()->qSELECT->isOpen());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

  database.execute("CREATE TABLE LATER (K INTEGER, T VARCHAR(10))");
  database.execute("INSERT INTO LATER VALUES (1, 'one')");
  EXPECT_TRUE(execute(d, [&](TfrmCore_SelectForm& f) { click(f.btnOK); }));
  EXPECT_EQ(d.ResultText(), "one");
}

TEST_F(SelectTest, OpenQueryIsReusedUntilSqlTextChanges) {
  auto d = subdivisions();
  execute(*d, [&](TfrmCore_SelectForm& f) { click(f.btnCANCEL); });
  database.execute(QStringLiteral("INSERT INTO ZN VALUES (100, 'Новый отдел')"));
  int rows = 0;
  execute(*d, [&](TfrmCore_SelectForm& f) {
    rows = f.grdSELECT->gridModel()->rowCount();
    EXPECT_EQ(rowOfKey(f, 0, "100"), -1);  // fetched the first time
  });
  d->setSQLText(kSubdivisions);  // the same text: nothing changes
  EXPECT_TRUE(d->Form()->qSELECT->isOpen());
  d->setSQLText(kSubdivisions + " ORDER BY ZNKOD");
  EXPECT_FALSE(d->Form()->qSELECT->isOpen());
  execute(*d, [&](TfrmCore_SelectForm& f) {
    EXPECT_EQ(f.grdSELECT->gridModel()->rowCount(), rows + 1);
    EXPECT_NE(rowOfKey(f, 0, "100"), -1);
  });
}

TEST_F(SelectTest, PickersKeepSeparatePlacementsAndLayouts) {
  QRect podrFrame, kodklaFrame;
  {
    auto podr = subdivisions();
    podr->setAutoFit(false);
    execute(*podr, [&](TfrmCore_SelectForm& f) {
      f.move(40, 50);
      f.resize(500, 350);
      f.grdSELECT->setColumnWidthEh(1, 333);                // above the cap: stored as it stands
      f.grdSELECT->verticalHeader()->resizeSection(0, 28);  // a row edge dragged
      EXPECT_EQ(f.grdSELECT->rowHeight(3), 28);
      podrFrame = f.frameGeometry();
      click(f.btnCANCEL);
    });
    auto kodkla = classifier();
    execute(*kodkla, [&](TfrmCore_SelectForm& f) {
      f.move(70, 80);
      f.resize(700, 450);
      kodklaFrame = f.frameGeometry();
      click(f.btnCANCEL);
    });
  }
  const auto podrKey = TFormStorageEx::openKey("Software\\Vek\\Forms\\TfrmCore_SelectForm_PODR");
  const auto normPos = [](const QRect& r) {
    return QStringLiteral("%1,%2,%3,%4")
        .arg(r.left())
        .arg(r.top())
        .arg(r.left() + r.width())
        .arg(r.top() + r.height());
  };
  EXPECT_EQ(podrKey->value("TfrmCore_SelectForm/NormPos").toString(), normPos(podrFrame));
  EXPECT_EQ(podrKey->value("TfrmCore_SelectFormgrdSELECT/Default").toString(), "28,0");
  EXPECT_EQ(
      podrKey->value("TfrmCore_SelectFormgrdSELECT/grdSELECT.ZO1").toString().section(',', 1, 1),
      "333");
  EXPECT_TRUE(podrKey->contains("TfrmCore_SelectFormgrdSELECT/grdSELECT.KOD"));
  const auto kodklaKey =
      TFormStorageEx::openKey("Software\\Vek\\Forms\\TfrmCore_SelectForm_KODKLA");
  EXPECT_EQ(kodklaKey->value("TfrmCore_SelectForm/NormPos").toString(), normPos(kodklaFrame));
  EXPECT_NE(podrFrame, kodklaFrame);

  auto podr = subdivisions();
  podr->setAutoFit(false);
  execute(*podr, [&](TfrmCore_SelectForm& f) {
    EXPECT_EQ(f.frameGeometry(), podrFrame);
    EXPECT_EQ(f.grdSELECT->columnWidth(1), 300);  // restored, then capped
    EXPECT_EQ(f.grdSELECT->verticalHeader()->defaultSectionSize(), 28);
  });
  auto kodkla = classifier();
  execute(*kodkla, [&](TfrmCore_SelectForm& f) { EXPECT_EQ(f.frameGeometry(), kodklaFrame); });
}

TEST_F(SelectTest, TitleClickSortsAndScreenshots) {
  QDir().mkpath(TW_SCREENSHOT_DIR);
  auto podr = subdivisions();
  execute(*podr, [&](TfrmCore_SelectForm& f) {
    TDBColorGridEh& g = *f.grdSELECT;
    g.titleClick(1, false);
    const GridModel& m = *g.gridModel();
    for (int r = 1; r < m.rowCount(); ++r)
      EXPECT_LE(m.text(r - 1, 1).toCaseFolded().compare(m.text(r, 1).toCaseFolded()), 0);
    g.setCurrentRow(2);
    EXPECT_TRUE(f.grab().save(TW_SCREENSHOT_DIR "/picker_podr.png"));
  });
  auto kodkla = classifier();
  execute(*kodkla, [&](TfrmCore_SelectForm& f) {
    f.grdSELECT->titleClick(2, false);
    f.grdSELECT->titleClick(2, false);  // descending
    f.grdSELECT->setCurrentRow(3);
    EXPECT_TRUE(f.grab().save(TW_SCREENSHOT_DIR "/picker_kodkla.png"));
  });
}

}  // namespace
}  // namespace tw
