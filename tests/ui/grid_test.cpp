#include <gtest/gtest.h>

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "qtapp.h"
#include "platform/error.h"
#include "ui/dbcolorgrideh.h"

namespace tw {
namespace {

using test::RecordingBoxes;

// Types text key by key (QTest's own typing knows only Latin letters).
void typeText(QWidget* w, const QString& text) {
  for (const QChar ch : text) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(ch));
    QApplication::sendEvent(w, &press);
  }
}

const QColor kColumn(217, 233, 240);
const QColor kSelCell(1, 1, 1), kSelRow(2, 2, 2), kMarked(3, 3, 3), kMarkSelCell(4, 4, 4),
    kMarkSelRow(5, 5, 5);
GridFont fontOf(int r) {
  return GridFont{QFont(), QColor(r, 100, 100)};
}
const GridFont kFSelCell = fontOf(11), kFSelRow = fontOf(12), kFMarked = fontOf(13),
               kFMarkSelCell = fontOf(14), kFMarkSelRow = fontOf(15);

class GridTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::qtApp();
    setMessageBoxes(&boxes);
    source = std::make_unique<MemoryGridSource>(
        QStringList{"KOD", "NAME", "CODE"},
        std::vector<std::vector<QVariant>>{{3, QStringLiteral("Отдел сбыта"), QStringLiteral("b")},
                                           {1, QStringLiteral("Бухгалтерия"), QStringLiteral("a")},
                                           {7, QStringLiteral("Архив"), QStringLiteral("b")},
                                           {5, QStringLiteral("Отдел кадров"), QStringLiteral("a")},
                                           {2, QStringLiteral("Склад"), QStringLiteral("c")}});
    grid = std::make_unique<TDBColorGridEh>();
    grid->setObjectName("grdTEST");
    grid->resize(400, 200);
    grid->gridModel()->setSource(source.get());
    for (int c = 0; c < 3; ++c) {
      grid->column(c).color = kColumn;
      grid->column(c).titleButton = true;
    }
  }
  void TearDown() override { setMessageBoxes(nullptr); }

  void setColours() {
    grid->setSelectedCellColor(kSelCell);
    grid->setSelectedRowColor(kSelRow);
    grid->setMarkedColor(kMarked);
    grid->setMarkedSelectedCellColor(kMarkSelCell);
    grid->setMarkedSelectedRowColor(kMarkSelRow);
    grid->setSelectedCellFont(kFSelCell);
    grid->setSelectedRowFont(kFSelRow);
    grid->setMarkedFont(kFMarked);
    grid->setMarkedSelectedCellFont(kFMarkSelCell);
    grid->setMarkedSelectedRowFont(kFMarkSelRow);
  }
  std::vector<int> shownKeys() const {
    std::vector<int> keys;
    for (int r = 0; r < grid->gridModel()->rowCount(); ++r)
      keys.push_back(grid->gridModel()->text(r, 0).toInt());
    return keys;
  }
  QPoint titleCentre(int column) const {
    const QHeaderView* h = grid->horizontalHeader();
    return QPoint(h->sectionViewportPosition(column) + h->sectionSize(column) / 2, h->height() / 2);
  }

  RecordingBoxes boxes;
  std::unique_ptr<MemoryGridSource> source;
  std::unique_ptr<TDBColorGridEh> grid;
};

TEST_F(GridTest, HighlightPrecedence) {
  setColours();
  grid->setMultiSelect(true);
  grid->setCurrentRow(1);
  grid->setMarked(1, true);
  grid->setMarked(3, true);
  struct Case {
    const char* what;
    int row;
    bool selected;
    QColor background;
    GridFont font;
  };
  const GridFont base{QFont(), QColor(0, 0, 0)};
  const Case cases[] = {
      {"plain cell", 0, false, kColumn, base},
      {"marked, other row", 3, false, kMarked, kFMarked},
      {"current row, marked, not selected", 1, false, kMarkSelRow, kFMarkSelRow},
      {"current row, marked, selected", 1, true, kMarkSelCell, kFMarkSelCell},
  };
  for (const Case& c : cases) {
    QColor bg = kColumn;
    GridFont f = base;
    grid->GetHighlightParams(0, c.row, c.selected, bg, f);
    EXPECT_EQ(bg, c.background) << c.what;
    EXPECT_EQ(f.color, c.font.color) << c.what;
  }
  grid->setMarked(1, false);
  for (const Case& c : {Case{"current row, not marked, not selected", 1, false, kSelRow, kFSelRow},
                        Case{"current row, not marked, selected", 1, true, kSelCell, kFSelCell}}) {
    QColor bg = kColumn;
    GridFont f = base;
    grid->GetHighlightParams(0, c.row, c.selected, bg, f);
    EXPECT_EQ(bg, c.background) << c.what;
    EXPECT_EQ(f.color, c.font.color) << c.what;
  }
}

