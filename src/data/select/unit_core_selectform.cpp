#include "unit_core_selectform.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>

#include "data/db/database.h"
#include "data/db/unit_dm.h"
#include "platform/error.h"
#include "ui/vclfont.h"
#include "ui_unit_core_selectform.h"

namespace tw {

namespace {

const QColor kFixedColor = bgrColor(14734006);    // titles and indicator
const QColor kSelectedCell = bgrColor(12446884);  // the current cell
const QColor kMoneyGreen(192, 220, 192);          // the current row
const QColor kTitledColumn = bgrColor(15788505);  // columns the caller titled
constexpr int kTitleHeight = 40;
constexpr int kTitledMinWidth = 60;
constexpr int kTitledMaxWidth = 300;

db::Database& dataModuleDatabase() {
  if (!dmMAIN) throw Error(errkind::kGeneral, "The data module is not created.");
  return dmMAIN->pFIBDatabase1;
}

}  // namespace

// --- the form -----------------------------------------------------------------

TfrmCore_SelectForm::TfrmCore_SelectForm(db::Database& database, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::TfrmCore_SelectForm>()) {
  ui_->setupUi(this);
  pnlBUTTONS = ui_->pnlBUTTONS;
  Panel1 = ui_->Panel1;
  btnCLEAR = ui_->btnCLEAR;
  btnOK = ui_->btnOK;
  btnCANCEL = ui_->btnCANCEL;
  grdSELECT = ui_->grdSELECT;
  qSELECT = std::make_unique<db::Query>(database);
  dsSELECT = std::make_unique<QueryGridSource>(*qSELECT);

  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFont(vclFont(QStringLiteral("MS Sans Serif"), 11));
  setSizeGripEnabled(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, pal.color(QPalette::Button));
  setPalette(pal);

  connect(btnOK, &QPushButton::clicked, this, [this] { done(mrOk); });
  connect(btnCANCEL, &QPushButton::clicked, this, [this] { done(mrCancel); });
  connect(btnCLEAR, &QPushButton::clicked, this, [this] { done(mrAbort); });
  for (QPushButton* b : {btnOK, btnCANCEL, btnCLEAR}) b->setDefault(false);

  // The grid, as the form description sets it up.
  TDBColorGridEh& g = *grdSELECT;
  g.setDataSetEditing([] { return false; });  // the query is only read
  g.setRowSelect(true);
  g.horizontalHeader()->setMinimumHeight(kTitleHeight);
  g.horizontalHeader()->setFixedHeight(kTitleHeight);
  g.setShowGrid(true);
  g.setFrameShape(QFrame::NoFrame);  // flat
  // Rows may be sized by dragging an indicator edge; every row takes the height.
  g.verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
  connect(g.verticalHeader(), &QHeaderView::sectionResized, &g, [&g](int, int, int size) {
    if (size != g.verticalHeader()->defaultSectionSize()) g.setRowHeightEh(size, 0);
  });
  g.MinAutoFitWidth = 20;
  g.setStyleSheet(
      QStringLiteral(
          "QHeaderView::section { background: %1; border: none; border-right: 1px solid %2;"
          " border-bottom: 1px solid %2; padding: 2px; }"
          "QTableView { gridline-color: %2; background: %3; }")
          .arg(kFixedColor.name(), kFixedColor.darker(130).name(),
               pal.color(QPalette::Button).name()));
  const QPalette gp = g.palette();
  g.setSelectedCellColor(kSelectedCell);
  g.setSelectedRowColor(kMoneyGreen);
  g.setMarkedColor(gp.color(QPalette::Highlight));
  g.setMarkedSelectedCellColor(gp.color(QPalette::Highlight));
  g.setMarkedSelectedRowColor(gp.color(QPalette::Highlight));
  g.setSelectedCellFont(GridFont{font(), gp.color(QPalette::ButtonText)});
  g.setSelectedRowFont(GridFont{font(), gp.color(QPalette::Text)});
  const GridFont highlight{font(), gp.color(QPalette::HighlightedText)};
  g.setMarkedFont(highlight);
  g.setMarkedSelectedCellFont(highlight);
  g.setMarkedSelectedRowFont(highlight);
  g.gridModel()->setSource(dsSELECT.get());
  connect(&g, &TDBColorGridEh::gridDblClick, this, &TfrmCore_SelectForm::grdSELECTDblClick);

  FormStorageEx = new TFormStorageEx(this);
  FormStorageEx->Active = false;
  FormStorageEx->MinTrackSize = QSize(193, 293);
  FormStorageEx->MaxTrackSize = QSize(887, 584);
  FormStorageEx->RestoreParams =
      GridRestoreParam::grpColWidthsEh | GridRestoreParam::grpRowHeightEh;
}

TfrmCore_SelectForm::~TfrmCore_SelectForm() {
  // The grid must let go of the rows before the query goes.
  grdSELECT->gridModel()->setSource(nullptr);
}

void TfrmCore_SelectForm::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  FormShow();
}

