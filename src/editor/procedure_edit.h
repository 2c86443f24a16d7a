#pragma once
// The event editor: a modal dialog over the eight values of CurrentShape and
// the list of the page's other events with a mark on each predecessor.
#include <QDialog>
#include <memory>
#include <vector>

#include "editor/predecessors.h"

namespace Ui {
class TfrmProcedureEdit;
}

namespace tw {

class TSelectDialog;

class TfrmProcedureEdit : public QDialog {
  Q_OBJECT
 public:
  // Runs FormCreate; errors inside it are reported and creation goes on.
  explicit TfrmProcedureEdit(QWidget* parent = nullptr);
  // Runs FormDestroy.
  ~TfrmProcedureEdit() override;

  // The eight values of CurrentShape into their fields.
  void LoadFields();
  // Fills clPRED and InitialChecks from the drawing.
  void LoadPredecessors();
  // Turns changed marks into connectors; reports the items it had to skip.
  void ApplyPredecessorChanges();
  // The items of clPRED with their current marks.
  std::vector<PredecessorItem> predecessorItems() const;

  // Absent when the database is not connected or the dialog could not be made.
  TSelectDialog* SubdivisionDialog = nullptr;
  TSelectDialog* ClassifierDialog = nullptr;

 public slots:
  void editLOADClick();
  void edtLOAD_EVENTClick();
  void RzRapidFireButton1Click();
  void RzRapidFireButton2Click();
  void RzRapidFireButton3Click();
  void RzRapidFireButton4Click();
  void RzRapidFireButton5Click();
  void RzRapidFireButton6Click();
  void RzDialogButtons1ClickOk();
  void RzDialogButtons1ClickCancel();

 private:
  void FormCreate();
  void FormDestroy();
  void createSelectDialogs();
  void wire();
  void styleForm();
  // The text of the control that shows Shape Data row `row`.
  QString rowText(int row) const;
  void setRowText(int row, const QString& text);

  std::unique_ptr<Ui::TfrmProcedureEdit> ui;
};

// The form while EditCurrentEvent runs; null otherwise.
extern TfrmProcedureEdit* frmProcedureEdit;

// Command 6: the whole run of the editor on CurrentShape. "tarnwick.ini" is
// read from `settingsFolder`, by default the executable's folder.
void EditCurrentEvent(const QString& settingsFolder = QString());

// Command 7: drops a new event at (2, 9), edits it, and leaves it selected.
void DropNewEvent();

// The subdivision lists by the rights field Z23.
inline constexpr const char* SubdivisionSQL[2] = {
    "SELECT ZNKOD AS KOD, ZO1 FROM ZN",
    "SELECT ZNSKOD AS KOD, ZO1 FROM ZNS",
};

}  // namespace tw
