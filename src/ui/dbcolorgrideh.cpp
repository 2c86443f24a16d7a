#include "dbcolorgrideh.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSettings>
#include <QStyledItemDelegate>
#include <QTimer>
#include <algorithm>

#include "ui/messages.h"

namespace tw {

namespace {

const QString kSortWarning = QStringLiteral(
    "Для выполнения сортировки необходимо закончить редактирование текущей записи.     ");

// Paints every data cell with the colour and font the grid decides.
class ColorGridDelegate final : public QStyledItemDelegate {
 public:
  explicit ColorGridDelegate(TDBColorGridEh* grid) : QStyledItemDelegate(grid), grid_(grid) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QColor background;
    GridFont font;
    grid_->cellParams(grid_->dataColumn(index.column()), index.row(), background, font);
    p->save();
    p->fillRect(option.rect, background);
    p->setFont(font.font);
    p->setPen(font.color);
    const QRect text = option.rect.adjusted(3, 1, -3, -1);
    const auto align = Qt::Alignment(index.data(Qt::TextAlignmentRole).toInt());
    const QString shown =
        option.fontMetrics.elidedText(index.data().toString(), Qt::ElideRight, text.width());
    p->drawText(
        text, static_cast<int>(align | Qt::TextSingleLine),
        QFontMetrics(font.font).elidedText(index.data().toString(), Qt::ElideRight, text.width()));
    static_cast<void>(shown);
    p->restore();
  }

 private:
  TDBColorGridEh* grid_;
};

// Column titles: the column's title text, wrapped, with its sort marker and
// (when several columns sort) the marker's place in the order.
class TitleHeader final : public QHeaderView {
 public:
  explicit TitleHeader(TDBColorGridEh* grid) : QHeaderView(Qt::Horizontal, grid), grid_(grid) {
    setSectionsClickable(true);
    setHighlightSections(false);
  }

 protected:
  void paintSection(QPainter* p, const QRect& rect, int logical) const override {
    if (!rect.isValid()) return;
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.section = logical;
    opt.text.clear();
    opt.position = QStyleOptionHeader::Middle;
    style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
    const GridColumn& col = grid_->column(logical);
    const QString title = col.title.isEmpty() ? grid_->gridModel()->fieldName(logical) : col.title;
    QRect textRect = rect.adjusted(4, 2, -4, -2);
    if (col.sortMarker != SortMarker::None) {
      const QRect mark(rect.right() - 14, rect.top() + rect.height() / 2 - 5, 10, 10);
      textRect.setRight(mark.left() - 2);
      p->save();
      p->setRenderHint(QPainter::Antialiasing);
      p->setPen(Qt::NoPen);
      p->setBrush(palette().color(QPalette::Dark));
      QPolygon tri;
      // Down marks the ascending order, Up the descending one.
      if (col.sortMarker == SortMarker::Down)
        tri << QPoint(mark.left(), mark.top() + 2) << QPoint(mark.right(), mark.top() + 2)
            << QPoint(mark.center().x(), mark.bottom() - 1);
      else
        tri << QPoint(mark.left(), mark.bottom() - 1) << QPoint(mark.right(), mark.bottom() - 1)
            << QPoint(mark.center().x(), mark.top() + 2);
      p->drawPolygon(tri);
      int sorted = 0;
      for (int c = 0; c < grid_->columnCountEh(); ++c)
        if (grid_->column(c).sortMarker != SortMarker::None) ++sorted;
      if (sorted > 1) {
        QFont small = font();
        small.setPointSizeF(small.pointSizeF() * 0.75);
        p->setFont(small);
        p->setPen(palette().color(QPalette::Dark));
        p->drawText(QRect(mark.left() - 2, rect.top(), 14, mark.top() - rect.top()),
                    Qt::AlignCenter, QString::number(col.sortIndex));
      }
      p->restore();
    }
    p->save();
    p->setPen(palette().color(QPalette::ButtonText));
    p->drawText(textRect,
                static_cast<int>((col.titleAlignment & Qt::AlignHorizontal_Mask) |
                                 Qt::AlignVCenter | Qt::TextWordWrap),
                title);
    p->restore();
  }