TEST_F(GridTest, RowSelectMakesWholeCurrentRowSelected) {
  setColours();
  grid->setCurrentRow(2);
  QColor bg;
  GridFont f;
  grid->cellParams(2, 2, bg, f);  // not the current column
  EXPECT_EQ(bg, kSelRow);
  grid->setRowSelect(true);
  grid->cellParams(2, 2, bg, f);
  EXPECT_EQ(bg, kSelCell);
  EXPECT_EQ(f, kFSelCell);
}

TEST_F(GridTest, SupressSelColorKeepsEarlierColourExceptOnUnmarkedCurrentCell) {
  setColours();
  grid->setMultiSelect(true);
  grid->setSupressSelColor(true);
  grid->setRowSelect(false);
  const QColor red(255, 0, 0);
  grid->OnGetCellParams = [&](int, int row, QColor& bg, GridFont&) {
    if (row == 2) bg = red;
  };
  grid->setCurrentIndex(grid->gridModel()->index(2, 1));
  QColor bg;
  GridFont f;
  grid->cellParams(0, 2, bg, f);  // current row, unmarked, not the current cell
  EXPECT_EQ(bg, red);
  EXPECT_EQ(f, kFSelRow);
  grid->cellParams(1, 2, bg, f);  // the current cell of an unmarked row
  EXPECT_EQ(bg, kSelCell);
  EXPECT_EQ(f, kFSelCell);
  // Marked: the marked colour stands; the current row's colours are suppressed.
  grid->setMarked(2, true);
  grid->cellParams(0, 2, bg, f);
  EXPECT_EQ(bg, kMarked);
  EXPECT_EQ(f, kFMarkSelRow);
  grid->cellParams(1, 2, bg, f);
  EXPECT_EQ(bg, kMarked);
  EXPECT_EQ(f, kFMarkSelCell);
  grid->cellParams(1, 0, bg, f);  // a row the handler left alone
  EXPECT_EQ(bg, kColumn);
}

TEST_F(GridTest, CodeCreatedGridPaintsLikeBaseUntilAPropertyIsSet) {
  grid->applyDesignDefaults();  // design defaults alone keep default painting
  EXPECT_TRUE(grid->defaultPainting());
  grid->setCurrentRow(1);
  QColor bg;
  GridFont f;
  grid->cellParams(0, 1, bg, f);
  EXPECT_EQ(bg,
            grid->palette().color(QPalette::Highlight));  // the current cell, as the base paints it
  grid->cellParams(1, 1, bg, f);
  EXPECT_EQ(bg, kColumn);  // the rest of the current row is not the grid's business yet
  grid->setSelectedRowColor(kSelRow);
  EXPECT_FALSE(grid->defaultPainting());
  grid->cellParams(1, 1, bg, f);
  EXPECT_EQ(bg, kSelRow);
}

TEST_F(GridTest, TitlePressesSortReverseAndAddColumns) {
  grid->show();
  QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, titleCentre(0));
  EXPECT_EQ(shownKeys(), (std::vector<int>{1, 2, 3, 5, 7}));
  EXPECT_EQ(grid->column(0).sortMarker, SortMarker::Down);
  QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, titleCentre(0));
  EXPECT_EQ(shownKeys(), (std::vector<int>{7, 5, 3, 2, 1}));
  // Sort by CODE; Ctrl+click adds KOD, ascending first.
  QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, titleCentre(2));
  QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    titleCentre(0));
  EXPECT_EQ(shownKeys(), (std::vector<int>{1, 5, 3, 7, 2}));
  EXPECT_EQ(grid->column(2).sortIndex, 1);
  EXPECT_EQ(grid->column(0).sortIndex, 2);
  QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, Qt::ControlModifier,
                    titleCentre(0));
  EXPECT_EQ(shownKeys(), (std::vector<int>{5, 1, 7, 3, 2}));
  EXPECT_EQ(grid->column(2).sortMarker, SortMarker::Down);  // the first key stays
  // A column whose title is not a button does not sort.
  grid->column(1).titleButton = false;
  grid->titleClick(1, false);
  EXPECT_EQ(shownKeys(), (std::vector<int>{5, 1, 7, 3, 2}));
}

TEST_F(GridTest, MarksFollowTheirRowsThroughSorting) {
  grid->setMultiSelect(true);
  grid->setMarked(0, true);  // key 3
  grid->setMarked(2, true);  // key 7
  grid->titleClick(0, false);
  EXPECT_EQ(grid->markedBookmarks(), (std::vector<int>{0, 2}));
  EXPECT_TRUE(grid->isMarked(2));  // key 3 now third
  EXPECT_TRUE(grid->isMarked(4));  // key 7 last
  EXPECT_FALSE(grid->isMarked(0));
}

