#include "procedure_edit.h"

#include <QGuiApplication>
#include <QListWidget>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QToolButton>

#include "drawing/events.h"
#include "editor/balloon_hints.h"
#include "editor/fields.h"
#include "data/db/unit_dm.h"
#include "editor/reference.h"
#include "ui/messages.h"
#include "ui_procedure_edit.h"

namespace tw {

TfrmProcedureEdit* frmProcedureEdit = nullptr;

namespace {

const QString kCaption = QStringLiteral("Редактор события");

// The one two-state glyph of the small buttons: normal, and greyed when the
// button is disabled.
QIcon sharedGlyph() {
  auto draw = [](const QColor& fill, const QColor& frame) {
    QPixmap pm(16, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(frame);
    p.setBrush(fill);
    p.drawRoundedRect(QRectF(1.5, 3.5, 13, 9), 2, 2);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    for (int x : {4, 7, 10}) p.drawEllipse(QRectF(x, 7, 2.2, 2.2));
    return pm;
  };
  QIcon icon;
  icon.addPixmap(draw(QColor(33, 101, 176), QColor(0, 60, 116)), QIcon::Normal);
  icon.addPixmap(draw(QColor(190, 190, 190), QColor(150, 150, 150)), QIcon::Disabled);
  return icon;
}

// Runs a button handler; an error is reported and the dialog stays open.
template <class F>
void guarded(F&& f) {
  try {
    f();
  } catch (const std::exception& e) {
    reportError(e);
  }
}

QString fromUtf8(const std::string& s) {
  return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

TfrmProcedureEdit::TfrmProcedureEdit(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint),
      ui(std::make_unique<Ui::TfrmProcedureEdit>()) {
  ui->setupUi(this);
  setFixedSize(707, 329);
  styleForm();
  wire();
  FormCreate();
  ui->edtNUMBER->setFocus();
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

TfrmProcedureEdit::~TfrmProcedureEdit() {
  FormDestroy();
}

void TfrmProcedureEdit::styleForm() {
  // Where the Windows fonts are missing, the nearest metric-alike faces.
  QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                             {QStringLiteral("Microsoft Sans Serif"), QStringLiteral("Arial"),
                              QStringLiteral("Liberation Sans"), QStringLiteral("Nimbus Sans")});
  QFont::insertSubstitutions(QStringLiteral("Tahoma"),
                             {QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
  QFont font(QStringLiteral("MS Sans Serif"));
  font.setPixelSize(11);
  setFont(font);
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);

  const QIcon glyph = sharedGlyph();
  for (QToolButton* b : {ui->editLOAD, ui->edtLOAD_EVENT, ui->RzRapidFireButton1,
                         ui->RzRapidFireButton2, ui->RzRapidFireButton3, ui->RzRapidFireButton4,
                         ui->RzRapidFireButton5, ui->RzRapidFireButton6}) {
    b->setIcon(glyph);
    b->setIconSize(QSize(16, 16));
  }
  // Labels in navy bold, sized to their text.
  QFont bold = font;
  bold.setBold(true);
  for (QLabel* l : findChildren<QLabel*>()) {
    l->setFont(bold);
    QPalette lp = l->palette();
    lp.setColor(QPalette::WindowText, QColor(0, 0, 128));
    l->setPalette(lp);
    l->adjustSize();
  }
  ui->btnOK->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  ui->btnCancel->setIcon(style()->standardIcon(QStyle::SP_DialogCancelButton));
  ui->clPRED->setUniformItemSizes(true);

  // Colours of the page control, the labels, the frames and the button bar.
  setStyleSheet(QStringLiteral(R"(
QDialog#frmProcedureEdit, QWidget#TabSheet1, QWidget#TabSheet2 { background: white; }
QTabWidget::pane { border: 1px solid rgb(160,160,160); background: white; top: -1px; }
QTabBar::tab { height: 19px; padding: 0 10px; border: 1px solid rgb(160,160,160);
  border-bottom: none; background: rgb(236,236,232); margin-right: 1px;
  border-top-left-radius: 3px; border-top-right-radius: 3px; }
QTabBar::tab:selected { background: white; }
QTabBar::tab:hover:!selected { background: rgb(248,248,244); }
QLineEdit { border: 1px solid rgb(127,157,185); background: white; padding: 0 2px; }
QLineEdit:focus { border-color: rgb(0,60,116); }
QToolButton { border: 1px solid transparent; border-radius: 2px; background: transparent; }
QToolButton:hover { border-color: rgb(0,60,116); background: rgb(225,236,250); }
QToolButton:pressed { background: rgb(190,212,240); }
QFrame#RzDialogButtons1 { background: white; }
QFrame#RzDialogButtons1 QPushButton { border: 1px solid rgb(0,60,116); border-radius: 3px;
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 white, stop:1 rgb(244,244,240)); }
QFrame#RzDialogButtons1 QPushButton:hover { border-color: rgb(255,165,0);
  background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 rgb(255,252,240), stop:1 rgb(244,238,220)); }
QFrame#RzDialogButtons1 QPushButton:pressed { background: rgb(228,228,222); }
QFrame#RzDialogButtons1 QPushButton:focus { border-width: 2px; }
QListWidget#clPRED { border: 1px solid rgb(127,157,185); }
QListWidget#clPRED::item { height: 17px; }
QListWidget#clPRED::item:selected { background: rgb(33,161,33); color: white;
  border: 1px solid rgb(28,81,128); }
)"));
  new BalloonHints(this);
}

void TfrmProcedureEdit::wire() {
  connect(ui->editLOAD, &QToolButton::clicked, this, &TfrmProcedureEdit::editLOADClick);
  connect(ui->edtLOAD_EVENT, &QToolButton::clicked, this, &TfrmProcedureEdit::edtLOAD_EVENTClick);
  connect(ui->RzRapidFireButton1, &QToolButton::clicked, this,
          &TfrmProcedureEdit::RzRapidFireButton1Click);
  connect(ui->RzRapidFireButton2, &QToolButton::clicked, this,
          &TfrmProcedureEdit::RzRapidFireButton2Click);
  connect(ui->RzRapidFireButton3, &QToolButton::clicked, this,
          &TfrmProcedureEdit::RzRapidFireButton3Click);
  connect(ui->RzRapidFireButton4, &QToolButton::clicked, this,
          &TfrmProcedureEdit::RzRapidFireButton4Click);
  connect(ui->RzRapidFireButton5, &QToolButton::clicked, this,
          &TfrmProcedureEdit::RzRapidFireButton5Click);
  connect(ui->RzRapidFireButton6, &QToolButton::clicked, this,
          &TfrmProcedureEdit::RzRapidFireButton6Click);
  connect(ui->btnOK, &QPushButton::clicked, this, &TfrmProcedureEdit::RzDialogButtons1ClickOk);
  connect(ui->btnCancel, &QPushButton::clicked, this,
          &TfrmProcedureEdit::RzDialogButtons1ClickCancel);
}

void TfrmProcedureEdit::FormCreate() {
  try {
    createSelectDialogs();
  } catch (const std::exception& e) {
    reportError(e);
  }
  // A picker without its dialog would act on nothing.
  ui->editLOAD->setEnabled(SubdivisionDialog != nullptr);
  ui->edtLOAD_EVENT->setEnabled(ClassifierDialog != nullptr);
}

void TfrmProcedureEdit::FormDestroy() {
  FreeSelectDialog(SubdivisionDialog);
  FreeSelectDialog(ClassifierDialog);
}

void TfrmProcedureEdit::createSelectDialogs() {
  if (!DatabaseConnected()) return;
  const int subdivisionList = LoadRightsAndChooseSubdivisionList();
  SubdivisionDialog = CreateSubdivisionDialog(subdivisionList);
  ClassifierDialog = CreateClassifierDialog();
}

QString TfrmProcedureEdit::rowText(int row) const {
  switch (row) {
    case RowNumber:
      return ui->edtNUMBER->text();
    case RowSubdivision:
      return ui->edtISP->text();
    case RowCode:
      return ui->edtKODKL->text();
    case RowName:
      return ui->edtNAIM->text();
    case RowPercent:
      return ui->edtPROC->value();
    case RowExtraInfo:
      return ui->edtDOPINFO->text();
    case RowPlannedDate:
      return ui->edtPLANDATE->text();
    case RowActualDate:
      return ui->edtFACTDATE->text();
    default:
      return {};
  }
}

void TfrmProcedureEdit::setRowText(int row, const QString& text) {
  switch (row) {
    case RowNumber:
      ui->edtNUMBER->setText(text);
      break;
    case RowSubdivision:
      ui->edtISP->setText(text);
      break;
    case RowCode:
      ui->edtKODKL->setText(text);
      break;
    case RowName:
      ui->edtNAIM->setText(text);
      break;
    case RowPercent:
      ui->edtPROC->setValue(text);
      break;
    case RowExtraInfo:
      ui->edtDOPINFO->setText(text);
      break;
    case RowPlannedDate:
      ui->edtPLANDATE->setText(text);
      break;
    case RowActualDate:
      ui->edtFACTDATE->setText(text);
      break;
    default:
      break;
  }
}

void TfrmProcedureEdit::LoadFields() {
  for (int row = 0; row < EventRowCount; ++row)
    setRowText(row, fromUtf8(StripQuotes(ReadPropFormula(CurrentShape, row))));
  // Long values show from their beginning.
  for (QLineEdit* e : findChildren<QLineEdit*>()) e->setCursorPosition(0);
}

void TfrmProcedureEdit::LoadPredecessors() {
  ui->clPRED->clear();
  for (const PredecessorItem& p : tw::LoadPredecessors()) {
    auto* item = new QListWidgetItem(fromUtf8(p.text), ui->clPRED);
    item->setData(Qt::UserRole, p.id);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(p.checked ? Qt::Checked : Qt::Unchecked);
  }
}

std::vector<PredecessorItem> TfrmProcedureEdit::predecessorItems() const {
  std::vector<PredecessorItem> items;
  for (int i = 0; i < ui->clPRED->count(); ++i) {
    const QListWidgetItem* item = ui->clPRED->item(i);
    items.push_back({item->text().toStdString(), item->data(Qt::UserRole).toInt(),
                     item->checkState() == Qt::Checked});
  }
  return items;
}

void TfrmProcedureEdit::ApplyPredecessorChanges() {
  const std::vector<SkippedLink> skipped = tw::ApplyPredecessorChanges(predecessorItems());
  if (skipped.empty()) return;
  QString text = QStringLiteral(
      "Пока редактор был открыт, чертёж изменился. Связи со следующими событиями не изменены:\n");
  for (const SkippedLink& s : skipped) {
    text += QStringLiteral("\n%1 (%2)")
                .arg(fromUtf8(s.item.text), s.reason == SkippedLink::Reason::EventGone
                                                ? QStringLiteral("событие не найдено на листе")
                                                : QStringLiteral("соединитель не найден"));
  }
  messageBoxes().show(MsgIcon::Warning, kCaption, text);
}

void TfrmProcedureEdit::editLOADClick() {
  guarded([&] {
    if (!SubdivisionDialog) return;
    QString text;
    if (ExecuteSubdivision(*SubdivisionDialog, text)) ui->edtISP->setText(text);
  });
}

void TfrmProcedureEdit::edtLOAD_EVENTClick() {
  guarded([&] {
    if (!ClassifierDialog) return;
    QString code, name;
    if (ExecuteClassifier(*ClassifierDialog, code, name)) {
      ui->edtKODKL->setText(code);
      ui->edtNAIM->setText(name);
    }
  });
}

void TfrmProcedureEdit::RzRapidFireButton1Click() {
  ui->edtPROC->setValue(QStringLiteral("0"));
}
void TfrmProcedureEdit::RzRapidFireButton2Click() {
  ui->edtPLANDATE->clear();
}
void TfrmProcedureEdit::RzRapidFireButton3Click() {
  ui->edtFACTDATE->clear();
}
void TfrmProcedureEdit::RzRapidFireButton4Click() {
  ui->edtDOPINFO->clear();
}
void TfrmProcedureEdit::RzRapidFireButton5Click() {
  ui->edtNAIM->clear();
}
void TfrmProcedureEdit::RzRapidFireButton6Click() {
  ui->edtISP->clear();
}

void TfrmProcedureEdit::RzDialogButtons1ClickOk() {
  guarded([&] {
    for (int row = 0; row < EventRowCount; ++row)
      WritePropValue(CurrentShape, row, rowText(row).toStdString());
    ApplyPredecessorChanges();
    close();
  });
}

void TfrmProcedureEdit::RzDialogButtons1ClickCancel() {
  close();
}

void EditCurrentEvent(const QString& settingsFolder) {
  CreateDataModule(settingsFolder);
  frmProcedureEdit = new TfrmProcedureEdit();
  // Whatever happens below, the list's marks are dropped and the form freed.
  struct CleanUp {
    ~CleanUp() {
      InitialChecks.clear();
      delete frmProcedureEdit;
      frmProcedureEdit = nullptr;
    }
  } cleanUp;
  frmProcedureEdit->LoadFields();
  frmProcedureEdit->LoadPredecessors();
  frmProcedureEdit->findChild<QTabWidget*>(QStringLiteral("RzPageControl1"))->setCurrentIndex(0);
  frmProcedureEdit->exec();
}

void DropNewEvent() {
  const AutoRef master = VisioApp.getRef("Documents")
                             .getRef("Item", {std::string(StencilName)})
                             .getRef("Masters")
                             .getRef("ItemU", {std::string(EventMasterName)});
  CurrentShape = VisioApp.getRef("ActiveWindow")
                     .getRef("Page")
                     .getRef("Drop", {master.asVariant(), std::int32_t{2}, std::int32_t{9}});
  EditCurrentEvent();
  VisioApp.getRef("ActiveWindow").call("DeselectAll");
  VisioApp.getRef("ActiveWindow").call("Select", {CurrentShape.asVariant(), std::int32_t{2}});
}

}  // namespace tw
