#include "data/db/zam.h"

#include "data/db/query.h"
#include "db_fixture.h"
#include "platform/error.h"

namespace tw::test {
namespace {

const QString kNoRow = QStringLiteral(
    "Для данного пользователя нет соответствующей записи в таблице ZAM (правах) !\n\r"
    "Возможны серьезные нарушения в работе программы !");

class ZamTest : public DbTest {
 protected:
  // Users the sample does not know have no role: let everyone read.
  void grantToEveryone() {
    for (const char* table : {"ZAM", "GIP", "ZN"})
      exec(QStringLiteral("GRANT SELECT ON %1 TO PUBLIC").arg(QLatin1String(table)));
  }
};

TEST_F(ZamTest, LoadsTheWholeRowAndTheLookUps) {
  connectAs(QStringLiteral("IVANOV"));
  TZam z;
  z.Load();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(z.KEYGIP, 3);
  EXPECT_EQ(z.KEYZN, 2);
  EXPECT_EQ(z.ATABNMB, 10452);
  EXPECT_EQ(z.POLDEN, 13);
  EXPECT_EQ(z.SFN, 70000 & 0xFFFF);
  EXPECT_EQ(z.STRANA, 1);
  EXPECT_EQ(z.Z1, 1.5);
  EXPECT_EQ(z.Z2, 2.25);
  EXPECT_EQ(z.Z3, -3.5);
  EXPECT_EQ(z.Z4, 1000000.125);
  EXPECT_EQ(z.Z8, -8);
  EXPECT_EQ(z.Z20, 123456);
  EXPECT_EQ(z.Z40, 10) << "0 stored gives 10";
  EXPECT_EQ(z.Z42, 42);
  EXPECT_EQ(z.Z47, 99.0);
  EXPECT_EQ(z.Z23, 0);
  EXPECT_EQ(z.Z13, 1);
  EXPECT_EQ(z.A24, 1);
  EXPECT_EQ(z.USER_ROLE, QStringLiteral("Плановик"));
  EXPECT_EQ(z.Z9, QStringLiteral("Иванов И.И.")) << "column without a character set";
  EXPECT_EQ(z.Z10, QStringLiteral("Главный специалист")) << "WIN1251 column";
  EXPECT_EQ(z.Z12, QStringLiteral("Ёжик в тумане"));
  EXPECT_EQ(z.FONTNAME, QStringLiteral("Arial"));
  EXPECT_EQ(z.Z49, QDateTime(QDate(2023, 3, 14), QTime(10, 30)));
  EXPECT_EQ(z.DATETSH, QDateTime(QDate(2024, 2, 1), QTime(8, 15, 30)));
  EXPECT_EQ(z.GipG1, QStringLiteral("Белова Ирина Сергеевна"));
  EXPECT_EQ(z.ZnZO1, QStringLiteral("Планово-диспетчерский отдел"));
}

TEST_F(ZamTest, AKeyWithoutARowGivesAnEmptyTextAndNoMessage) {
  connectAs(QStringLiteral("PETROVA"));
  TZam z;
  z.Load();
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(z.KEYGIP, 12);
  EXPECT_EQ(z.GipG1, QString());
  EXPECT_EQ(z.KEYZN, 0);
  EXPECT_EQ(z.ZnZO1, QString());
  EXPECT_EQ(z.Z23, 1);
  EXPECT_EQ(z.Z40, 7);
  EXPECT_EQ(z.FONTNAME, QStringLiteral("Times New Roman"));
  EXPECT_EQ(z.Z1, 0.0) << "null";
  EXPECT_EQ(z.Z49, db::zeroDateTime()) << "null";
}

TEST_F(ZamTest, AUserWithoutARowIsWarnedOnceAndGetsZeros) {
  connectAs(QStringLiteral("SIDOROV"));
  TZam z;
  z.Load();
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].text, kNoRow);
  EXPECT_EQ(z.Z23, 0);
  EXPECT_EQ(z.Z40, 10);
  EXPECT_EQ(z.KEYGIP, 0);
  EXPECT_EQ(z.KEYZN, 0);
  EXPECT_EQ(z.USER_ROLE, QString());
  EXPECT_EQ(z.DATETSH, db::zeroDateTime());
  EXPECT_EQ(z.GipG1, QString());
}