 private:
  TDBColorGridEh* grid_;
};

// The row indicator: a marker beside the current row.
class IndicatorHeader final : public QHeaderView {
 public:
  explicit IndicatorHeader(TDBColorGridEh* grid) : QHeaderView(Qt::Vertical, grid), grid_(grid) {
    setSectionsClickable(false);
    setFixedWidth(12);
    setSectionResizeMode(QHeaderView::Fixed);
  }

 protected:
  void paintSection(QPainter* p, const QRect& rect, int logical) const override {
    QStyleOptionHeader opt;
    initStyleOption(&opt);
    opt.rect = rect;
    opt.text.clear();
    style()->drawControl(QStyle::CE_HeaderSection, &opt, p, this);
    if (logical != grid_->currentRow()) return;
    p->save();
    p->setRenderHint(QPainter::Antialiasing);
    p->setPen(Qt::NoPen);
    p->setBrush(palette().color(QPalette::ButtonText));
    const QPoint c = rect.center();
    p->drawPolygon(QPolygon(
        {QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() - 2, c.y() + 4), QPoint(c.x() + 3, c.y())}));
    p->restore();
  }

 private:
  TDBColorGridEh* grid_;
};

}  // namespace

TDBColorGridEh::TDBColorGridEh(QWidget* parent) : QTableView(parent), model_(new GridModel(this)) {
  setHorizontalHeader(new TitleHeader(this));
  setVerticalHeader(new IndicatorHeader(this));
  setModel(model_);
  setItemDelegate(new ColorGridDelegate(this));
  // Marking and highlighting are the grid's own; Qt's selection stays unused.
  setSelectionMode(QAbstractItemView::NoSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  horizontalHeader()->setSectionsMovable(true);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  horizontalHeader()->viewport()->installEventFilter(this);
  connect(horizontalHeader(), &QHeaderView::sectionClicked, this, [this](int logical) {
    titleClick(logical, (titlePressModifiers_ & Qt::ControlModifier) != 0);
  });
  connect(horizontalHeader(), &QHeaderView::sectionMoved, this, &TDBColorGridEh::onSectionMoved);
  connect(model_, &QAbstractItemModel::modelReset, this, [this] {
    if (static_cast<int>(columns_.size()) == model_->columnCount()) return;
    rebuildColumns();
    sizeColumnsToContent();
  });
  setRowHeightEh(0, 0);
  const GridFont plain{QFont(), QColor(0, 0, 0)};
  selectedRowFont_ = markedSelectedRowFont_ = markedSelectedCellFont_ = selectedCellFont_ =
      markedFont_ = plain;
}

TDBColorGridEh::~TDBColorGridEh() = default;

void TDBColorGridEh::applyDesignDefaults() {
  supressSelColor_ = false;
  SortInEditMode = false;
  ColumnMoving = false;
  const QPalette pal = palette();
  selectedCellColor_ = pal.color(QPalette::Highlight);
  selectedRowColor_ = pal.color(QPalette::Base);
  markedColor_ = markedSelectedCellColor_ = markedSelectedRowColor_ =
      pal.color(QPalette::Highlight);
  selectedCellFont_ = GridFont{font(), pal.color(QPalette::HighlightedText)};
  selectedRowFont_ = GridFont{font(), pal.color(QPalette::Text)};
  markedFont_ = markedSelectedCellFont_ = markedSelectedRowFont_ = selectedCellFont_;
  viewport()->update();
}

void TDBColorGridEh::changed() {
  defaultPainting_ = false;
  viewport()->update();
}

void TDBColorGridEh::setSelectedCellColor(const QColor& c) {
  selectedCellColor_ = c;
  changed();
}
void TDBColorGridEh::setSelectedRowColor(const QColor& c) {
  selectedRowColor_ = c;
  changed();
}
void TDBColorGridEh::setMarkedColor(const QColor& c) {
  markedColor_ = c;
  changed();
}
void TDBColorGridEh::setMarkedSelectedCellColor(const QColor& c) {
  markedSelectedCellColor_ = c;
  changed();
}
void TDBColorGridEh::setMarkedSelectedRowColor(const QColor& c) {
  markedSelectedRowColor_ = c;
  changed();
}
void TDBColorGridEh::setSelectedRowFont(const GridFont& f) {
  selectedRowFont_ = f;
  changed();
}
void TDBColorGridEh::setMarkedSelectedRowFont(const GridFont& f) {
  markedSelectedRowFont_ = f;
  changed();
}
void TDBColorGridEh::setMarkedSelectedCellFont(const GridFont& f) {
  markedSelectedCellFont_ = f;
  changed();
}
void TDBColorGridEh::setSelectedCellFont(const GridFont& f) {
  selectedCellFont_ = f;
  changed();
}
void TDBColorGridEh::setMarkedFont(const GridFont& f) {
  markedFont_ = f;
  changed();
}

void TDBColorGridEh::setSupressSelColor(bool on) {
  supressSelColor_ = on;
  viewport()->update();
}

void TDBColorGridEh::rebuildColumns() {
  columns_.assign(static_cast<std::size_t>(model_->columnCount()), GridColumn{});
  QHeaderView* h = horizontalHeader();
  for (int c = 0; c < model_->columnCount(); ++c) {
    h->showSection(c);
    const int visual = h->visualIndex(c);
    if (visual != c) h->moveSection(visual, c);
  }
  h->viewport()->update();
}

void TDBColorGridEh::sizeColumnsToContent(int sampleRows) {
  const QFontMetrics fm(font());
  const int rows = std::min(sampleRows, model_->rowCount());
  for (int c = 0; c < model_->columnCount(); ++c) {
    int w = fm.horizontalAdvance(model_->fieldName(c)) + 24;  // room for the sort marker
    for (int r = 0; r < rows; ++r) w = std::max(w, fm.horizontalAdvance(model_->text(r, c)) + 8);
    setColumnWidthEh(c, std::max(w, MinAutoFitWidth));
  }
}

GridColumn& TDBColorGridEh::column(int modelColumn) {
  if (modelColumn < 0 || modelColumn >= static_cast<int>(columns_.size())) {
    scratch_ = GridColumn{};  // out of range: a scratch column, never shown
    return scratch_;
  }
  return columns_[static_cast<std::size_t>(modelColumn)];
}

void TDBColorGridEh::beginColumnsUpdate() {
  if (bulk_++ == 0) setUpdatesEnabled(false);
}

void TDBColorGridEh::endColumnsUpdate() {
  if (bulk_ > 0 && --bulk_ == 0) {
    setUpdatesEnabled(true);
    horizontalHeader()->viewport()->update();
    viewport()->update();
  }
}

void TDBColorGridEh::setColumnVisible(int modelColumn, bool visible) {
  if (modelColumn < 0 || modelColumn >= columnCountEh() || visible == columnVisible(modelColumn))
    return;
  if (!visible) {
    column(modelColumn).hiddenWidth = horizontalHeader()->sectionSize(modelColumn);
    horizontalHeader()->hideSection(modelColumn);
  } else {
    horizontalHeader()->showSection(modelColumn);
    horizontalHeader()->resizeSection(modelColumn, column(modelColumn).hiddenWidth);
  }
}

bool TDBColorGridEh::columnVisible(int modelColumn) const {
  return !horizontalHeader()->isSectionHidden(modelColumn);
}

int TDBColorGridEh::columnWidth(int modelColumn) const {
  if (modelColumn < 0 || modelColumn >= columnCountEh()) return 0;
  return columnVisible(modelColumn) ? horizontalHeader()->sectionSize(modelColumn)
                                    : columns_[static_cast<std::size_t>(modelColumn)].hiddenWidth;
}

void TDBColorGridEh::setColumnWidthEh(int modelColumn, int width) {
  if (modelColumn < 0 || modelColumn >= columnCountEh()) return;
  if (columnVisible(modelColumn))
    horizontalHeader()->resizeSection(modelColumn, width);
  else
    column(modelColumn).hiddenWidth = width;
}

QColor TDBColorGridEh::columnColor(int modelColumn) const {
  if (modelColumn >= 0 && modelColumn < columnCountEh()) {
    const QColor c = columns_[static_cast<std::size_t>(modelColumn)].color;
    if (c.isValid()) return c;
  }
  return palette().color(QPalette::Base);
}

int TDBColorGridEh::dataColumn(int modelColumn) const {
  return horizontalHeader()->visualIndex(modelColumn);
}
int TDBColorGridEh::modelColumn(int dataCol) const {
  return horizontalHeader()->logicalIndex(dataCol);
}

// --- highlight --------------------------------------------------------------

bool TDBColorGridEh::baseHighlight(int row, bool selected, QColor& background,
                                   GridFont& font) const {
  const bool marked = multiSelect_ && model_->source() && marks_.contains(model_->bookmark(row));
  if (!selected && !marked) return false;
  background = palette().color(QPalette::Highlight);
  font.color = palette().color(QPalette::HighlightedText);
  return true;
}

bool TDBColorGridEh::GetHighlightParams(int dataCol, int row, bool selected, QColor& background,
                                        GridFont& font) const {
  const bool result = baseHighlight(row, selected, background, font);
  const bool alreadyColoured = background != columnColor(modelColumn(dataCol));
  if (defaultPainting_) return result;
  const bool marked =
      multiSelect_ && model_->source() != nullptr && marks_.contains(model_->bookmark(row));
  if (marked) {
    background = markedColor_;
    font = markedFont_;
  }
  if (row != currentRow()) return result;
  const bool keep = supressSelColor_ && alreadyColoured;
  if (!keep) background = marked ? markedSelectedRowColor_ : selectedRowColor_;
  font = marked ? markedSelectedRowFont_ : selectedRowFont_;
  if (selected) {
    if (marked) {
      if (!keep) background = markedSelectedCellColor_;
      font = markedSelectedCellFont_;
    } else {
      background = selectedCellColor_;
      font = selectedCellFont_;
    }
  }
  return result;
}

void TDBColorGridEh::cellParams(int dataCol, int row, QColor& background, GridFont& font) const {
  background = columnColor(modelColumn(dataCol));
  font = GridFont{this->font(), palette().color(QPalette::Text)};
  if (OnGetCellParams) OnGetCellParams(dataCol, row, background, font);
  const bool selected =
      row == currentRow() && (rowSelect_ || modelColumn(dataCol) == currentIndex().column());
  GetHighlightParams(dataCol, row, selected, background, font);
}

// --- marking and the current row ------------------------------------------------

void TDBColorGridEh::setMultiSelect(bool on) {
  if (on == multiSelect_) return;
  multiSelect_ = on;
  if (!on) marks_.clear();
  viewport()->update();
}

void TDBColorGridEh::setRowSelect(bool on) {
  rowSelect_ = on;
  viewport()->update();
}

std::vector<int> TDBColorGridEh::markedBookmarks() const {
  std::vector<int> out(marks_.begin(), marks_.end());
  std::sort(out.begin(), out.end());
  return out;
}

bool TDBColorGridEh::isMarked(int row) const {
  return marks_.contains(model_->bookmark(row));
}

void TDBColorGridEh::setMarked(int row, bool marked) {
  const int b = model_->bookmark(row);
  if (b < 0 || !multiSelect_) return;
  if (marked)
    marks_.insert(b);
  else
    marks_.remove(b);
  viewport()->update();
}

void TDBColorGridEh::clearMarks() {
  marks_.clear();
  viewport()->update();
}

int TDBColorGridEh::currentRow() const {
  return currentIndex().isValid() ? currentIndex().row() : -1;
}

void TDBColorGridEh::setCurrentRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  int col = currentIndex().isValid() ? currentIndex().column() : modelColumn(0);
  if (col < 0 || horizontalHeader()->isSectionHidden(col)) {
    for (int v = 0; v < model_->columnCount(); ++v)
      if (!horizontalHeader()->isSectionHidden(modelColumn(v))) {
        col = modelColumn(v);
        break;
      }
  }
  setCurrentIndex(model_->index(row, std::max(col, 0)));
  scrollTo(currentIndex());
}