TEST_F(GridTest, ClicksMarkRowsWithCtrlAndShift) {
  grid->setMultiSelect(true);
  grid->show();
  auto rowPoint = [&](int row) {
    return grid->visualRect(grid->gridModel()->index(row, 0)).center();
  };
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(1));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(3));
  EXPECT_EQ(grid->markedBookmarks(), (std::vector<int>{1, 3}));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowPoint(4));
  EXPECT_EQ(grid->markedBookmarks(), (std::vector<int>{1, 3, 4}));
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, rowPoint(0));
  EXPECT_TRUE(grid->markedBookmarks().empty());
  grid->setMultiSelect(false);
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, Qt::ControlModifier, rowPoint(1));
  EXPECT_TRUE(grid->markedBookmarks().empty());
}

TEST_F(GridTest, SortingGuardWhileEditing) {
  grid->show();
  bool editing = true;
  grid->setDataSetEditing([&] { return editing; });
  QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, titleCentre(1));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].icon, MsgIcon::Warning);
  EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Предупреждение"));
  EXPECT_EQ(
      boxes.shown[0].text,
      QStringLiteral(
          "Для выполнения сортировки необходимо закончить редактирование текущей записи.     "));
  EXPECT_EQ(grid->column(1).sortMarker, SortMarker::None);
  EXPECT_EQ(shownKeys(), (std::vector<int>{3, 1, 7, 5, 2}));

  // A press on a data cell reaches the grid.
  QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                    grid->visualRect(grid->gridModel()->index(3, 1)).center());
  EXPECT_EQ(grid->currentRow(), 3);
  EXPECT_EQ(boxes.shown.size(), 1u);

  // Past the last title the band ends: nothing to warn about.
  grid->horizontalHeader()->resizeSection(2, 40);
  QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {},
                    QPoint(grid->horizontalHeader()->viewport()->width() - 2, 5));
  EXPECT_EQ(boxes.shown.size(), 1u);

  grid->SortInEditMode = true;
  QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, titleCentre(1));
  EXPECT_EQ(grid->column(1).sortMarker, SortMarker::Down);
  EXPECT_EQ(boxes.shown.size(), 1u);

  grid->SortInEditMode = false;
  editing = false;
  QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, titleCentre(1));
  EXPECT_EQ(grid->column(1).sortMarker, SortMarker::Up);
  grid->setDataSetEditing(nullptr);  // no data set: presses go through
  QTest::mouseClick(grid->horizontalHeader()->viewport(), Qt::LeftButton, {}, titleCentre(1));
  EXPECT_EQ(grid->column(1).sortMarker, SortMarker::Down);
  EXPECT_EQ(boxes.shown.size(), 1u);
}

TEST_F(GridTest, ColumnMovingOffKeepsOrderAndWidthsOnReportsDataIndexes) {
  QHeaderView* h = grid->horizontalHeader();
  h->resizeSection(0, 50);
  h->resizeSection(1, 120);
  std::vector<std::pair<int, int>> moves;
  grid->OnColumnMoved = [&](TDBColorGridEh* sender, int from, int to) {
    EXPECT_EQ(sender, grid.get());
    moves.emplace_back(from, to);
  };
  h->moveSection(0, 2);
  EXPECT_EQ(h->logicalIndex(0), 0);
  EXPECT_EQ(h->logicalIndex(2), 2);
  EXPECT_EQ(h->sectionSize(0), 50);
  EXPECT_EQ(h->sectionSize(1), 120);
  EXPECT_TRUE(moves.empty());

  grid->ColumnMoving = true;
  h->moveSection(0, 2);
  EXPECT_EQ(h->logicalIndex(2), 0);
  EXPECT_EQ(grid->dataColumn(0), 2);
  EXPECT_EQ(h->sectionSize(0), 50);
  EXPECT_EQ(moves, (std::vector<std::pair<int, int>>{{0, 2}}));
}

TEST_F(GridTest, IncrementalSearchInSortedColumn) {
  grid->show();
  grid->setFocus();
  grid->titleClick(1, false);  // by NAME
  grid->setCurrentRow(0);
  typeText(grid.get(), QStringLiteral("от"));
  EXPECT_EQ(grid->gridModel()->text(grid->currentRow(), 1), QStringLiteral("Отдел кадров"));
  typeText(grid.get(), QStringLiteral("дел с"));
  EXPECT_EQ(grid->gridModel()->text(grid->currentRow(), 1), QStringLiteral("Отдел сбыта"));
  // A keystroke that matches nothing keeps the row and the search text.
  typeText(grid.get(), QStringLiteral("я"));
  EXPECT_EQ(grid->searchText(), QStringLiteral("отдел с"));
  EXPECT_EQ(grid->gridModel()->text(grid->currentRow(), 1), QStringLiteral("Отдел сбыта"));
  // Navigation starts a new search.
  QTest::keyClick(grid.get(), Qt::Key_Up);
  EXPECT_TRUE(grid->searchText().isEmpty());
  grid->titleClick(1, false);  // descending: matched by scanning
  typeText(grid.get(), QStringLiteral("Б"));
  EXPECT_EQ(grid->gridModel()->text(grid->currentRow(), 1), QStringLiteral("Бухгалтерия"));
}

