// Logins and the role through a running server. TW_FB_SERVER names its host
// (e.g. 127.0.0.1); TW_FB_SERVER_DB the sample database's path on it
// (scripts/db/firebird-server.sh start puts one there).
#include <cstdlib>

#include "data/db/query.h"
#include "data/db/zam.h"
#include "db_fixture.h"
#include "platform/error.h"

namespace tw::test {
namespace {

class ServerTest : public DbTest {
 protected:
  void SetUp() override {
    DbTest::SetUp();
    const char* host = std::getenv("TW_FB_SERVER");
    if (!host || !*host)
      GTEST_SKIP() << "TW_FB_SERVER is not set: no Firebird server to test against";
    const char* path = std::getenv("TW_FB_SERVER_DB");
    base = QStringLiteral("%1:%2").arg(
        QString::fromLocal8Bit(host),
        path && *path ? QString::fromLocal8Bit(path)
                      : QStringLiteral("/var/lib/firebird/3.0/data/tarnwick.fdb"));
  }
  TdmMAIN& login(const QString& user, const QString& password) {
    writeIni(QStringLiteral("base=%1\r\nuser=%2\r\npassword=%3\r\n").arg(base, user, password));
    return *CreateDataModule(dir.path());
  }
  QString base;
};

TEST_F(ServerTest, TheRightPasswordConnectsWithTheRoleAndLoadsTheRights) {
  TdmMAIN& dm = login(QStringLiteral("IVANOV"), QStringLiteral("ivanov1"));
  ASSERT_TRUE(dm.pFIBDatabase1.connected())
      << (boxes.boxes.empty() ? "" : boxes.boxes[0].text.toStdString());
  EXPECT_TRUE(boxes.boxes.empty());
  TZam z;
  z.Load();
  EXPECT_EQ(z.ZnZO1, QStringLiteral("Планово-диспетчерский отдел"));
  EXPECT_EQ(z.Z9, QStringLiteral("Иванов И.И."));
}

TEST_F(ServerTest, ARefusedLoginGivesExactlyOneErrorBoxAndTheRunGoesOn) {
  struct Case {
    const char* name;
    QString user, password;
  } cases[] = {
      {"wrong password", QStringLiteral("IVANOV"), QStringLiteral("wrong")},
      {"unknown user", QStringLiteral("NOBODY"), QStringLiteral("x")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes.boxes.clear();
    TdmMAIN& dm = login(c.user, c.password);
    EXPECT_FALSE(dm.pFIBDatabase1.connected());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].icon, MsgIcon::Error);
    EXPECT_TRUE(
        boxes.boxes[0].text.contains(QStringLiteral("Your user name and password are not defined")))
        << boxes.boxes[0].text.toStdString();
  }
}

TEST_F(ServerTest, WithoutTheRoleEverySelectIsRefused) {
  TdmMAIN& dm = login(QStringLiteral("NOROLE"), QStringLiteral("norole4"));
  ASSERT_TRUE(dm.pFIBDatabase1.connected()) << "a role not granted is no error at attach";
  TZam z;
  try {
    z.Load();
    FAIL() << "no error";
  } catch (const Error& e) {
    EXPECT_NE(std::string(e.what()).find("no permission for SELECT access"), std::string::npos)
        << e.what();
  }
}

}  // namespace

// Runs without a server: nothing listens on the port.
TEST_F(DbTest, AServerThatIsNotRunningIsReportedOnce) {
  writeIni(QStringLiteral(
      "base=127.0.0.1/3059:/var/lib/firebird/3.0/data/tarnwick.fdb\nuser=IVANOV\npassword=x\n"));
  TdmMAIN* dm = CreateDataModule(dir.path());
  EXPECT_FALSE(dm->pFIBDatabase1.connected());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_TRUE(boxes.boxes[0].text.contains(QStringLiteral("Unable to complete network request")))
      << boxes.boxes[0].text.toStdString();
}

}  // namespace tw::test