void TDBColorGridEh::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  // The current row's colours cover the whole row, and the indicator moves.
  viewport()->update();
  verticalHeader()->viewport()->update();
}

void TDBColorGridEh::mousePressEvent(QMouseEvent* event) {
  QTableView::mousePressEvent(event);
  const QModelIndex at = indexAt(event->position().toPoint());
  if (!at.isValid() || !multiSelect_ || event->button() != Qt::LeftButton) return;
  const int row = at.row();
  if (event->modifiers() & Qt::ControlModifier) {
    setMarked(row, !isMarked(row));
    anchorRow_ = row;
  } else if ((event->modifiers() & Qt::ShiftModifier) && anchorRow_ >= 0) {
    for (int r = std::min(anchorRow_, row); r <= std::max(anchorRow_, row); ++r) setMarked(r, true);
  } else {
    clearMarks();
    anchorRow_ = row;
  }
}

void TDBColorGridEh::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableView::mouseDoubleClickEvent(event);
  if (indexAt(event->position().toPoint()).isValid()) emit gridDblClick();
}

void TDBColorGridEh::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Find)) {
    showFindDialog();
    return;
  }
  const QString text = event->text();
  const bool plain =
      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  if (plain && event->key() == Qt::Key_Backspace && !searchText_.isEmpty()) {
    searchText_.chop(1);
    return;
  }
  if (plain && !text.isEmpty() && text.at(0).isPrint() &&
      !(text == QLatin1String(" ") && searchText_.isEmpty())) {
    incrementalSearch(text);
    return;
  }
  searchText_.clear();
  if (multiSelect_ && event->key() == Qt::Key_Space && (event->modifiers() & Qt::ControlModifier)) {
    setMarked(currentRow(), !isMarked(currentRow()));
    return;
  }
  const int before = currentRow();
  QTableView::keyPressEvent(event);
  if (multiSelect_ && (event->modifiers() & Qt::ShiftModifier) && before >= 0 &&
      currentRow() != before) {
    for (int r = std::min(before, currentRow()); r <= std::max(before, currentRow()); ++r)
      setMarked(r, true);
  }
}