TEST_F(ZamTest, NumbersAreCutToTheirWidth) {
  grantToEveryone();
  exec(
      QStringLiteral("INSERT INTO ZAM (USERNAME, Z23, Z40, Z14, SFN, Z20) VALUES ('KOZLOV', 256, "
                     "-3, 511, -1, -5)"));
  connectAs(QStringLiteral("KOZLOV"));
  TZam z;
  z.Load();
  EXPECT_EQ(z.Z23, 0) << "256 cut to 8 bits";
  EXPECT_EQ(z.Z40, 10) << "negative gives 10";
  EXPECT_EQ(z.Z14, 255);
  EXPECT_EQ(z.SFN, 0xFFFF);
  EXPECT_EQ(z.Z20, -5);
}

TEST_F(ZamTest, TheUserNameIsLookedUpAsItIsEvenWithADoubleQuote) {
  grantToEveryone();
  exec(QStringLiteral("INSERT INTO ZAM (USERNAME, Z20) VALUES ('O\"BRIEN', 77)"));
  struct Case {
    QString user;
    bool found;
    int z20;
  } cases[] = {
      {QStringLiteral("O\"BRIEN"), true, 77},
      // Pasted into the text this would match every row.
      {QStringLiteral("X\" OR \"1\" = \"1"), false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.user.toStdString());
    boxes.boxes.clear();
    connectAs(c.user);
    ASSERT_TRUE(dmMAIN->pFIBDatabase1.connected());
    TZam z;
    ASSERT_NO_THROW(z.Load());
    EXPECT_EQ(boxes.boxes.size(), c.found ? 0u : 1u);
    EXPECT_EQ(z.Z20, c.z20);
  }
}

TEST_F(ZamTest, AMissingColumnStopsTheLoadAndKeepsWhatWasRead) {
  exec(QStringLiteral("ALTER TABLE ZAM DROP Z30"));
  connectAs(QStringLiteral("IVANOV"));
  TZam z;
  try {
    z.Load();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("Z30"), std::string::npos) << e.what();
  }
  EXPECT_EQ(z.KEYGIP, 3);
  EXPECT_EQ(z.Z1, 1.5);
  EXPECT_EQ(z.Z20, 123456);
  EXPECT_EQ(z.Z28, 1);
  EXPECT_EQ(z.Z31, 0) << "read after the failure: still zero";
  EXPECT_EQ(z.Z33, 0);
  EXPECT_EQ(z.Z40, 0);
  EXPECT_EQ(z.GipG1, QString());
  // Nothing of the failed load stays open on the connection.
  db::Query q(dmMAIN->pFIBDatabase1);
  q.setSql(QStringLiteral(
      "SELECT COUNT(*) FROM MON$STATEMENTS WHERE MON$ATTACHMENT_ID = CURRENT_CONNECTION "
      "AND MON$SQL_TEXT NOT CONTAINING 'MON$'"));
  q.open();
  EXPECT_EQ(q.asInteger(0), 0);
}

TEST_F(ZamTest, AMissingTableReachesTheCaller) {
  exec(QStringLiteral("DROP TABLE ZAM"));
  connectAs(QStringLiteral("IVANOV"));
  TZam z;
  EXPECT_THROW(z.Load(), Error);
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_EQ(z.Z40, 0);
}

}  // namespace
}  // namespace tw::test

namespace tw::test {
namespace {

TEST_F(DbTest, WithoutTheRoleGrantedTheRightsQueryIsRefused) {
  // A role not granted is no error at attach: the selects fail instead.
  TdmMAIN& dm = connectAs(QStringLiteral("NOROLE"));
  ASSERT_TRUE(dm.pFIBDatabase1.connected());
  TZam z;
  try {
    z.Load();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("no permission for SELECT access to TABLE ZAM"),
              std::string::npos)
        << e.what();
  }
  EXPECT_TRUE(boxes.boxes.empty());
}

}  // namespace
}  // namespace tw::test
