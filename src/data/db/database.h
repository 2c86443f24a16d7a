#pragma once
// The one connection to the reference database and its transaction, over the
// Firebird client library. Dialect 1, Windows-1251 text, a fixed SQL role.
#include <QString>
#include <memory>

namespace tw::db {

class Transaction;

class Database {
 public:
  Database();
  ~Database();  // closes the connection
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  // Connection parameters, used by the next connect(). The database name is a
  // plain file path (opened in-process) or "host:path" / "host/port:path".
  void setDatabaseName(const QString& name);
  void setUserName(const QString& name);
  void setPassword(const QString& password);
  void setRoleName(const QString& role);
  QString databaseName() const;
  QString userName() const;
  QString roleName() const;

  // Attaches; throws tw::Error (kind EFIBInterBaseError) with the client's own
  // text when the database refuses or cannot be reached.
  void connect();
  bool connected() const;
  // Rolls back the default transaction and detaches; nothing when not connected.
  void close();

  // The transaction queries run under unless given another one.
  Transaction& defaultTransaction();

  // Runs one statement in a transaction of its own and commits it. Only for
  // set-up tools and tests: the program itself never writes.
  void execute(const QString& sql);

  struct Impl;
  Impl& impl();

 private:
  std::unique_ptr<Impl> d_;
  std::unique_ptr<Transaction> defaultTr_;
};

// Read committed, rec_version, nowait, write; started by the first query that
// opens and kept until the connection closes.
class Transaction {
 public:
  explicit Transaction(Database& db);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  Database& database() const { return db_; }
  bool active() const;
  void start();     // nothing when already active
  void rollback();  // nothing when not active

  struct Impl;
  Impl& impl();

 private:
  Database& db_;
  std::unique_ptr<Impl> d_;
};

}  // namespace tw::db
