#pragma once
// TDBColorGridEh: a data grid that paints marked rows, the current row and
// the current cell in colours and fonts of its own; refuses title presses
// (sorting) while the data set is being edited; lets a form switch column
// dragging on or off. Also what a planner expects of a pick list: several
// rows marked, sort markers on titles, incremental search, a find dialog,
// column fitting, and its layout kept with the form's placement.
#include <QColor>
#include <QFont>
#include <QSet>
#include <QTableView>
#include <functional>
#include <vector>

#include "ui/gridmodel.h"

class QSettings;

namespace tw {

// A font together with its colour, as the grid's font properties carry both.
struct GridFont {
  QFont font;
  QColor color;
  bool operator==(const GridFont&) const = default;
};

// Which parts of a stored grid layout are applied on loading.
enum class GridRestoreParam : unsigned {
  grpColIndexEh = 1u << 0,
  grpColWidthsEh = 1u << 1,
  grpSortMarkerEh = 1u << 2,
  grpColVisibleEh = 1u << 3,
  grpRowHeightEh = 1u << 4,
  grpDropDownRowsEh = 1u << 5,
  grpDropDownWidthEh = 1u << 6,
};
using TDBGridEhRestoreParams = unsigned;
constexpr TDBGridEhRestoreParams operator|(GridRestoreParam a, GridRestoreParam b) {
  return static_cast<unsigned>(a) | static_cast<unsigned>(b);
}
constexpr bool hasParam(TDBGridEhRestoreParams set, GridRestoreParam p) {
  return (set & static_cast<unsigned>(p)) != 0;
}

enum class SortMarker { None = 0, Down = 1, Up = 2 };  // stored as these numbers

// Per column (by the model's column): what the form sets up.
struct GridColumn {
  QString title;             // empty: the field name
  bool titleButton = false;  // a press on the title sorts
  QColor color;              // invalid: the window colour
  Qt::Alignment titleAlignment = Qt::AlignLeft;
  int minWidth = 0;
  SortMarker sortMarker = SortMarker::None;
  int sortIndex = 0;  // 1-based order among sorted columns
  int dropDownRows = 7;
  int dropDownWidth = 0;
  int hiddenWidth = 64;  // width to give back when shown again
};

class TDBColorGridEh : public QTableView {
  Q_OBJECT
 public:
  explicit TDBColorGridEh(QWidget* parent = nullptr);
  ~TDBColorGridEh() override;

  // --- data --------------------------------------------------------------
  GridModel* gridModel() const { return model_; }
  // Rebuilds the column set from the model's fields (one per field, in order).
  void rebuildColumns();
  // Widths from the titles and the first rows, as a new column set gets them.
  void sizeColumnsToContent(int sampleRows = 50);
  GridColumn& column(int modelColumn);
  int columnCountEh() const { return static_cast<int>(columns_.size()); }
  // Bulk changes to the columns: one repaint at the end.
  void beginColumnsUpdate();
  void endColumnsUpdate();
  // Whether a data set stands behind the grid and is being edited (edit or
  // insert state); empty: no data set.
  void setDataSetEditing(std::function<bool()> editing) { dataSetEditing_ = std::move(editing); }

  // --- the ten colour and font properties ---------------------------------
  QColor SelectedCellColor() const { return selectedCellColor_; }
  QColor SelectedRowColor() const { return selectedRowColor_; }
  QColor MarkedColor() const { return markedColor_; }
  QColor MarkedSelectedCellColor() const { return markedSelectedCellColor_; }
  QColor MarkedSelectedRowColor() const { return markedSelectedRowColor_; }
  const GridFont& SelectedRowFont() const { return selectedRowFont_; }
  const GridFont& MarkedSelectedRowFont() const { return markedSelectedRowFont_; }
  const GridFont& MarkedSelectedCellFont() const { return markedSelectedCellFont_; }
  const GridFont& SelectedCellFont() const { return selectedCellFont_; }
  const GridFont& MarkedFont() const { return markedFont_; }
  void setSelectedCellColor(const QColor& c);
  void setSelectedRowColor(const QColor& c);
  void setMarkedColor(const QColor& c);
  void setMarkedSelectedCellColor(const QColor& c);
  void setMarkedSelectedRowColor(const QColor& c);
  void setSelectedRowFont(const GridFont& f);
  void setMarkedSelectedRowFont(const GridFont& f);
  void setMarkedSelectedCellFont(const GridFont& f);
  void setSelectedCellFont(const GridFont& f);
  void setMarkedFont(const GridFont& f);
  // Gives the ten properties the defaults a new grid gets in the form
  // designer; default painting stays on until one is assigned.
  void applyDesignDefaults();
  bool defaultPainting() const { return defaultPainting_; }