// --- titles: the sorting guard, sorting, moving ----------------------------------

bool TDBColorGridEh::titleBandPress(const QPoint& pos) const {
  const QHeaderView* h = horizontalHeader();
  int first = -1, last = -1;
  for (int v = 0; v < h->count(); ++v) {
    const int logical = h->logicalIndex(v);
    if (h->isSectionHidden(logical)) continue;
    if (first < 0) first = logical;
    last = logical;
  }
  if (first < 0) return false;
  const int left = h->sectionViewportPosition(first);
  int right = h->sectionViewportPosition(last) + h->sectionSize(last);
  if (right > h->viewport()->width()) right = h->viewport()->width();  // out of view: to the edge
  return pos.x() >= left && pos.x() < right && pos.y() >= 0 && pos.y() < h->viewport()->height();
}

bool TDBColorGridEh::eventFilter(QObject* watched, QEvent* event) {
  if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress)
    titlePressModifiers_ = static_cast<QMouseEvent*>(event)->modifiers();  // Ctrl adds to the sort
  if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonPress &&
      !SortInEditMode) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (titleBandPress(mouse->position().toPoint()) && dataSetEditing_ && dataSetEditing_()) {
      messageBoxes().show(MsgIcon::Warning, QStringLiteral("Предупреждение"), kSortWarning);
      return true;
    }
  }
  return QTableView::eventFilter(watched, event);
}

