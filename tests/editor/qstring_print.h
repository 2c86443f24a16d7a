#pragma once
// gtest shows QStrings as text.
#include <QString>
#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) {
  *os << '"' << s.toStdString() << '"';
}
