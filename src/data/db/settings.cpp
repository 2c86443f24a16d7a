#include "settings.h"

#include <QFile>

#include "data/db/codepage.h"
#include "platform/error.h"

namespace tw::db {

SettingsFile::SettingsFile(const QString& text) {
  qsizetype start = 0;
  const qsizetype n = text.size();
  for (qsizetype i = 0; i < n; ++i) {
    const QChar c = text[i];
    if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
    lines_ << text.mid(start, i - start);
    if (c == QLatin1Char('\r') && i + 1 < n && text[i + 1] == QLatin1Char('\n')) ++i;
    start = i + 1;
  }
  if (start < n) lines_ << text.mid(start);
}

SettingsFile SettingsFile::load(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly))
    throw Error(
        errkind::kFile,
        QStringLiteral("Cannot open file \"%1\". %2").arg(path, f.errorString()).toStdString());
  const QByteArray bytes = f.readAll();
  if (f.error() != QFileDevice::NoError)
    throw Error(
        errkind::kFile,
        QStringLiteral("Cannot read file \"%1\". %2").arg(path, f.errorString()).toStdString());
  return SettingsFile(fromWin1251(bytes.constData(), bytes.size()));
}

std::optional<QString> SettingsFile::value(const QString& name) const {
  for (const QString& line : lines_) {
    const qsizetype eq = line.indexOf(QLatin1Char('='));
    if (eq < 0) continue;
    if (line.left(eq).compare(name, Qt::CaseInsensitive) == 0) return line.mid(eq + 1);
  }
  return std::nullopt;
}

}  // namespace tw::db
