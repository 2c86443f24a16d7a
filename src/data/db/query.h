#pragma once
// A select over the one connection: the query object the rights record and the
// selection dialog read through. Rows are fetched on demand and kept, so going
// back (first(), bookmarks, a table model's random access) needs no refetch.
//
// Reads on the current row never fail for a null or an empty result: they give
// 0, 0.0, the zero date-time (30.12.1899 00:00) or the empty text. Naming a
// column the result lacks, or a text that is not a number read as a number,
// throws tw::Error. Database errors throw tw::Error of kind EFIBInterBaseError
// with the client's own text; after a failed open the query stays closed.
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <memory>

namespace tw::db {

class Database;
class Transaction;

// The zero date-time of reads on a null or on no row.
QDateTime zeroDateTime();

class Query {
 public:
  // Runs under db's default transaction (started on the first open). A query
  // is freed before its database.
  explicit Query(Database& db);
  Query(Database& db, Transaction& tr);
  ~Query();  // closes
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  // --- statement -----------------------------------------------------------
  // Sets the select text; closes the query when the text differs from the one
  // held. Parameters are written as "?" and bound by position (0-based).
  void setSql(const QString& sql);
  QString sql() const;
  // Binds parameter `index` for the next open(): int/qlonglong, double,
  // QString, QDateTime/QDate, or a null QVariant for SQL NULL. Texts are sent
  // in Windows-1251. Binding clears nothing else; setSql() clears all bindings.
  void bind(int index, const QVariant& value);

  // Prepares (when needed), executes and fetches the first row. Throws on a
  // database error; the query then stays closed. Nothing when already open.
  void open();
  // Frees the cursor and the rows kept; nothing when closed.
  void close();
  bool isOpen() const;

  // --- navigation ----------------------------------------------------------
  // True when open and the result has no row (or when closed).
  bool isEmpty() const;
  // True when the current row is past the last one (after next() on it) or
  // there is no row.
  bool eof() const;
  // Moves to the next row, fetching it when needed; false at the end.
  bool next();
  // Moves to the first row.
  void first();
  // 0-based index of the current row; -1 when there is none.
  int currentRow() const;
  // A bookmark is the row's index; goToBookmark moves there, fetching as far
  // as needed, and throws when no such row exists.
  using Bookmark = int;
  Bookmark bookmark() const;
  void goToBookmark(Bookmark b);

  // --- columns (of the current row) ----------------------------------------
  int fieldCount() const;
  // Output names as the server gives them (aliases included), upper case.
  QStringList fieldNames() const;
  // Position of the column named `name` (exact match, then ignoring case);
  // -1 when none.
  int fieldIndex(const QString& name) const;

  bool isNull(int column) const;
  bool isNull(const QString& name) const;
  // Integer: whole numbers as they are, doubles rounded, texts converted
  // (a text that is no integer throws). 0 for a null or no row.
  qint64 asInteger(int column) const;
  qint64 asInteger(const QString& name) const;
  double asDouble(int column) const;
  double asDouble(const QString& name) const;
  QDateTime asDateTime(int column) const;
  QDateTime asDateTime(const QString& name) const;
  // Text: Windows-1251 decoded; numbers and dates written as text.
  QString asString(int column) const;
  QString asString(const QString& name) const;

  // --- what a table model needs --------------------------------------------
  // Rows fetched so far (the model's rowCount()).
  int fetchedRows() const;
  // True while the server may still have rows.
  bool canFetchMore() const;
  // Fetches up to `count` more rows; returns how many came. Does not move the
  // current row.
  int fetchMore(int count);
  // Fetches every remaining row; does not move the current row.
  void fetchAll();
  // The value at (row, column) of the rows fetched so far, for display and
  // sorting: qint64, double, QDateTime or QString; a null QVariant for SQL
  // NULL or out-of-range positions.
  QVariant value(int row, int column) const;

  struct Impl;

 private:
  std::unique_ptr<Impl> d_;
};

}  // namespace tw::db
