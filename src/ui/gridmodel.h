#pragma once
// The rows a TDBColorGridEh shows: a source of rows (a query result, or rows
// held in memory) presented in the grid's sort order. A row's bookmark is its
// index in the source, so marks survive sorting.
#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <QTimer>
#include <QVariant>
#include <vector>

namespace tw {

class GridSource {
 public:
  virtual ~GridSource() = default;
  virtual int rowCount() const = 0;  // rows available so far
  virtual int columnCount() const = 0;
  virtual QString fieldName(int column) const = 0;
  virtual QVariant value(int row, int column) const = 0;
  // Sources that fetch lazily say so; the model then fetches as rows are shown.
  virtual bool canFetchMore() const { return false; }
  virtual int fetchMore(int /*count*/) { return 0; }
};

// Rows held in memory, for grids over computed data and for tests.
class MemoryGridSource : public GridSource {
 public:
  MemoryGridSource(QStringList fields, std::vector<std::vector<QVariant>> rows)
      : fields_(std::move(fields)), rows_(std::move(rows)) {}
  int rowCount() const override { return static_cast<int>(rows_.size()); }
  int columnCount() const override { return static_cast<int>(fields_.size()); }
  QString fieldName(int column) const override { return fields_.value(column); }
  QVariant value(int row, int column) const override;

 private:
  QStringList fields_;
  std::vector<std::vector<QVariant>> rows_;
};

struct SortKey {
  int column = 0;
  bool descending = false;
};

class GridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  explicit GridModel(QObject* parent = nullptr);

  // Not owned; nullptr empties the grid. Resets the sort order.
  void setSource(GridSource* source);
  GridSource* source() const { return source_; }
  // Call when the source's rows changed underneath (re-opened query).
  void reload();
  // Rows or sort texts still being prepared in the background.
  bool loading() const { return background_.isActive(); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

  QString fieldName(int column) const;
  QString text(int row, int column) const;  // the cell as shown

  // Stable sort by the keys in order (several columns at once); an empty list
  // restores the source's order. Fetches every row first.
  void sortBy(const QList<SortKey>& keys);
  const QList<SortKey>& sortKeys() const { return keys_; }

  int bookmark(int row) const;            // source row of a shown row, -1 if none
  int rowOfBookmark(int bookmark) const;  // shown row of a source row, -1 if none

  // First shown row at or after `from` whose text in `column` begins with
  // `prefix`, ignoring letter case; -1 when none.
  int findPrefix(int column, const QString& prefix, int from = 0);
  // First shown row after `from` (wrapping is the caller's business) where
  // `text` occurs in `column` (-1: any column); -1 when none.
  int findText(int column, const QString& text, int from, bool caseSensitive, bool wholeCell);

 private:
  void fetchAllRows();
  // Fetches through the source; a database error ends the fetching for this
  // result and is reported, keeping the rows that arrived (it never escapes
  // into Qt's event loop, and is never taken for the end of the rows).
  void fetchFromSource(int rows);
  void announceFetched();  // tells the view about rows the source fetched
  // Makes up to `count` more sort texts; false when all are made.
  bool prepareSortTexts(int count);
  const std::vector<QString>& foldedColumn(int column);
  int shownRows() const;

  GridSource* source_ = nullptr;
  int fetched_ = 0;
  std::vector<int> order_;          // shown row -> source row; empty while unsorted
  mutable std::vector<int> rowOf_;  // source row -> shown row, built lazily
  QList<SortKey> keys_;
  bool primaryIsText_ = false;                // the first key's column sorted as text
  std::vector<std::vector<QString>> folded_;  // per column, case-folded text
  QTimer background_;
  bool fetchFailed_ = false;
};

}  // namespace tw