  bool SupressSelColor() const { return supressSelColor_; }
  void setSupressSelColor(bool on);
  bool SortInEditMode = false;
  bool ColumnMoving = false;
  // Data column indexes, after the move was carried out.
  std::function<void(TDBColorGridEh* sender, int fromIndex, int toIndex)> OnColumnMoved;
  // Runs before the highlight decision, as the grid's cell-parameter event.
  std::function<void(int dataCol, int row, QColor& background, GridFont& font)> OnGetCellParams;

  // --- options -----------------------------------------------------------
  bool multiSelect() const { return multiSelect_; }  // dgMultiSelect
  void setMultiSelect(bool on);
  bool rowSelect() const { return rowSelect_; }  // dgRowSelect
  void setRowSelect(bool on);
  bool autoFitColWidths() const { return autoFit_; }
  void setAutoFitColWidths(bool on);
  int MinAutoFitWidth = 20;
  int rowLines() const { return rowLines_; }
  int rowHeightEh() const { return rowHeight_; }  // 0: from the font
  void setRowHeightEh(int height, int lines = 0);

  // --- highlight decision ------------------------------------------------
  // For the data cell (dataCol, row): `selected` is the cell's draw state
  // (inside the selection: the current cell, or with row selection the whole
  // current row). Changes background and font; returns the base's decision.
  bool GetHighlightParams(int dataCol, int row, bool selected, QColor& background,
                          GridFont& font) const;
  // The colour and font a cell is painted with, all steps included.
  void cellParams(int dataCol, int row, QColor& background, GridFont& font) const;
  QColor columnColor(int modelColumn) const;

  // --- marking -----------------------------------------------------------
  // Marked rows by bookmark, in bookmark order.
  std::vector<int> markedBookmarks() const;
  bool isMarked(int row) const;
  void setMarked(int row, bool marked);
  void clearMarks();
  int currentRow() const;
  void setCurrentRow(int row);
  // Data column index (position among shown columns) <-> model column.
  int dataColumn(int modelColumn) const;
  int modelColumn(int dataCol) const;

  // --- sorting and searching ----------------------------------------------
  // A title press: sort by the column, reverse on a second press, add to the
  // sort with `add` (Ctrl held).
  void titleClick(int modelColumn, bool add);
  void applySortMarkers();  // sorts the model by the columns' markers
  // Incremental search: types `text` into the search of the current column.
  bool incrementalSearch(const QString& text);
  QString searchText() const { return searchText_; }
  void showFindDialog();

  // --- layout ------------------------------------------------------------
  // Writes the section `section` of `s` whole; `name` is the grid's name in values.
  void StoreGridLayout(QSettings& s, const QString& section) const;
  void LoadGridLayout(QSettings& s, const QString& section, TDBGridEhRestoreParams params);
  void fitColumns();
  void setColumnVisible(int modelColumn, bool visible);
  bool columnVisible(int modelColumn) const;
  int columnWidth(int modelColumn) const;  // a hidden column's last width
  void setColumnWidthEh(int modelColumn, int width);
  QWidget* findDialog() const { return findDialog_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

 signals:
  // A double click on a data cell.
  void gridDblClick();

 private:
  void changed();  // a colour or font was assigned
  bool titleBandPress(const QPoint& headerPos) const;
  void onSectionMoved(int logical, int oldVisual, int newVisual);
  void scheduleFit();
  bool baseHighlight(int row, bool selected, QColor& background, GridFont& font) const;

  GridModel* model_;
  std::vector<GridColumn> columns_;
  GridColumn scratch_;
  QSet<int> marks_;  // bookmarks
  int anchorRow_ = -1;

  bool defaultPainting_ = true;
  bool supressSelColor_ = false;
  QColor selectedCellColor_{0, 0, 0}, selectedRowColor_{0, 0, 0}, markedColor_{0, 0, 0},
      markedSelectedCellColor_{0, 0, 0}, markedSelectedRowColor_{0, 0, 0};
  GridFont selectedRowFont_, markedSelectedRowFont_, markedSelectedCellFont_, selectedCellFont_,
      markedFont_;

  bool multiSelect_ = false;
  bool rowSelect_ = false;
  bool autoFit_ = false;
  bool fitting_ = false;
  bool fitPending_ = false;
  int rowHeight_ = 0;
  int rowLines_ = 0;
  int bulk_ = 0;
  bool movingBack_ = false;
  QString searchText_;
  int searchColumn_ = -1;
  std::function<bool()> dataSetEditing_;
  QWidget* findDialog_ = nullptr;
  Qt::KeyboardModifiers titlePressModifiers_;
};

}  // namespace tw