void TfrmCore_SelectForm::keyPressEvent(QKeyEvent* event) {
  // No button is the cancel button: Esc closes nothing.
  if (event->key() == Qt::Key_Escape) return;
  QDialog::keyPressEvent(event);
}

void TfrmCore_SelectForm::done(int result) {
  FormClose();
  QDialog::done(result);
}

void TfrmCore_SelectForm::FormShow() {
  if (Dialog && !Dialog->AutoFit())
    grdSELECT->setAutoFitColWidths(false);
  else if (grdSELECT->autoFitColWidths())
    grdSELECT->fitColumns();
  const bool rows = qSELECT->isOpen() && !qSELECT->isEmpty();
  btnOK->setEnabled(rows);
  if (rows && grdSELECT->currentRow() < 0) grdSELECT->setCurrentRow(0);
  grdSELECT->setFocus();
}

void TfrmCore_SelectForm::FormClose() {
  FormStorageEx->StoreFormPlacement();
}

void TfrmCore_SelectForm::grdSELECTDblClick() {
  if (!grdSELECT->multiSelect() && qSELECT->isOpen() && !qSELECT->isEmpty()) done(mrOk);
}

// --- the dialog ---------------------------------------------------------------

TSelectDialog::TSelectDialog(const QString& StorageName, db::Database* database)
    : form_(std::make_unique<TfrmCore_SelectForm>(database ? *database : dataModuleDatabase())) {
  form_->FormStorageEx->IniFileName =
      QStringLiteral("Software\\Vek\\Forms\\TfrmCore_SelectForm_") + StorageName;
  form_->Dialog = this;
}

TSelectDialog::~TSelectDialog() {
  auto form = std::move(form_);  // the reference is emptied first
  form.reset();
}

void TSelectDialog::AddColumn(const QString& FieldName, const QString& Title) {
  columnFields_.push_back(FieldName);
  columnTitles_.push_back(Title);
}

void TSelectDialog::setSQLText(const QString& text) {
  if (text == sqlText_) return;
  sqlText_ = text;
  form_->qSELECT->close();
  form_->grdSELECT->gridModel()->reload();
}

QString TSelectDialog::Caption() const {
  return form_->windowTitle();
}

void TSelectDialog::setCaption(const QString& caption) {
  if (caption != form_->windowTitle()) form_->setWindowTitle(caption);
}

void TSelectDialog::setShowClearButton(bool show) {
  form_->btnCLEAR->setVisible(show);
}

bool TSelectDialog::MultiSelect() const {
  return form_->grdSELECT->multiSelect();
}

void TSelectDialog::setMultiSelect(bool on) {
  if (on != MultiSelect()) form_->grdSELECT->setMultiSelect(on);
}

void TSelectDialog::setAutoFit(bool on) {
  if (on == autoFit_) return;
  form_->grdSELECT->setAutoFitColWidths(on);
  autoFit_ = on;
}

