#pragma once
// Fonts named the way the old forms named them (a family and a height in
// pixels); where the family is not installed, the nearest one we ship with.
#include <QColor>
#include <QFont>
#include <QString>

namespace tw {

struct FontStyle {
  bool bold = false, italic = false, underline = false;
};

QFont vclFont(const QString& family, int pixelHeight, FontStyle style = {});

// A colour given as the old forms store it: 0x00BBGGRR.
inline QColor bgrColor(unsigned value) {
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}

}  // namespace tw
