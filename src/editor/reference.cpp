#include "reference.h"

#include <QObject>

#include "data/db/unit_dm.h"
#include "data/db/zam.h"
#include "ui/messages.h"

namespace tw {

// Stands in until the selection dialog lands.
class TSelectDialog : public QObject {};

bool DatabaseConnected() { return dmMAIN && dmMAIN->pFIBDatabase1.connected(); }

int LoadRightsAndChooseSubdivisionList() {
  delete Zam;
  Zam = new TZam();
  Zam->Load();
  if (Zam->Z23 <= 1) return Zam->Z23;
  messageBoxes().show(MsgIcon::Warning, QStringLiteral("Редактор события"),
                      QStringLiteral("В записи прав пользователя поле Z23 имеет недопустимое значение %1 "
                                     "(ожидается 0 или 1). Подразделения будут выбираться из таблицы ZN.")
                          .arg(Zam->Z23));
  return 0;
}

TSelectDialog* CreateSubdivisionDialog(QWidget*, int) { return nullptr; }
TSelectDialog* CreateClassifierDialog(QWidget*) { return nullptr; }
void FreeSelectDialog(TSelectDialog*& dialog) {
  delete dialog;
  dialog = nullptr;
}
bool ExecuteSubdivision(TSelectDialog&, QString&) { return false; }
bool ExecuteClassifier(TSelectDialog&, QString&, QString&) { return false; }

}  // namespace tw
