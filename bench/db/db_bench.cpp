// Prints: classifier rows=N fetch_s=F isql_s=I read_s=R
//   fetch_s  open and fetch every row through the query object (best of 3)
//   isql_s   isql-fb fetching and printing the same rows to /dev/null (best of 3)
//   read_s   then reading every cell of every row as a table model would
// Usage: db_bench [ROWS]  (default 100000; the database is made in a temp folder)
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

#include "data/db/database.h"
#include "data/db/query.h"

namespace {

const char* kSql = "SELECT KODKLA, KODKL, NAMZAD FROM KLASSIF";

double fetchThroughQuery(const QString& path, int& rows, double& readSeconds) {
  tw::db::Database db;
  db.setDatabaseName(path);
  db.setUserName(QStringLiteral("SYSDBA"));
  db.connect();
  tw::db::Query q(db);
  q.setSql(QString::fromLatin1(kSql));
  QElapsedTimer t;
  t.start();
  q.open();
  q.fetchAll();
  const double fetch = static_cast<double>(t.nsecsElapsed()) / 1e9;
  rows = q.fetchedRows();
  t.restart();
  qsizetype chars = 0;
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < q.fieldCount(); ++c) chars += q.value(r, c).toString().size();
  readSeconds = static_cast<double>(t.nsecsElapsed()) / 1e9;
  if (chars == 0) std::fprintf(stderr, "no text read\n");
  return fetch;
}

double fetchThroughIsql(const QString& path) {
  QProcess isql;
  isql.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer t;
  t.start();
  isql.start(QStringLiteral("isql-fb"),
             {QStringLiteral("-q"), QStringLiteral("-ch"), QStringLiteral("WIN1251"),
              QStringLiteral("-user"), QStringLiteral("SYSDBA"), path});
  isql.write(QByteArray(kSql) + ";\n");
  isql.closeWriteChannel();
  isql.waitForFinished(-1);
  const double s = static_cast<double>(t.nsecsElapsed()) / 1e9;
  if (isql.exitCode() != 0) {
    std::fprintf(stderr, "isql-fb failed: %s\n", isql.readAllStandardError().constData());
    std::exit(1);
  }
  return s;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int wanted = argc > 1 ? std::atoi(argv[1]) : 100000;
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("classifier.fdb"));
  if (QProcess::execute(QStringLiteral(TW_MAKE_SAMPLE_DB), {QStringLiteral("--classifier-rows"),
                                                            QString::number(wanted), path}) != 0) {
    std::fprintf(stderr, "could not make the database\n");
    return 1;
  }
  double fetch = 1e9, isql = 1e9, read = 1e9;
  int rows = 0;
  for (int i = 0; i < 3; ++i) {
    double r = 0;
    fetch = std::min(fetch, fetchThroughQuery(path, rows, r));
    read = std::min(read, r);
    isql = std::min(isql, fetchThroughIsql(path));
  }
  std::printf("classifier rows=%d fetch_s=%.3f isql_s=%.3f read_s=%.3f\n", rows, fetch, isql, read);
  return rows == wanted ? 0 : 1;
}