bool TSelectDialog::Execute() {
  if (sqlText_.isEmpty()) throw Error(errkind::kGeneral, "SQLText is empty !");
  TfrmCore_SelectForm& f = *form_;
  QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  try {
    if (!f.qSELECT->isOpen()) {
      f.qSELECT->setSql(sqlText_);
      f.qSELECT->open();
      f.grdSELECT->gridModel()->reload();
    }
  } catch (...) {
    QGuiApplication::restoreOverrideCursor();
    f.grdSELECT->gridModel()->reload();  // the query stays closed: no rows
    throw;
  }
  QGuiApplication::restoreOverrideCursor();
  f.grdSELECT->setAutoFitColWidths(true);
  // Columns are built before the placement is loaded, so that the stored
  // widths land on the columns that are shown.
  if (!columnTitles_.isEmpty() && f.grdSELECT->columnCountEh() > 0 && !f.ColumnsBuilt) {
    f.grdSELECT->rebuildColumns();
    f.ColumnsBuilt = true;
  }
  f.FormStorageEx->LoadFormPlacement();
  SetupColumns();
  const int modal = f.exec();
  const bool result = modal == TfrmCore_SelectForm::mrOk || modal == TfrmCore_SelectForm::mrAbort;
  selectedKeys_.clear();
  if (modal == TfrmCore_SelectForm::mrOk)
    TakeResult();
  else if (modal == TfrmCore_SelectForm::mrAbort)
    ClearResult();
  return result;
}

void TSelectDialog::SetupColumns() {
  TDBColorGridEh& g = *form_->grdSELECT;
  if (columnTitles_.isEmpty() || g.columnCountEh() == 0) return;
  if (!form_->ColumnsBuilt) {
    g.rebuildColumns();
    form_->ColumnsBuilt = true;
  }
  g.beginColumnsUpdate();
  for (int c = 0; c < g.columnCountEh(); ++c) {
    const QString field = g.gridModel()->fieldName(c);
    bool matched = false;
    for (qsizetype i = 0; i < columnFields_.size(); ++i) {
      if (field != columnFields_[i]) continue;  // letter case counts
      matched = true;
      GridColumn& col = g.column(c);
      col.title = columnTitles_.value(i);
      col.titleButton = true;
      col.color = kTitledColumn;
      col.titleAlignment = Qt::AlignHCenter;
      col.minWidth = kTitledMinWidth;
      if (g.columnWidth(c) > kTitledMaxWidth) g.setColumnWidthEh(c, kTitledMaxWidth);
    }
    g.setColumnVisible(c, matched);
  }
  g.endColumnsUpdate();
}

void TSelectDialog::TakeResult() {
  TfrmCore_SelectForm& f = *form_;
  db::Query& q = *f.qSELECT;
  resultKeys_.clear();
  resultText_.clear();
  const std::vector<int> marked =
      f.grdSELECT->multiSelect() ? f.grdSELECT->markedBookmarks() : std::vector<int>();
  if (marked.empty()) {
    // One row: the current one (also when marking is on but nothing is marked).
    const int bookmark = f.grdSELECT->gridModel()->bookmark(f.grdSELECT->currentRow());
    if (bookmark >= 0) q.goToBookmark(bookmark);
    const auto k = static_cast<qint32>(q.asInteger(keyField_));
    selectedKeys_.push_back(k);
    resultKeys_ = QStringLiteral("(%1)").arg(k);
    resultText_ = q.asString(displayField_);
    return;
  }
  resultKeys_ = QStringLiteral("(");
  for (int bookmark : marked) {
    q.goToBookmark(bookmark);
    const auto k = static_cast<qint32>(q.asInteger(keyField_));
    selectedKeys_.push_back(k);
    resultKeys_ += QString::number(k) + QLatin1Char(',');
    resultText_ += q.asString(displayField_) + QStringLiteral(", ");
  }
  resultKeys_.chop(1);
  resultText_.chop(2);
  resultKeys_ += QLatin1Char(')');
}

void TSelectDialog::ClearResult() {
  selectedKeys_.clear();
  resultKeys_.clear();
  resultText_.clear();
  form_->grdSELECT->clearMarks();
  if (form_->qSELECT->isOpen()) {
    form_->qSELECT->first();
    form_->grdSELECT->setCurrentRow(0);
  }
}

}  // namespace tw