void TDBColorGridEh::titleClick(int logical, bool add) {
  if (logical < 0 || logical >= columnCountEh() || !column(logical).titleButton) return;
  GridColumn& col = column(logical);
  // Down is the ascending order: the first press sorts ascending.
  const SortMarker next = col.sortMarker == SortMarker::Down ? SortMarker::Up : SortMarker::Down;
  if (!add) {
    for (GridColumn& other : columns_) {
      other.sortMarker = SortMarker::None;
      other.sortIndex = 0;
    }
    col.sortMarker = next;
    col.sortIndex = 1;
  } else if (col.sortMarker == SortMarker::None) {
    int count = 0;
    for (const GridColumn& other : columns_)
      if (other.sortMarker != SortMarker::None) ++count;
    col.sortMarker = SortMarker::Down;
    col.sortIndex = count + 1;
  } else {
    col.sortMarker = next;
  }
  applySortMarkers();
}

void TDBColorGridEh::applySortMarkers() {
  std::vector<std::pair<int, int>> sorted;  // sort index, column
  for (int c = 0; c < columnCountEh(); ++c)
    if (columns_[static_cast<std::size_t>(c)].sortMarker != SortMarker::None)
      sorted.emplace_back(columns_[static_cast<std::size_t>(c)].sortIndex, c);
  std::stable_sort(sorted.begin(), sorted.end());
  QList<SortKey> keys;
  for (const auto& [index, c] : sorted)
    keys.push_back(SortKey{c, columns_[static_cast<std::size_t>(c)].sortMarker == SortMarker::Up});
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  model_->sortBy(keys);
  QGuiApplication::restoreOverrideCursor();
  searchText_.clear();
  horizontalHeader()->viewport()->update();
  if (currentIndex().isValid()) scrollTo(currentIndex());
}

