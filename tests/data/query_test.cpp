#include "data/db/query.h"

#include "db_fixture.h"
#include "platform/error.h"

namespace tw::test {
namespace {

class QueryTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    dm = &connectAs(QStringLiteral("IVANOV"));
    ASSERT_TRUE(dm->pFIBDatabase1.connected());
  }
  db::Database& database() { return dm->pFIBDatabase1; }
  TdmMAIN* dm = nullptr;
};

TEST_F(QueryTest, RussianTextReadsRightFromColumnsWithAndWithoutACharacterSet) {
  db::Query q(database());
  // ZN.ZO1 has no character set, ZNS.ZO1 is WIN1251.
  q.setSql(QStringLiteral("SELECT ZO1 FROM ZN WHERE ZNKOD = 9"));
  q.open();
  EXPECT_EQ(q.asString(QStringLiteral("ZO1")), QStringLiteral("Конструкторское бюро «Ёлка»"));
  q.setSql(QStringLiteral("SELECT ZO1 FROM ZNS WHERE ZNSKOD = 101"));
  q.open();
  EXPECT_EQ(q.asString(0), QStringLiteral("Сектор расчётов прочности"));
}

TEST_F(QueryTest, ABoundRussianParameterMatchesBothKindsOfColumn) {
  db::Query q(database());
  q.setSql(QStringLiteral("SELECT ZNKOD FROM ZN WHERE ZO1 = ?"));
  q.bind(0, QStringLiteral("Цех № 4 сборки и испытаний"));
  q.open();
  EXPECT_EQ(q.asInteger(0), 4);
  q.setSql(QStringLiteral("SELECT ZNSKOD FROM ZNS WHERE ZO1 = ?"));
  q.bind(0, QStringLiteral("Участок сварки корпусов"));
  q.open();
  EXPECT_EQ(q.asInteger(0), 105);
  // Other parameter types the server converts to the column's.
  q.setSql(
      QStringLiteral("SELECT COUNT(*) FROM KLASSIF WHERE KODKLA BETWEEN ? AND ? AND KODKL <> ?"));
  q.bind(0, 10);
  q.bind(1, 19.0);
  q.bind(2, QVariant());
  q.open();
  EXPECT_EQ(q.asInteger(0), 0) << "a comparison with NULL matches nothing";
  q.close();
  q.bind(2, QStringLiteral("x"));
  q.open();
  EXPECT_EQ(q.asInteger(0), 10);
}

TEST_F(QueryTest, ReadsConvertByType) {
  db::Query q(database());
  q.setSql(QStringLiteral(
      "SELECT Z1, Z20, DATETSH, Z9, FONTNAME, Z4 FROM ZAM WHERE USERNAME = 'IVANOV'"));
  q.open();
  EXPECT_EQ(q.asDouble(QStringLiteral("Z1")), 1.5);
  EXPECT_EQ(q.asInteger(QStringLiteral("Z1")), 2) << "a double read as integer is rounded";
  EXPECT_EQ(q.asInteger(QStringLiteral("Z20")), 123456);
  EXPECT_EQ(q.asDouble(QStringLiteral("Z20")), 123456.0);
  EXPECT_EQ(q.asString(QStringLiteral("Z20")), QStringLiteral("123456"));
  EXPECT_EQ(q.asDateTime(QStringLiteral("DATETSH")),
            QDateTime(QDate(2024, 2, 1), QTime(8, 15, 30)));
  EXPECT_EQ(q.asString(QStringLiteral("DATETSH")), QStringLiteral("01.02.2024 08:15:30"));
  EXPECT_EQ(q.asString(QStringLiteral("Z9")), QStringLiteral("Иванов И.И."));
  EXPECT_EQ(q.asString(QStringLiteral("FONTNAME")).size(), 32) << "CHAR keeps its padding";
  EXPECT_EQ(q.asString(QStringLiteral("Z4")), QStringLiteral("1000000.125"));
  EXPECT_EQ(q.value(0, 2).toDateTime(), QDateTime(QDate(2024, 2, 1), QTime(8, 15, 30)));
  EXPECT_EQ(q.value(0, 1).toLongLong(), 123456);
  // A text that is no number.
  EXPECT_THROW(q.asInteger(QStringLiteral("Z9")), Error);
  EXPECT_THROW(q.asDouble(QStringLiteral("Z9")), Error);
}

TEST_F(QueryTest, NullsAndEmptyResultsReadAsZero) {
  db::Query q(database());
  // PETROVA's row leaves most columns null.
  q.setSql(QStringLiteral("SELECT Z1, Z5, Z49, Z11 FROM ZAM WHERE USERNAME = 'PETROVA'"));
  q.open();
  ASSERT_FALSE(q.isEmpty());
  EXPECT_TRUE(q.isNull(QStringLiteral("Z5")));
  EXPECT_FALSE(q.value(0, 0).isValid());
  q.setSql(QStringLiteral("SELECT Z1, Z5, Z49, Z11 FROM ZAM WHERE USERNAME = 'NOBODY'"));
  q.open();
  EXPECT_TRUE(q.isOpen());
  EXPECT_TRUE(q.isEmpty());
  EXPECT_TRUE(q.eof());
  EXPECT_FALSE(q.next());
  EXPECT_EQ(q.asDouble(QStringLiteral("Z1")), 0.0);
  EXPECT_EQ(q.asInteger(QStringLiteral("Z5")), 0);
  EXPECT_EQ(q.asDateTime(QStringLiteral("Z49")), db::zeroDateTime());
  EXPECT_EQ(q.asString(QStringLiteral("Z11")), QString());
  EXPECT_EQ(db::zeroDateTime(), QDateTime(QDate(1899, 12, 30), QTime(0, 0)));
}

