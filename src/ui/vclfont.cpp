#include "vclfont.h"

#include <QStringList>

namespace tw {

QFont vclFont(const QString& family, int pixelHeight, FontStyle style) {
  QStringList families{family};
  if (family == QLatin1String("Courier New"))
    families << QStringLiteral("Liberation Mono") << QStringLiteral("Nimbus Mono PS")
             << QStringLiteral("DejaVu Sans Mono");
  else if (family == QLatin1String("MS Sans Serif"))
    families << QStringLiteral("Microsoft Sans Serif") << QStringLiteral("Liberation Sans")
             << QStringLiteral("Nimbus Sans") << QStringLiteral("DejaVu Sans");
  QFont f;
  f.setFamilies(families);
  f.setPixelSize(pixelHeight);
  f.setBold(style.bold);
  f.setItalic(style.italic);
  f.setUnderline(style.underline);
  return f;
}

}  // namespace tw
