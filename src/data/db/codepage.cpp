#include "codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>
#include <array>
#include <cstring>

namespace tw::db {

namespace {

// Every text of every fetched row comes through here: one table lookup per
// byte instead of a codec set up per value. The table is taken from the
// platform's own codec, once.
const std::array<char16_t, 256>& win1251Table() {
  static const std::array<char16_t, 256> table = [] {
    std::array<char16_t, 256> t{};
    QStringDecoder dec("windows-1251");
    for (int b = 0; b < 256; ++b) {
      const char byte = static_cast<char>(b);
      const QString one = dec.decode(QByteArrayView(&byte, 1));
      t[static_cast<std::size_t>(b)] = one.size() == 1 ? one.at(0).unicode() : u'\uFFFD';
    }
    return t;
  }();
  return table;
}

}  // namespace

// Qt names the code page through ICU as "windows-1251" ("win1251" is unknown).
QByteArray toWin1251(const QString& s) {
  QStringEncoder enc("windows-1251");
  return enc.encode(s);
}

QString fromWin1251(const char* data, qsizetype size) {
  if (size < 0) size = static_cast<qsizetype>(std::strlen(data));
  const auto& table = win1251Table();
  QString out(size, Qt::Uninitialized);
  QChar* dst = out.data();
  for (qsizetype i = 0; i < size; ++i) dst[i] = QChar(table[static_cast<unsigned char>(data[i])]);
  return out;
}

}  // namespace tw::db