void TDBColorGridEh::onSectionMoved(int /*logical*/, int oldVisual, int newVisual) {
  if (movingBack_) return;
  if (!ColumnMoving) {
    movingBack_ = true;
    horizontalHeader()->moveSection(newVisual, oldVisual);
    movingBack_ = false;
    return;
  }
  if (OnColumnMoved) OnColumnMoved(this, oldVisual, newVisual);
}

// --- searching -----------------------------------------------------------------

bool TDBColorGridEh::incrementalSearch(const QString& text) {
  const QList<SortKey>& keys = model_->sortKeys();
  const int col = !keys.isEmpty() ? keys.front().column : currentIndex().column();
  if (col < 0) return false;
  if (col != searchColumn_) searchText_.clear();
  searchColumn_ = col;
  const QString wanted = searchText_ + text;
  const int row = model_->findPrefix(col, wanted);
  if (row < 0) {
    QApplication::beep();
    return false;
  }
  searchText_ = wanted;
  setCurrentIndex(model_->index(row, currentIndex().isValid() ? currentIndex().column() : col));
  scrollTo(currentIndex());
  return true;
}

void TDBColorGridEh::showFindDialog() {
  if (!findDialog_) {
    auto* dlg = new QDialog(this);
    dlg->setObjectName(QStringLiteral("dlgFIND"));
    dlg->setWindowTitle(QStringLiteral("Поиск"));
    auto* text = new QLineEdit(dlg);
    text->setObjectName(QStringLiteral("edtFIND"));
    auto* where = new QComboBox(dlg);
    where->setObjectName(QStringLiteral("cbFINDIN"));
    auto* matchCase = new QCheckBox(QStringLiteral("С учётом регистра"), dlg);
    matchCase->setObjectName(QStringLiteral("chkCASE"));
    auto* whole = new QCheckBox(QStringLiteral("Ячейка целиком"), dlg);
    whole->setObjectName(QStringLiteral("chkWHOLE"));
    auto* next = new QPushButton(QStringLiteral("Найти далее"), dlg);
    next->setObjectName(QStringLiteral("btnFINDNEXT"));
    next->setDefault(true);
    auto* close = new QPushButton(QStringLiteral("Закрыть"), dlg);
    close->setObjectName(QStringLiteral("btnFINDCLOSE"));
    auto* grid = new QGridLayout(dlg);
    grid->addWidget(new QLabel(QStringLiteral("Текст:"), dlg), 0, 0);
    grid->addWidget(text, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Искать в:"), dlg), 1, 0);
    grid->addWidget(where, 1, 1);
    grid->addWidget(matchCase, 2, 1);
    grid->addWidget(whole, 3, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(next);
    buttons->addWidget(close);
    buttons->addStretch();
    grid->addLayout(buttons, 0, 2, 4, 1);
    connect(close, &QPushButton::clicked, dlg, &QDialog::close);
    connect(next, &QPushButton::clicked, this, [this, text, where, matchCase, whole] {
      const int column = where->currentData().toInt();
      const bool cs = matchCase->isChecked(), w = whole->isChecked();
      int row = model_->findText(column, text->text(), currentRow(), cs, w);
      if (row < 0) row = model_->findText(column, text->text(), -1, cs, w);  // wrap to the top
      if (row < 0) {
        messageBoxes().show(MsgIcon::Information, QStringLiteral("Поиск"),
                            QStringLiteral("Текст \"%1\" не найден.").arg(text->text()));
        return;
      }
      setCurrentRow(row);
    });
    findDialog_ = dlg;
  }
  auto* where = findDialog_->findChild<QComboBox*>(QStringLiteral("cbFINDIN"));
  where->clear();
  where->addItem(QStringLiteral("Все поля"), -1);
  for (int v = 0; v < model_->columnCount(); ++v) {
    const int c = modelColumn(v);
    if (!columnVisible(c)) continue;
    where->addItem(column(c).title.isEmpty() ? model_->fieldName(c) : column(c).title, c);
  }
  findDialog_->show();
  findDialog_->raise();
  findDialog_->activateWindow();
}

// --- geometry and layout ---------------------------------------------------------

void TDBColorGridEh::setRowHeightEh(int height, int lines) {
  rowHeight_ = height;
  rowLines_ = lines;
  const int text = fontMetrics().height();
  int h = std::max(height, 0) + std::max(lines, 0) * text;
  if (h <= 0) h = text + 6;
  verticalHeader()->setMinimumSectionSize(std::min(h, 8));
  verticalHeader()->setDefaultSectionSize(h);
}

void TDBColorGridEh::setAutoFitColWidths(bool on) {
  autoFit_ = on;
  if (on) scheduleFit();
}

// Fitting waits for the event loop, so that a form switching it off again
// while it is being shown sees its widths untouched.
void TDBColorGridEh::scheduleFit() {
  if (fitPending_) return;
  fitPending_ = true;
  QTimer::singleShot(0, this, [this] {
    fitPending_ = false;
    if (autoFit_) fitColumns();
  });
}

void TDBColorGridEh::resizeEvent(QResizeEvent* event) {
  QTableView::resizeEvent(event);
  if (autoFit_) scheduleFit();
}

void TDBColorGridEh::fitColumns() {
  if (fitting_ || columnCountEh() == 0) return;
  fitting_ = true;
  std::vector<int> shown;
  int total = 0;
  for (int v = 0; v < columnCountEh(); ++v) {
    const int c = modelColumn(v);
    if (!columnVisible(c)) continue;
    shown.push_back(c);
    total += std::max(horizontalHeader()->sectionSize(c), 1);
  }
  const int avail = viewport()->width();
  if (!shown.empty() && avail > 0) {
    int used = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
      const int c = shown[i];
      const int least = std::max(MinAutoFitWidth, column(c).minWidth);
      int w = i + 1 == shown.size() ? avail - used
                                    : static_cast<int>(static_cast<long long>(std::max(
                                                           horizontalHeader()->sectionSize(c), 1)) *
                                                       avail / total);
      w = std::max(w, least);
      horizontalHeader()->resizeSection(c, w);
      used += w;
    }
  }
  fitting_ = false;
}

void TDBColorGridEh::StoreGridLayout(QSettings& s, const QString& section) const {
  s.remove(section);  // the section is written whole every time
  s.beginGroup(section);
  s.setValue(QStringLiteral("Default"), QStringLiteral("%1,%2").arg(rowHeight_).arg(rowLines_));
  for (int c = 0; c < columnCountEh(); ++c) {
    const GridColumn& col = columns_[static_cast<std::size_t>(c)];
    const QString value = QStringLiteral("%1,%2,%3,%4,%5,%6,%7")
                              .arg(dataColumn(c))
                              .arg(columnWidth(c))
                              .arg(static_cast<int>(col.sortMarker))
                              .arg(columnVisible(c) ? 1 : 0)
                              .arg(col.sortIndex)
                              .arg(col.dropDownRows)
                              .arg(col.dropDownWidth);
    s.setValue(objectName() + QLatin1Char('.') + model_->fieldName(c), value);
  }
  s.endGroup();
}

void TDBColorGridEh::LoadGridLayout(QSettings& s, const QString& section,
                                    TDBGridEhRestoreParams params) {
  if (params == 0) return;
  s.beginGroup(section);
  struct Stored {
    int column, index, width, marker, visible, sortIndex, ddRows, ddWidth;
  };
  std::vector<Stored> stored;
  for (int c = 0; c < columnCountEh(); ++c) {
    const QVariant v = s.value(objectName() + QLatin1Char('.') + model_->fieldName(c));
    if (!v.isValid()) continue;  // a missing column keeps its settings
    const QStringList parts = v.toString().split(QLatin1Char(','));
    if (parts.size() != 7) continue;
    int n[7];
    bool ok = true;
    for (int i = 0; i < 7 && ok; ++i) n[i] = parts[i].trimmed().toInt(&ok);
    if (!ok) continue;  // damaged value: ignored, like a missing one
    stored.push_back(Stored{c, n[0], n[1], n[2], n[3], n[4], n[5], n[6]});
  }
  if (hasParam(params, GridRestoreParam::grpRowHeightEh)) {
    const QStringList row = s.value(QStringLiteral("Default")).toString().split(QLatin1Char(','));
    // A missing row value means the unset values.
    const int height = row.size() == 2 ? row[0].toInt() : 0;
    const int lines = row.size() == 2 ? row[1].toInt() : 0;
    setRowHeightEh(height, lines);
  }
  s.endGroup();

  bool resort = false;
  for (const Stored& st : stored) {
    GridColumn& col = column(st.column);
    if (hasParam(params, GridRestoreParam::grpColWidthsEh) && st.width > 0)
      setColumnWidthEh(st.column, st.width);
    if (hasParam(params, GridRestoreParam::grpColVisibleEh))
      setColumnVisible(st.column, st.visible != 0);
    if (hasParam(params, GridRestoreParam::grpSortMarkerEh)) {
      col.sortMarker = st.marker == 1   ? SortMarker::Down
                       : st.marker == 2 ? SortMarker::Up
                                        : SortMarker::None;
      col.sortIndex = col.sortMarker == SortMarker::None ? 0 : st.sortIndex;
      resort = true;
    }
    if (hasParam(params, GridRestoreParam::grpDropDownRowsEh)) col.dropDownRows = st.ddRows;
    if (hasParam(params, GridRestoreParam::grpDropDownWidthEh)) col.dropDownWidth = st.ddWidth;
  }
  if (hasParam(params, GridRestoreParam::grpColIndexEh)) {
    std::vector<Stored> byIndex = stored;
    std::stable_sort(byIndex.begin(), byIndex.end(),
                     [](const Stored& a, const Stored& b) { return a.index < b.index; });
    movingBack_ = true;  // restoring is not a user's move
    for (const Stored& st : byIndex) {
      const int target = std::clamp(st.index, 0, columnCountEh() - 1);
      const int from = dataColumn(st.column);
      if (from != target) horizontalHeader()->moveSection(from, target);
    }
    movingBack_ = false;
  }
  if (resort) applySortMarkers();
  viewport()->update();
}

}  // namespace tw
