#pragma once
// The settings file "tarnwick.ini": lines name=value in the Windows code page.
#include <QString>
#include <QStringList>
#include <optional>

namespace tw::db {

class SettingsFile {
 public:
  // Splits text at CR, LF and CR LF.
  explicit SettingsFile(const QString& text);
  // Reads the file (Windows-1251); throws tw::Error when it cannot be read.
  static SettingsFile load(const QString& path);

  // The value of the first line whose part before its first "=" equals `name`
  // without regard to case; the value is the rest of the line, as it is.
  std::optional<QString> value(const QString& name) const;

  const QStringList& lines() const { return lines_; }

 private:
  QStringList lines_;
};

}  // namespace tw::db
