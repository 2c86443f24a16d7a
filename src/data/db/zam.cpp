#include "zam.h"

#include <QCoreApplication>

#include "data/db/query.h"
#include "data/db/unit_dm.h"
#include "platform/error.h"
#include "ui/messages.h"

namespace tw {

TZam* Zam = nullptr;

namespace {

// Blanks and control characters (codes 0 to 32) off both ends.
QString trimControls(const QString& s) {
  qsizetype b = 0, e = s.size();
  while (b < e && s[b].unicode() <= 32) ++b;
  while (e > b && s[e - 1].unicode() <= 32) --e;
  return s.mid(b, e - b);
}

}  // namespace

TZam::TZam() : DATETSH(db::zeroDateTime()), Z49(db::zeroDateTime()) {}

void TZam::Load() {
  if (!dmMAIN) throw Error(errkind::kDatabase, "Database is not connected");
  // Freed on every path with the object.
  db::Query q(dmMAIN->pFIBDatabase1);
  q.close();
  // The name is bound, not pasted: a double quote in it must not change the query.
  q.setSql(QStringLiteral("SELECT * FROM ZAM WHERE USERNAME = ?"));
  q.bind(0, dmMAIN->pFIBDatabase1.userName());
  q.open();
  if (q.isEmpty())
    messageBoxes().show(
        MsgIcon::Information, QCoreApplication::applicationName(),
        QStringLiteral(
            "Для данного пользователя нет соответствующей записи в таблице ZAM (правах) !"
            "\n\rВозможны серьезные нарушения в работе программы !"));

  auto i32 = [&](const char* name) {
    return static_cast<std::int32_t>(q.asInteger(QLatin1String(name)));
  };
  auto u8 = [&](const char* name) {
    return static_cast<std::uint8_t>(q.asInteger(QLatin1String(name)) & 0xFF);
  };
  auto f64 = [&](const char* name) { return q.asDouble(QLatin1String(name)); };
  auto text = [&](const char* name) { return q.asString(QLatin1String(name)); };

  KEYGIP = i32("KEYGIP");
  KEYZN = i32("KEYZN");
  ATABNMB = i32("ATABNMB");
  USER_ROLE = text("USER_ROLE");
  Z1 = f64("Z1");
  Z2 = f64("Z2");
  Z3 = f64("Z3");
  Z4 = f64("Z4");
  Z5 = i32("Z5");
  Z6 = i32("Z6");
  Z7 = i32("Z7");
  Z8 = i32("Z8");
  Z9 = text("Z9");
  Z10 = text("Z10");
  Z11 = text("Z11");
  Z12 = text("Z12");
  Z13 = u8("Z13");
  Z14 = u8("Z14");
  Z15 = u8("Z15");
  Z16 = u8("Z16");
  Z17 = u8("Z17");
  Z18 = u8("Z18");
  Z19 = u8("Z19");
  Z20 = i32("Z20");
  Z21 = u8("Z21");
  Z22 = u8("Z22");
  Z23 = u8("Z23");
  Z24 = u8("Z24");
  Z25 = u8("Z25");
  Z26 = u8("Z26");
  Z27 = u8("Z27");
  Z28 = u8("Z28");
  Z29 = u8("Z29");
  Z30 = u8("Z30");
  Z31 = u8("Z31");
  Z32 = u8("Z32");
  Z33 = u8("Z33");
  Z34 = u8("Z34");
  Z35 = u8("Z35");
  Z36 = u8("Z36");
  Z37 = u8("Z37");
  Z38 = u8("Z38");
  Z39 = u8("Z39");
  POLDEN = i32("POLDEN");
  Z40 = i32("Z40");
  if (Z40 <= 0) Z40 = 10;
  Z42 = i32("Z42");
  Z44 = u8("Z44");
  Z45 = f64("Z45");
  Z46 = f64("Z46");
  Z47 = f64("Z47");
  Z48 = u8("Z48");
  Z43 = u8("Z43");
  Z49 = q.asDateTime(QStringLiteral("Z49"));
  Z50 = u8("Z50");
  Z51 = u8("Z51");
  SFN = static_cast<std::uint16_t>(q.asInteger(QStringLiteral("SFN")) & 0xFFFF);
  A0 = u8("A0");
  A1 = u8("A1");
  A20 = u8("A20");
  A21 = u8("A21");
  A22 = u8("A22");
  A2 = u8("A2");
  A3 = u8("A3");
  A4 = u8("A4");
  A7 = u8("A7");
  A9 = u8("A9");
  A8 = u8("A8");
  A24 = u8("A24");
  A5 = u8("A5");
  A6 = u8("A6");
  A19 = u8("A19");
  DATETSH = q.asDateTime(QStringLiteral("DATETSH"));
  FONTNAME = trimControls(text("FONTNAME"));
  STRANA = u8("STRANA");
  q.close();

  if (KEYGIP > 0) {
    q.setSql(QStringLiteral("SELECT G1 FROM GIP WHERE GIPKEY = %1").arg(KEYGIP));
    q.open();
    GipG1 = q.asString(0);
    q.close();
  }
  if (KEYZN > 0) {
    q.setSql(QStringLiteral("SELECT ZO1 FROM ZN WHERE ZNKOD = %1").arg(KEYZN));
    q.open();
    ZnZO1 = q.asString(0);
    q.close();
  }
}

}  // namespace tw
