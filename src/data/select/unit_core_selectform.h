#pragma once
// The selection dialog: a modal pick list over one query that hands back the
// chosen row's display text and key, and leaves the query on that row.
#include <QDialog>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "data/db/query.h"
#include "ui/dbcolorgrideh.h"
#include "ui/formstorageex.h"

class QPushButton;

namespace Ui {
class TfrmCore_SelectForm;
}

namespace tw {

namespace db {
class Database;
}

class TSelectDialog;

// The query's rows as the grid sees them; fetched as they are shown.
class QueryGridSource final : public GridSource {
 public:
  explicit QueryGridSource(db::Query& q) : q_(q) {}
  int rowCount() const override { return q_.isOpen() ? q_.fetchedRows() : 0; }
  int columnCount() const override { return q_.isOpen() ? q_.fieldCount() : 0; }
  QString fieldName(int column) const override { return q_.fieldNames().value(column); }
  QVariant value(int row, int column) const override { return q_.value(row, column); }
  bool canFetchMore() const override { return q_.isOpen() && q_.canFetchMore(); }
  int fetchMore(int count) override { return q_.fetchMore(count); }

 private:
  db::Query& q_;
};

class TfrmCore_SelectForm : public QDialog {
  Q_OBJECT
 public:
  // Modal results, as the platform numbers them.
  enum { mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3 };

  // `database`: where qSELECT reads (the data module's connection).
  TfrmCore_SelectForm(db::Database& database, QWidget* parent = nullptr);
  ~TfrmCore_SelectForm() override;

  QWidget* pnlBUTTONS;
  QWidget* Panel1;
  QPushButton* btnCLEAR;
  QPushButton* btnOK;
  QPushButton* btnCANCEL;
  TDBColorGridEh* grdSELECT;
  std::unique_ptr<db::Query> qSELECT;
  std::unique_ptr<QueryGridSource> dsSELECT;
  TFormStorageEx* FormStorageEx;

  bool ColumnsBuilt = false;
  TSelectDialog* Dialog = nullptr;

  void FormShow();
  void FormClose();
  void grdSELECTDblClick();

  void done(int result) override;

 protected:
  void showEvent(QShowEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::unique_ptr<Ui::TfrmCore_SelectForm> ui_;
};

class TSelectDialog {
 public:
  // `database`: null means the data module's connection (dmMAIN).
  explicit TSelectDialog(const QString& StorageName, db::Database* database = nullptr);
  ~TSelectDialog();
  TSelectDialog(const TSelectDialog&) = delete;
  TSelectDialog& operator=(const TSelectDialog&) = delete;

  void AddColumn(const QString& FieldName, const QString& Title);
  // Shows the list modally; true after OK or "Очистить".
  bool Execute();

  QString SQLText() const { return sqlText_; }
  // A different text closes the query, so that the next Execute opens it anew.
  void setSQLText(const QString& text);
  QString KeyField() const { return keyField_; }
  void setKeyField(const QString& name) { keyField_ = name; }
  QString DisplayField() const { return displayField_; }
  void setDisplayField(const QString& name) { displayField_ = name; }
  QString Caption() const;
  void setCaption(const QString& caption);
  void setShowClearButton(bool show);
  bool MultiSelect() const;
  void setMultiSelect(bool on);
  bool AutoFit() const { return autoFit_; }
  void setAutoFit(bool on);

  const QString& ResultText() const { return resultText_; }
  const QString& ResultKeys() const { return resultKeys_; }
  const std::vector<qint32>& SelectedKeys() const { return selectedKeys_; }
  TfrmCore_SelectForm* Form() const { return form_.get(); }
  const QStringList& ColumnTitles() const { return columnTitles_; }
  const QStringList& ColumnFields() const { return columnFields_; }

  void SetupColumns();
  void TakeResult();
  void ClearResult();

 private:
  bool autoFit_ = false;
  std::vector<qint32> selectedKeys_;
  QStringList columnTitles_;
  QStringList columnFields_;
  QString sqlText_;
  QString keyField_;
  QString resultKeys_;
  QString displayField_;
  QString resultText_;
  std::unique_ptr<TfrmCore_SelectForm> form_;
};

}  // namespace tw
