#include "foundation_qt/Ipv4Text.h"

uint32_t ipv4FromString(const QString& text) {
  uint32_t result = 0;
  qsizetype pos = 0;
  const qsizetype n = text.size();
  for (int part = 0; part < 4; ++part) {
    uint32_t value = 0;
    while (pos < n && text[pos] >= QLatin1Char('0') && text[pos] <= QLatin1Char('9')) {
      value = value * 10 + static_cast<uint32_t>(text[pos].unicode() - '0');
      if (value > 255) return 0;  // also stops long digit runs before they overflow
      ++pos;
    }
    result |= value << (8 * (3 - part));
    if (pos >= n || text[pos] != QLatin1Char('.')) break;
    ++pos;
  }
  return result;
}

QString ipv4ToString(uint32_t address) {
  return QStringLiteral("%1.%2.%3.%4")
      .arg((address >> 24) & 0xFF)
      .arg((address >> 16) & 0xFF)
      .arg((address >> 8) & 0xFF)
      .arg(address & 0xFF);
}
