#include <QDir>
#include <QProcess>

#include "data/db/query.h"

#include "db_fixture.h"

namespace tw::test {
namespace {

const QString kHeading = QStringLiteral(
    "Невозможно подключиться к базе данных ПК \"ВАРТЕНА\" для загрузки справочников подразделений "
    "и "
    "классификатора событий:");
const QString kNoBase = QStringLiteral(
    "В файле с настройками (tarnwick.ini) отсутствует сведения о пути к базе данных (параметр "
    "base).");
const QString kNoUser = QStringLiteral(
    "В файле с настройками (tarnwick.ini) отсутствует сведения о имени пользователя (параметр "
    "user).");
const QString kNoPassword = QStringLiteral(
    "В файле с настройками (tarnwick.ini) отсутствует сведения о пароле пользователя (параметр "
    "password).");

using DataModule = DbTest;

TEST_F(DataModule, NoSettingsBesideTheExecutableWarnsEvenWithOneInTheWorkingDirectory) {
  QTemporaryDir exeDir;
  writeIni(QStringLiteral("base=%1\nuser=IVANOV\npassword=x\n").arg(dbPath));
  const QString cwd = QDir::currentPath();
  QDir::setCurrent(dir.path());
  TdmMAIN* dm = CreateDataModule(exeDir.path());
  QDir::setCurrent(cwd);
  EXPECT_FALSE(dm->pFIBDatabase1.connected());
  ASSERT_EQ(boxes.boxes.size(), 1u);
  EXPECT_EQ(boxes.boxes[0].icon, MsgIcon::Warning);
  EXPECT_EQ(boxes.boxes[0].caption, QStringLiteral("Warning"));
  EXPECT_EQ(boxes.boxes[0].text, QStringLiteral("Настроечный файл в папке с плагином не найден !"));
}

TEST_F(DataModule, MissingKeysGiveOneWarningJoinedByCR) {
  struct Case {
    const char* name;
    QString ini;
    QString complaints;
  } cases[] = {
      {"none of the keys", QStringLiteral("[main]\nother=1\n"),
       kNoBase + '\r' + kNoUser + '\r' + kNoPassword},
      {"only password", QStringLiteral("base=b\nuser=u\n"), kNoPassword},
      {"base and password", QStringLiteral("user=u\n"), kNoBase + '\r' + kNoPassword},
      {"a space before =", QStringLiteral("base=b\nuser =u\npassword=p\n"), kNoUser},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes.boxes.clear();
    writeIni(c.ini);
    TdmMAIN* dm = CreateDataModule(dir.path());
    EXPECT_FALSE(dm->pFIBDatabase1.connected());
    EXPECT_TRUE(dm->pFIBDatabase1.databaseName().isEmpty()) << "no connection attempted";
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].icon, MsgIcon::Warning);
    EXPECT_EQ(boxes.boxes[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(boxes.boxes[0].text, kHeading + '\r' + c.complaints);
  }
}

TEST_F(DataModule, ConnectsEmbeddedWithTheFixedRoleAndTheFirstUserLine) {
  writeIni(QStringLiteral(
               "BASE=%1\r\nUser=IVANOV\r\nuser=PETROVA\r\npassword=anything\r\nrole=OTHER\r\n")
               .arg(dbPath));
  TdmMAIN* dm = CreateDataModule(dir.path());
  EXPECT_TRUE(boxes.boxes.empty());
  EXPECT_TRUE(dm->pFIBDatabase1.connected());
  EXPECT_EQ(dm->pFIBDatabase1.userName(), QStringLiteral("IVANOV"));
  EXPECT_EQ(dm->pFIBDatabase1.roleName(), QStringLiteral("RQ7ADMIN"));
  db::Query q(dm->pFIBDatabase1);
  q.setSql(QStringLiteral("SELECT CURRENT_USER, CURRENT_ROLE FROM RDB$DATABASE"));
  q.open();
  EXPECT_EQ(q.asString(0).trimmed(), QStringLiteral("IVANOV"));
  EXPECT_EQ(q.asString(1).trimmed(), QStringLiteral("RQ7ADMIN"));
}

TEST_F(DataModule, ValuesArePassedWithTheirSpaces) {
  writeIni(QStringLiteral("base=%1\nuser= IVANOV \npassword= p \n").arg(dbPath));
  TdmMAIN* dm = CreateDataModule(dir.path());
  EXPECT_EQ(dm->pFIBDatabase1.userName(), QStringLiteral(" IVANOV "));
  EXPECT_EQ(dm->pFIBDatabase1.databaseName(), dbPath);
}

TEST_F(DataModule, AWindows1251SettingsFileReachesARussianFolder) {
  const QString folder = dir.filePath(QStringLiteral("Базы ВАРТЕНА"));
  ASSERT_TRUE(QDir().mkpath(folder));
  const QString path = folder + QStringLiteral("/справочники.fdb");
  ASSERT_TRUE(QFile::rename(dbPath, path));
  writeIni(QStringLiteral("base=%1\r\nuser=IVANOV\r\npassword=пароль\r\n").arg(path));
  TdmMAIN* dm = CreateDataModule(dir.path());
  EXPECT_TRUE(boxes.boxes.empty()) << boxes.boxes[0].text.toStdString();
  EXPECT_TRUE(dm->pFIBDatabase1.connected());
}

TEST_F(DataModule, AFailedConnectionIsReportedOnceAndLeavesItUnconnected) {
  struct Case {
    const char* name;
    QString base;
  } cases[] = {
      {"empty base", QString()},
      {"no such file", dir.filePath(QStringLiteral("missing.fdb"))},
      {"not a database", dir.filePath(QStringLiteral("tarnwick.ini"))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    boxes.boxes.clear();
    writeIni(QStringLiteral("base=%1\nuser=IVANOV\npassword=x\n").arg(c.base));
    TdmMAIN* dm = CreateDataModule(dir.path());
    EXPECT_FALSE(dm->pFIBDatabase1.connected());
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].icon, MsgIcon::Error);
    EXPECT_TRUE(boxes.boxes[0].text.startsWith(QStringLiteral("EFIBInterBaseError: ")))
        << boxes.boxes[0].text.toStdString();
    EXPECT_GT(boxes.boxes[0].text.size(), 25);
  }
}

TEST_F(DataModule, FreeingClosesTheConnectionAndReleasesTheFile) {
  connectAs(QStringLiteral("IVANOV"));
  ASSERT_TRUE(dmMAIN->pFIBDatabase1.connected());
  FreeDataModule();
  EXPECT_EQ(dmMAIN, nullptr);
  FreeDataModule();  // nothing to free
  // Another process may open an embedded file only once we let it go.
  QProcess isql;
  isql.start(QStringLiteral("isql-fb"),
             {QStringLiteral("-q"), QStringLiteral("-user"), QStringLiteral("SYSDBA"), dbPath});
  isql.write("SELECT COUNT(*) FROM ZN;\n");
  isql.closeWriteChannel();
  ASSERT_TRUE(isql.waitForFinished(30000));
  EXPECT_EQ(isql.exitCode(), 0) << isql.readAllStandardError().toStdString();
  EXPECT_TRUE(isql.readAllStandardOutput().contains("9"));
}

}  // namespace
}  // namespace tw::test
