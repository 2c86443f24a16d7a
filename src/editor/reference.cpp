#include "reference.h"

#include <QObject>

#include "data/db/unit_dm.h"

namespace tw {

// Stands in until the selection dialog lands.
class TSelectDialog : public QObject {};

bool DatabaseConnected() { return dmMAIN && dmMAIN->pFIBDatabase1.connected(); }

int LoadRightsAndChooseSubdivisionList() { return 0; }

TSelectDialog* CreateSubdivisionDialog(QWidget*, int) { return nullptr; }
TSelectDialog* CreateClassifierDialog(QWidget*) { return nullptr; }
void FreeSelectDialog(TSelectDialog*& dialog) {
  delete dialog;
  dialog = nullptr;
}
bool ExecuteSubdivision(TSelectDialog&, QString&) { return false; }
bool ExecuteClassifier(TSelectDialog&, QString&, QString&) { return false; }

}  // namespace tw
