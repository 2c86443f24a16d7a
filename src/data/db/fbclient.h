#pragma once
// Shared plumbing over the Firebird client interfaces (private to tw_db).
#include <firebird/Interface.h>

#include <QByteArray>
#include <QString>

#include "data/db/codepage.h"

namespace tw::db::fb {

Firebird::IMaster* master();
Firebird::IUtil* util();

// A status object for one call sequence; check() throws tw::Error with the
// client's own text when the last call failed.
class Status {
 public:
  Status();
  ~Status();
  Status(const Status&) = delete;
  Status& operator=(const Status&) = delete;
  Firebird::CheckStatusWrapper* operator&() { return &wrapper_; }
  Firebird::CheckStatusWrapper* get() { return &wrapper_; }
  bool failed() const;
  [[noreturn]] void raise();
  void check() {
    if (failed()) raise();
  }
  void clear() { wrapper_.init(); }

 private:
  Firebird::IStatus* status_;
  Firebird::CheckStatusWrapper wrapper_;
};

// Texts cross to and from the database in Windows-1251.
using db::fromWin1251;
using db::toWin1251;

}  // namespace tw::db::fb
