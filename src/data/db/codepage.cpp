#include "codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <cstring>

namespace tw::db {

// Qt names the code page through ICU as "windows-1251" ("win1251" is unknown).
QByteArray toWin1251(const QString& s) {
  QStringEncoder enc("windows-1251");
  return enc.encode(s);
}

QString fromWin1251(const char* data, qsizetype size) {
  QStringDecoder dec("windows-1251");
  if (size < 0) size = static_cast<qsizetype>(std::strlen(data));
  return dec.decode(QByteArrayView(data, size));
}

}  // namespace tw::db