TEST_F(QueryTest, NavigationAndBookmarks) {
  db::Query q(database());
  q.setSql(QStringLiteral("SELECT KODKLA, NAMZAD FROM KLASSIF ORDER BY KODKLA"));
  q.open();
  EXPECT_EQ(q.fetchedRows(), 1) << "open fetches only the first row";
  EXPECT_EQ(q.asInteger(0), 1);
  ASSERT_TRUE(q.next());
  ASSERT_TRUE(q.next());
  EXPECT_EQ(q.asInteger(QStringLiteral("KODKLA")), 3);
  const auto mark = q.bookmark();
  q.first();
  EXPECT_EQ(q.asInteger(0), 1);
  q.goToBookmark(mark);
  EXPECT_EQ(q.asInteger(0), 3);
  q.goToBookmark(250);  // beyond what was fetched
  EXPECT_EQ(q.asInteger(0), 251);
  EXPECT_THROW(q.goToBookmark(5000), Error);
  EXPECT_EQ(q.asInteger(0), 251) << "a failed move stays put";
  int n = 251;
  while (q.next()) ++n;
  EXPECT_EQ(n, 300);
  EXPECT_TRUE(q.eof());
  EXPECT_EQ(q.asInteger(0), 300) << "stays on the last row at the end";
  EXPECT_FALSE(q.canFetchMore());
  q.first();
  EXPECT_FALSE(q.eof());
}

TEST_F(QueryTest, WhatATableModelNeeds) {
  db::Query q(database());
  q.setSql(QStringLiteral("SELECT KODKLA, KODKL, NAMZAD FROM KLASSIF ORDER BY KODKLA"));
  q.open();
  EXPECT_EQ(q.fieldNames(), QStringList({"KODKLA", "KODKL", "NAMZAD"}));
  EXPECT_EQ(q.fieldIndex(QStringLiteral("namzad")), 2);
  EXPECT_EQ(q.fieldIndex(QStringLiteral("NONE")), -1);
  EXPECT_TRUE(q.canFetchMore());
  EXPECT_EQ(q.fetchMore(100), 100);
  EXPECT_EQ(q.fetchedRows(), 101);
  EXPECT_EQ(q.currentRow(), 0) << "fetching does not move the current row";
  q.fetchAll();
  EXPECT_EQ(q.fetchedRows(), 300);
  EXPECT_FALSE(q.canFetchMore());
  EXPECT_EQ(q.fetchMore(10), 0);
  EXPECT_EQ(q.value(19, 1).toString(), QStringLiteral("01.02.005"));
  EXPECT_EQ(q.value(19, 2).toString(), QStringLiteral("Эскизное проектирование: пульт оператора"));
  EXPECT_FALSE(q.value(300, 0).isValid());
  EXPECT_FALSE(q.value(0, 3).isValid());
}

TEST_F(QueryTest, SqlTextAndOpenState) {
  db::Query q(database());
  const QString sql = QStringLiteral("SELECT ZNKOD AS KOD, ZO1 FROM ZN");
  q.setSql(sql);
  EXPECT_FALSE(q.isOpen());
  q.open();
  q.next();
  q.setSql(sql);  // the same text keeps the open result and its row
  EXPECT_TRUE(q.isOpen());
  EXPECT_EQ(q.currentRow(), 1);
  q.setSql(QStringLiteral("SELECT ZNSKOD AS KOD, ZO1 FROM ZNS"));
  EXPECT_FALSE(q.isOpen());
  q.open();
  EXPECT_EQ(q.fieldNames().first(), QStringLiteral("KOD"));
  EXPECT_EQ(q.asInteger(QStringLiteral("KOD")), 101);
}

TEST_F(QueryTest, ErrorsReachTheCallerAndLeaveTheQueryClosed) {
  db::Query q(database());
  struct Case {
    const char* name;
    const char* sql;
    const char* inMessage;
  } cases[] = {
      {"missing table", "SELECT * FROM NO_SUCH_TABLE", "NO_SUCH_TABLE"},
      {"missing column", "SELECT NO_SUCH_COLUMN FROM ZN", "NO_SUCH_COLUMN"},
      {"not SQL", "SELEKT 1", "Token unknown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    q.setSql(QString::fromLatin1(c.sql));
    try {
      q.open();
      ADD_FAILURE() << "no error";
    } catch (const Error& e) {
      EXPECT_EQ(e.kind(), errkind::kDatabase);
      EXPECT_NE(std::string(e.what()).find(c.inMessage), std::string::npos) << e.what();
    }
    EXPECT_FALSE(q.isOpen());
  }
  // A column the result lacks, by name.
  q.setSql(QStringLiteral("SELECT ZO1 FROM ZN"));
  q.open();
  EXPECT_THROW(q.asString(QStringLiteral("ZO2")), Error);
  EXPECT_THROW(q.asString(1), Error);
  // An error met while fetching is no end of rows.
  q.setSql(QStringLiteral("SELECT 1 / (ZNKOD - 5) FROM ZN ORDER BY ZNKOD"));
  EXPECT_NO_THROW(q.open());
  EXPECT_THROW(q.fetchAll(), Error);
}

TEST_F(QueryTest, NeedsAConnection) {
  db::Database closed;
  db::Query q(closed);
  q.setSql(QStringLiteral("SELECT 1 FROM RDB$DATABASE"));
  EXPECT_THROW(q.open(), Error);
  EXPECT_FALSE(q.isOpen());
  EXPECT_TRUE(q.isEmpty());
}

}  // namespace
}  // namespace tw::test
