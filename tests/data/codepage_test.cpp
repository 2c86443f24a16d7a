#include "data/db/codepage.h"

#include <gtest/gtest.h>

#include <QStringDecoder>

namespace tw::db {
namespace {

TEST(Win1251, DecodesEveryByteAsThePlatformCodecDoes) {
  QByteArray all;
  for (int b = 1; b < 256; ++b) all.append(static_cast<char>(b));
  QStringDecoder codec("windows-1251");
  EXPECT_EQ(fromWin1251(all.constData(), all.size()), codec.decode(all));
  EXPECT_EQ(fromWin1251(all.constData(), -1), codec.decode(all));
}

TEST(Win1251, RoundTripsRussianText) {
  const QString text = QStringLiteral("Цех № 1 механообработки «Ёлка» — ёж");
  const QByteArray bytes = toWin1251(text);
  EXPECT_EQ(bytes.size(), text.size());
  EXPECT_EQ(fromWin1251(bytes.constData(), bytes.size()), text);
  EXPECT_EQ(fromWin1251("", 0), QString());
}

}  // namespace
}  // namespace tw::db
