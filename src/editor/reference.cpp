#include "reference.h"

#include "data/db/unit_dm.h"
#include "data/db/zam.h"
#include "data/select/unit_core_selectform.h"
#include "editor/procedure_edit.h"
#include "ui/messages.h"

namespace tw {

bool DatabaseConnected() {
  return dmMAIN && dmMAIN->pFIBDatabase1.connected();
}

int LoadRightsAndChooseSubdivisionList() {
  delete Zam;
  Zam = new TZam();
  Zam->Load();
  if (Zam->Z23 <= 1) return Zam->Z23;
  messageBoxes().show(
      MsgIcon::Warning, QStringLiteral("Редактор события"),
      QStringLiteral("В записи прав пользователя поле Z23 имеет недопустимое значение %1 "
                     "(ожидается 0 или 1). Подразделения будут выбираться из таблицы ZN.")
          .arg(Zam->Z23));
  return 0;
}

TSelectDialog* CreateSubdivisionDialog(int subdivisionList) {
  auto d = std::make_unique<TSelectDialog>(QStringLiteral("PODR"));
  d->setShowClearButton(false);
  d->setMultiSelect(false);
  d->setCaption(QStringLiteral("Укажите подразделение"));
  d->setKeyField(QStringLiteral("KOD"));
  d->setDisplayField(QStringLiteral("ZO1"));
  d->setSQLText(QString::fromLatin1(SubdivisionSQL[subdivisionList == 1 ? 1 : 0]));
  d->AddColumn(QStringLiteral("ZO1"), QStringLiteral("Подразделения"));
  d->setAutoFit(true);
  return d.release();
}

TSelectDialog* CreateClassifierDialog() {
  auto d = std::make_unique<TSelectDialog>(QStringLiteral("KODKLA"));
  d->setShowClearButton(false);
  d->setMultiSelect(false);
  d->setCaption(QStringLiteral("Укажите событие из классификатора событий"));
  d->setKeyField(QStringLiteral("KODKLA"));
  d->setDisplayField(QStringLiteral("KODKL"));
  d->setSQLText(QStringLiteral("SELECT KODKLA, KODKL, NAMZAD FROM KLASSIF"));
  d->AddColumn(QStringLiteral("KODKL"), QStringLiteral("Код события"));
  d->AddColumn(QStringLiteral("NAMZAD"), QStringLiteral("Наименование"));
  d->setAutoFit(true);
  return d.release();
}

void FreeSelectDialog(TSelectDialog*& dialog) {
  delete dialog;
  dialog = nullptr;
}

bool ExecuteSubdivision(TSelectDialog& dialog, QString& name) {
  if (!dialog.Execute()) return false;
  name = dialog.ResultText();
  return true;
}

bool ExecuteClassifier(TSelectDialog& dialog, QString& code, QString& name) {
  if (!dialog.Execute()) return false;
  code = dialog.ResultText();
  name = dialog.Form()->qSELECT->asString(QStringLiteral("NAMZAD"));
  return true;
}

}  // namespace tw
