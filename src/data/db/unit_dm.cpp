#include "unit_dm.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include "data/db/settings.h"
#include "ui/messages.h"

namespace tw {

TdmMAIN* dmMAIN = nullptr;

namespace {

const QString kRole = QStringLiteral("RQ7ADMIN");

void warn(const QString& text) {
  messageBoxes().show(MsgIcon::Warning, QStringLiteral("Warning"), text);
}

}  // namespace

TdmMAIN::TdmMAIN(const QString& folder)
    : pFIBTransaction1(pFIBDatabase1.defaultTransaction()), folder_(folder) {
  try {
    DataModuleCreate();
  } catch (const std::exception& e) {
    reportError(e);
  }
}

TdmMAIN::~TdmMAIN() {
  pFIBDatabase1.close();
}

QString TdmMAIN::settingsPath() const {
  const QString dir = folder_.isEmpty() ? QCoreApplication::applicationDirPath() : folder_;
  return QDir(dir).filePath(QStringLiteral("tarnwick.ini"));
}

void TdmMAIN::DataModuleCreate() {
  const QString path = settingsPath();
  if (!QFileInfo(path).isFile()) {
    warn(QStringLiteral("Настроечный файл в папке с плагином не найден !"));
    return;
  }
  const db::SettingsFile ini = db::SettingsFile::load(path);
  const auto base = ini.value(QStringLiteral("base"));
  const auto user = ini.value(QStringLiteral("user"));
  const auto password = ini.value(QStringLiteral("password"));

  QString complaints;
  auto complain = [&](const QString& sentence) {
    if (!complaints.isEmpty()) complaints += QLatin1Char('\r');
    complaints += sentence;
  };
  if (!base)
    complain(QStringLiteral(
        "В файле с настройками (tarnwick.ini) отсутствует сведения о пути к базе данных "
        "(параметр base)."));
  if (!user)
    complain(QStringLiteral(
        "В файле с настройками (tarnwick.ini) отсутствует сведения о имени пользователя "
        "(параметр user)."));
  if (!password)
    complain(QStringLiteral(
        "В файле с настройками (tarnwick.ini) отсутствует сведения о пароле пользователя "
        "(параметр password)."));
  if (!complaints.isEmpty()) {
    warn(QStringLiteral(
             "Невозможно подключиться к базе данных ПК \"ВАРТЕНА\" для загрузки справочников "
             "подразделений и классификатора событий:\r") +
         complaints);
    return;
  }
  pFIBDatabase1.setDatabaseName(*base);
  pFIBDatabase1.setUserName(*user);
  pFIBDatabase1.setPassword(*password);
  pFIBDatabase1.setRoleName(kRole);
  pFIBDatabase1.connect();
}

TdmMAIN* CreateDataModule(const QString& folder) {
  FreeDataModule();
  dmMAIN = new TdmMAIN(folder);
  return dmMAIN;
}

void FreeDataModule() {
  delete dmMAIN;
  dmMAIN = nullptr;
}

}  // namespace tw
