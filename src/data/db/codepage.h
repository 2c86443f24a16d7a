#pragma once
// Russian text is kept as Windows-1251 bytes: in the database and in the
// settings file.
#include <QByteArray>
#include <QString>

namespace tw::db {

QByteArray toWin1251(const QString& s);
// A negative size reads up to the terminating zero.
QString fromWin1251(const char* data, qsizetype size);

}  // namespace tw::db
