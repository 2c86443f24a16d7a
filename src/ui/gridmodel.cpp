#include "gridmodel.h"

#include "messages.h"

#include <QDateTime>
#include <exception>
#include <algorithm>
#include <numeric>

namespace tw {

namespace {

constexpr int kFetchChunk = 256;
constexpr int kBackgroundChunk = 2000;

QString displayText(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::QDateTime: {
      const QDateTime dt = v.toDateTime();
      return dt.time() == QTime(0, 0) ? dt.toString(QStringLiteral("dd.MM.yyyy"))
                                      : dt.toString(QStringLiteral("dd.MM.yyyy hh:mm:ss"));
    }
    case QMetaType::QDate:
      return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    default:
      return v.toString();
  }
}

bool isNumber(const QVariant& v) {
  switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
    case QMetaType::Short:
    case QMetaType::UShort:
      return true;
    default:
      return false;
  }
}

}  // namespace

QVariant MemoryGridSource::value(int row, int column) const {
  if (row < 0 || row >= rowCount()) return {};
  const auto& r = rows_[static_cast<std::size_t>(row)];
  return column >= 0 && column < static_cast<int>(r.size()) ? r[static_cast<std::size_t>(column)]
                                                            : QVariant();
}

GridModel::GridModel(QObject* parent) : QAbstractTableModel(parent) {
  // Rows arrive in the background while the first screenful is shown, and
  // then their sort texts are made, so that a title click later only sorts.
  background_.setInterval(0);
  connect(&background_, &QTimer::timeout, this, [this] {
    if (canFetchMore({})) {
      fetchFromSource(kBackgroundChunk);
      announceFetched();
      return;
    }
    if (!source_ || !prepareSortTexts(kBackgroundChunk)) background_.stop();
  });
}

bool GridModel::prepareSortTexts(int count) {
  if (folded_.size() < static_cast<std::size_t>(columnCount()))
    folded_.resize(static_cast<std::size_t>(columnCount()));
  for (int c = 0; c < columnCount(); ++c) {
    auto& col = folded_[static_cast<std::size_t>(c)];
    if (static_cast<int>(col.size()) >= fetched_) continue;
    col.reserve(static_cast<std::size_t>(fetched_));
    const int end = std::min(fetched_, static_cast<int>(col.size()) + count);
    for (int r = static_cast<int>(col.size()); r < end; ++r)
      col.push_back(displayText(source_->value(r, c)).toCaseFolded());
    return true;
  }
  return false;
}

void GridModel::announceFetched() {
  const int now = source_ ? source_->rowCount() : 0;
  if (now <= fetched_) return;
  beginInsertRows({}, fetched_, now - 1);
  fetched_ = now;
  if (!order_.empty()) {  // sorted: new rows go last until the next sort
    for (int r = static_cast<int>(order_.size()); r < now; ++r) order_.push_back(r);
    rowOf_.clear();
  }
  endInsertRows();
}

void GridModel::setSource(GridSource* source) {
  beginResetModel();
  source_ = source;
  keys_.clear();
  primaryIsText_ = false;
  order_.clear();
  rowOf_.clear();
  folded_.clear();
  fetchFailed_ = false;
  // The first screenful comes at once; the view asks for the rest as it scrolls.
  if (source_ && source_->rowCount() < kFetchChunk && source_->canFetchMore())
    fetchFromSource(kFetchChunk - source_->rowCount());
  fetched_ = source_ ? source_->rowCount() : 0;
  endResetModel();
  if (canFetchMore({}))
    background_.start();
  else
    background_.stop();
}

void GridModel::reload() {
  setSource(source_);
}

int GridModel::shownRows() const {
  return fetched_;
}

int GridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : shownRows();
}

int GridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() || !source_ ? 0 : source_->columnCount();
}

int GridModel::bookmark(int row) const {
  if (row < 0 || row >= shownRows()) return -1;
  return order_.empty() ? row : order_[static_cast<std::size_t>(row)];
}

int GridModel::rowOfBookmark(int bookmark) const {
  if (bookmark < 0 || bookmark >= shownRows()) return -1;
  if (order_.empty()) return bookmark;
  if (rowOf_.size() != order_.size()) {  // built when first asked for
    rowOf_.assign(order_.size(), -1);
    for (std::size_t i = 0; i < order_.size(); ++i)
      rowOf_[static_cast<std::size_t>(order_[i])] = static_cast<int>(i);
  }
  return rowOf_[static_cast<std::size_t>(bookmark)];
}

QString GridModel::fieldName(int column) const {
  return source_ ? source_->fieldName(column) : QString();
}

QString GridModel::text(int row, int column) const {
  const int b = bookmark(row);
  return b < 0 || !source_ ? QString() : displayText(source_->value(b, column));
}

QVariant GridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || !source_) return {};
  if (role == Qt::DisplayRole || role == Qt::ToolTipRole) return text(index.row(), index.column());
  if (role == Qt::TextAlignmentRole) {
    const QVariant v = source_->value(bookmark(index.row()), index.column());
    return isNumber(v) ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                       : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
  }
  return {};
}

QVariant GridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) return fieldName(section);
  return QString();
}

bool GridModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && source_ && !fetchFailed_ && source_->canFetchMore();
}

