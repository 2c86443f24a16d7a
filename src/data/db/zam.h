#pragma once
// The current user's rights row of table ZAM, with the names its keys point at.
#include <QDateTime>
#include <QString>
#include <cstdint>

namespace tw {

class TZam {
 public:
  TZam();

  // Reads the connected user's row (dmMAIN's connection) and the two
  // look-ups. Warns when the user has no row; database errors pass through,
  // fields read before them keep their new values.
  void Load();

  double Z1 = 0;
  std::uint8_t Z14 = 0, Z15 = 0, Z28 = 0, Z16 = 0, Z17 = 0, Z22 = 0;
  // Chooses the subdivision list: 0 is ZN, 1 is ZNS; kept as read, so users
  // must not index a two-entry list with it unchecked.
  std::uint8_t Z23 = 0;
  std::int32_t Z20 = 0;
  std::uint8_t Z29 = 0, Z18 = 0, Z19 = 0, Z25 = 0, Z27 = 0, Z13 = 0, Z31 = 0, Z26 = 0, Z30 = 0,
               Z24 = 0, Z21 = 0;
  double Z4 = 0;
  std::int32_t Z42 = 0;
  double Z2 = 0, Z3 = 0;
  std::int32_t Z8 = 0, Z5 = 0, Z6 = 0, Z7 = 0;
  std::uint16_t SFN = 0;
  QString Z10, Z11, Z9, Z12;
  std::uint8_t Z33 = 0, Z32 = 0, Z34 = 0, Z38 = 0, Z39 = 0, Z36 = 0, Z37 = 0, A4 = 0, A0 = 0,
               A2 = 0;
  QDateTime DATETSH;
  std::int32_t Z40 = 0;
  std::uint8_t Z48 = 0, Z44 = 0;
  double Z45 = 0, Z46 = 0, Z47 = 0;
  std::int32_t KEYZN = 0, KEYGIP = 0;
  QDateTime Z49;
  std::uint8_t Z43 = 0, Z50 = 0;
  QString FONTNAME;
  std::uint8_t Z51 = 0, A20 = 0, A21 = 0, A22 = 0, A3 = 0, A8 = 0, A24 = 0, A5 = 0, A6 = 0, A19 = 0;
  std::int32_t ATABNMB = 0;
  QString ZnZO1;
  QString GipG1;
  std::uint8_t A7 = 0, Z35 = 0;
  std::int32_t POLDEN = 0;
  std::uint8_t STRANA = 0, A9 = 0;
  QString USER_ROLE;
  std::uint8_t A1 = 0;
};

// The process-wide rights record; null until the editor creates it.
extern TZam* Zam;

}  // namespace tw