TEST_F(GridTest, FindDialogFindsNextAndWraps) {
  grid->show();
  grid->setCurrentRow(0);
  QTest::keyClick(grid.get(), Qt::Key_F, Qt::ControlModifier);
  QWidget* dlg = grid->findDialog();
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(dlg->isVisible());
  dlg->findChild<QLineEdit*>("edtFIND")->setText(QStringLiteral("отдел"));
  QDir().mkpath(TW_SCREENSHOT_DIR);
  dlg->grab().save(TW_SCREENSHOT_DIR "/grid_find.png");
  auto* next = dlg->findChild<QPushButton*>("btnFINDNEXT");
  next->click();
  EXPECT_EQ(grid->currentRow(), 3);
  next->click();
  EXPECT_EQ(grid->currentRow(), 0);  // wrapped to the top
  dlg->findChild<QLineEdit*>("edtFIND")->setText(QStringLiteral("нет такого"));
  next->click();
  EXPECT_EQ(grid->currentRow(), 0);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Поиск"));
}

TEST_F(GridTest, AutoFitFillsWidthWithSmallestWidth) {
  QHeaderView* h = grid->horizontalHeader();
  h->resizeSection(0, 100);
  h->resizeSection(1, 300);
  h->resizeSection(2, 1);
  grid->column(2).minWidth = 0;
  grid->setAutoFitColWidths(true);
  QCoreApplication::processEvents();
  const int total = h->sectionSize(0) + h->sectionSize(1) + h->sectionSize(2);
  EXPECT_GE(total, grid->viewport()->width());
  EXPECT_LE(total, grid->viewport()->width() + grid->MinAutoFitWidth);
  EXPECT_GE(h->sectionSize(2), 20);
  EXPECT_GT(h->sectionSize(1), h->sectionSize(0));
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

// A source that hands out its rows a chunk at a time, like an open query.
class LazySource : public GridSource {
 public:
  explicit LazySource(int total, int failAt = -1) : total_(total), failAt_(failAt) {}
  int rowCount() const override { return fetched_; }
  int columnCount() const override { return 1; }
  QString fieldName(int) const override { return "N"; }
  QVariant value(int row, int) const override {
    return row < fetched_ ? QVariant(total_ - row) : QVariant();
  }
  bool canFetchMore() const override { return fetched_ < total_; }
  int fetchMore(int count) override {
    if (failAt_ >= 0 && fetched_ >= failAt_) throw Error(errkind::kDatabase, "connection lost");
    const int n = std::min(count, total_ - fetched_);
    fetched_ += n;
    return n;
  }

 private:
  int total_, failAt_, fetched_ = 0;
};

TEST(GridModelFetching, AFetchErrorIsReportedOnceAndKeepsTheRowsThatArrived) {
  test::qtApp();
  RecordingBoxes boxes;
  setMessageBoxes(&boxes);
  LazySource failing(5000, 600);
  GridModel model;
  model.setSource(&failing);
  for (int i = 0; i < 100 && model.loading(); ++i) QCoreApplication::processEvents();
  EXPECT_FALSE(model.loading());
  EXPECT_GE(model.rowCount(), 600);
  EXPECT_LT(model.rowCount(), 5000);
  EXPECT_FALSE(model.canFetchMore({}));
  model.sortBy({SortKey{0, false}});  // sorting what there is, without asking again
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, QStringLiteral("Application Error"));
  EXPECT_TRUE(boxes.shown[0].text.contains("connection lost"));
  setMessageBoxes(nullptr);
}

TEST(GridModelFetching, FirstScreenAtOnceRestInBackgroundAllBeforeSorting) {
  test::qtApp();
  LazySource lazy(5000);
  GridModel model;
  model.setSource(&lazy);
  EXPECT_GT(model.rowCount(), 0);
  EXPECT_LT(model.rowCount(), 5000);
  for (int i = 0; i < 100 && model.rowCount() < 5000; ++i) QCoreApplication::processEvents();
  EXPECT_EQ(model.rowCount(), 5000);

  LazySource again(5000);
  model.setSource(&again);
  model.sortBy({SortKey{0, false}});  // every row takes part, fetched or not
  EXPECT_EQ(model.rowCount(), 5000);
  EXPECT_EQ(model.text(0, 0), "1");
  EXPECT_EQ(model.bookmark(0), 4999);
  EXPECT_EQ(model.rowOfBookmark(4999), 0);
}

}  // namespace
}  // namespace tw
