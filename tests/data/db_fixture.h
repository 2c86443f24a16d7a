#pragma once
// A private copy of the sample database per test (an embedded file may be
// opened by one process at a time), a folder for "tarnwick.ini", and message
// boxes that only record.
#include <gtest/gtest.h>

#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <clocale>
#include <vector>

#include "data/db/unit_dm.h"
#include "ui/messages.h"

namespace tw::test {

// The client converts file names between UTF-8 and the process's locale. The
// program runs in the user's locale (Qt sets it up); the tests have no Qt
// application, so they take a UTF-8 one before anything connects.
inline const bool kUtf8Locale = std::setlocale(LC_ALL, "C.UTF-8") != nullptr;

struct Box {
  MsgIcon icon;
  QString caption;
  QString text;
};

class RecordingBoxes : public MessageBoxes {
 public:
  void show(MsgIcon icon, const QString& caption, const QString& text) override {
    boxes.push_back({icon, caption, text});
  }
  std::vector<Box> boxes;
};

class DbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    dbPath = dir.filePath(QStringLiteral("sample.fdb"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(TW_SAMPLE_DB), dbPath));
    QFile::setPermissions(dbPath, QFile::ReadOwner | QFile::WriteOwner);
    setMessageBoxes(&boxes);
  }
  void TearDown() override {
    FreeDataModule();
    setMessageBoxes(nullptr);
  }

  // Writes tarnwick.ini in Windows-1251, exactly as given.
  void writeIni(const QString& text) {
    QFile f(dir.filePath(QStringLiteral("tarnwick.ini")));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QStringEncoder enc("windows-1251");
    f.write(enc.encode(text));
  }

  // Settings for the private copy as `user`, then the data module over them.
  TdmMAIN& connectAs(const QString& user) {
    writeIni(QStringLiteral("base=%1\r\nuser=%2\r\npassword=x\r\n").arg(dbPath, user));
    return *CreateDataModule(dir.path());
  }

  // Runs set-up statements on the copy as its owner.
  void exec(const QString& sql) {
    db::Database d;
    d.setDatabaseName(dbPath);
    d.setUserName(QStringLiteral("SYSDBA"));
    d.connect();
    d.execute(sql);
  }

  QTemporaryDir dir;
  QString dbPath;
  RecordingBoxes boxes;
};

}  // namespace tw::test
