#pragma once
// The client objects behind Database and Transaction (private to tw_db).
#include "database.h"
#include "fbclient.h"

namespace tw::db {

struct Database::Impl {
  QString name, user, password, role;
  Firebird::IProvider* provider = nullptr;
  Firebird::IAttachment* att = nullptr;
};

struct Transaction::Impl {
  Firebird::ITransaction* tr = nullptr;
};

}  // namespace tw::db
