#pragma once
// The data module: the one connection and transaction of the process, set up
// from "tarnwick.ini" beside the executable.
#include <QString>

#include "data/db/database.h"

namespace tw {

class TdmMAIN {
 public:
  // Creates the module and runs DataModuleCreate; an error it raises goes to
  // the default error report and the module is left unconnected. `folder` is
  // where "tarnwick.ini" is looked for; empty means the executable's folder.
  explicit TdmMAIN(const QString& folder = QString());
  ~TdmMAIN();
  TdmMAIN(const TdmMAIN&) = delete;
  TdmMAIN& operator=(const TdmMAIN&) = delete;

  db::Database pFIBDatabase1;
  db::Transaction& pFIBTransaction1;

  // Reads the settings, warns about what is missing, connects. Throws what
  // reading the file or connecting throws.
  void DataModuleCreate();

  QString settingsPath() const;

 private:
  QString folder_;
};

// The process-wide data module; null until the editor creates it.
extern TdmMAIN* dmMAIN;

// Creates dmMAIN (freeing one made before); `folder` as for TdmMAIN.
TdmMAIN* CreateDataModule(const QString& folder = QString());
// Frees dmMAIN, which closes the connection; nothing when there is none.
void FreeDataModule();

}  // namespace tw