void GridModel::fetchMore(const QModelIndex& parent) {
  if (parent.isValid() || !source_) return;
  fetchFromSource(kFetchChunk);
  announceFetched();
}

void GridModel::fetchFromSource(int rows) {
  try {
    source_->fetchMore(rows);
  } catch (const std::exception& e) {
    fetchFailed_ = true;
    background_.stop();
    reportError(e);
  }
}

void GridModel::fetchAllRows() {
  if (!source_) return;
  while (canFetchMore({})) {
    const int before = source_->rowCount();
    fetchFromSource(1 << 20);
    if (source_->rowCount() == before) break;
  }
  announceFetched();
}

const std::vector<QString>& GridModel::foldedColumn(int column) {
  if (folded_.size() < static_cast<std::size_t>(columnCount()))
    folded_.resize(static_cast<std::size_t>(columnCount()));
  auto& col = folded_[static_cast<std::size_t>(column)];
  col.reserve(static_cast<std::size_t>(fetched_));
  for (int r = static_cast<int>(col.size()); r < fetched_; ++r)
    col.push_back(displayText(source_->value(r, column)).toCaseFolded());
  return col;
}

void GridModel::sortBy(const QList<SortKey>& keys) {
  fetchAllRows();
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<int> beforeBookmarks;
  beforeBookmarks.reserve(static_cast<std::size_t>(before.size()));
  for (const QModelIndex& i : before) beforeBookmarks.push_back(bookmark(i.row()));

  keys_ = keys;
  rowOf_.clear();
  primaryIsText_ = false;
  if (keys.isEmpty() || !source_) {
    order_.clear();
  } else {
    // Numbers compare as numbers, everything else as case-folded text.
    struct Column {
      bool numeric = true;
      std::vector<double> numbers;
      const std::vector<QString>* texts = nullptr;
      bool descending = false;
    };
    std::vector<Column> cols;
    for (const SortKey& k : keys) {
      Column c;
      c.descending = k.descending;
      c.numbers.reserve(static_cast<std::size_t>(fetched_));
      for (int r = 0; r < fetched_ && c.numeric; ++r) {
        const QVariant v = source_->value(r, k.column);
        if (v.isNull())
          c.numbers.push_back(-1e300);
        else if (isNumber(v))
          c.numbers.push_back(v.toDouble());
        else
          c.numeric = false;
      }
      if (!c.numeric) c.texts = &foldedColumn(k.column);
      cols.push_back(std::move(c));
    }
    primaryIsText_ = !cols.front().numeric;
    order_.resize(static_cast<std::size_t>(fetched_));
    std::iota(order_.begin(), order_.end(), 0);
    std::stable_sort(order_.begin(), order_.end(), [&cols](int a, int b) {
      for (const Column& c : cols) {
        int cmp = 0;
        if (c.numeric) {
          const double x = c.numbers[static_cast<std::size_t>(a)],
                       y = c.numbers[static_cast<std::size_t>(b)];
          cmp = x < y ? -1 : (y < x ? 1 : 0);
        } else {
          cmp = (*c.texts)[static_cast<std::size_t>(a)].compare(
              (*c.texts)[static_cast<std::size_t>(b)]);
        }
        if (cmp != 0) return c.descending ? cmp > 0 : cmp < 0;
      }
      return false;
    });
  }
  QModelIndexList after;
  after.reserve(before.size());
  for (qsizetype i = 0; i < before.size(); ++i)
    after.push_back(
        index(rowOfBookmark(beforeBookmarks[static_cast<std::size_t>(i)]), before[i].column()));
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int GridModel::findPrefix(int column, const QString& prefix, int from) {
  if (!source_ || column < 0 || column >= columnCount() || prefix.isEmpty()) return -1;
  const auto& texts = foldedColumn(column);
  const QString folded = prefix.toCaseFolded();
  // Sorted ascending by this text column first: the matches are one run.
  if (primaryIsText_ && keys_.front().column == column && !keys_.front().descending && from == 0 &&
      !texts.empty()) {
    const auto less = [&](int row, const QString& p) {
      return texts[static_cast<std::size_t>(order_[static_cast<std::size_t>(row)])] < p;
    };
    int lo = 0, hi = fetched_;
    while (lo < hi) {
      const int mid = lo + (hi - lo) / 2;
      if (less(mid, folded))
        lo = mid + 1;
      else
        hi = mid;
    }
    if (lo < fetched_ &&
        texts[static_cast<std::size_t>(order_[static_cast<std::size_t>(lo)])].startsWith(folded))
      return lo;
    return -1;
  }
  for (int row = std::max(from, 0); row < fetched_; ++row)
    if (texts[static_cast<std::size_t>(bookmark(row))].startsWith(folded)) return row;
  return -1;
}

int GridModel::findText(int column, const QString& text, int from, bool caseSensitive,
                        bool wholeCell) {
  if (!source_ || text.isEmpty()) return -1;
  fetchAllRows();
  const Qt::CaseSensitivity cs = caseSensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
  for (int row = std::max(from + 1, 0); row < fetched_; ++row) {
    for (int c = 0; c < columnCount(); ++c) {
      if (column >= 0 && c != column) continue;
      const QString cell = this->text(row, c);
      if (wholeCell ? cell.compare(text, cs) == 0 : cell.contains(text, cs)) return row;
    }
  }
  return -1;
}

}  // namespace tw
