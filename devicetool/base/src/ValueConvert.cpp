#include "devicetool/ValueConvert.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace valueconv {

int64_t clampToField(int64_t v, int64_t lo, int64_t hi) {
  return v < lo ? lo : v > hi ? hi : v;
}

bool voltsToCount(double volts, double countsPerVolt, int64_t lo, int64_t hi, int64_t* out) {
  if (!std::isfinite(volts) || !std::isfinite(countsPerVolt)) return false;
  // The rule of the scaled fields: a product within 1e-6 (relative) of an integer is that integer,
  // so a count shown in volts comes back as the same count (31 x 5 / 4095 x 4095 / 5 lies just
  // below 31); anything else is truncated toward zero.
  const double p = volts * countsPerVolt;
  const double nearest = std::nearbyint(p);
  const double q = std::fabs(p - nearest) <= 1e-6 * std::fmax(1.0, std::fabs(nearest)) ? nearest : std::trunc(p);
  // Compared as doubles first: a huge quotient has no int64_t value to clamp.
  *out = q <= double(lo) ? lo : q >= double(hi) ? hi : clampToField(int64_t(q), lo, hi);
  return true;
}

int64_t scaledToRaw(double value, double factor, int64_t lo, int64_t hi) {
  if (!std::isfinite(value) || factor == 0.0 || !std::isfinite(factor)) {
    if (std::isinf(value)) return (value > 0) == (factor > 0) ? hi : lo;
    return clampToField(0, lo, hi);
  }
  const double q = value / factor;
  if (q >= 9.2e18) return hi;
  if (q <= -9.2e18) return lo;
  const double nearest = std::nearbyint(q);
  const double tol = 1e-6 * std::fmax(1.0, std::fabs(nearest));
  const double whole = std::fabs(q - nearest) <= tol ? nearest : std::trunc(q);
  return clampToField(int64_t(whole), lo, hi);
}

double rawToScaled(int64_t raw, double factor) {
  return double(raw) * factor;
}

int64_t fieldMin(FieldKind k) {
  switch (k) {
    case FieldKind::U8:
    case FieldKind::U16:
    case FieldKind::U32: return 0;
    case FieldKind::I8: return -128;
    case FieldKind::I16: return -32768;
    case FieldKind::I32: return -2147483648LL;
  }
  return 0;
}

int64_t fieldMax(FieldKind k) {
  switch (k) {
    case FieldKind::U8: return 255;
    case FieldKind::I8: return 127;
    case FieldKind::U16: return 65535;
    case FieldKind::I16: return 32767;
    case FieldKind::I32: return 2147483647LL;
    case FieldKind::U32: return 4294967295LL;
  }
  return 0;
}

size_t utf8CutLength(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text.size();
  // The byte after the cut starts a character unless it is a continuation byte; then the cut
  // moves back to the start of the character it would split.
  size_t i = maxBytes;
  while (i > 0 && (uint8_t(text[i]) & 0xC0) == 0x80) --i;
  return i;
}

std::string fieldText(const uint8_t* field, size_t n) {
  size_t len = 0;
  while (len < n && field[len] != 0) ++len;
  return std::string(reinterpret_cast<const char*>(field), len);
}

bool storeTextIfChanged(uint8_t* field, size_t n, std::string_view text) {
  if (n == 0) return false;
  if (fieldText(field, n) == text) return false;
  const size_t len = utf8CutLength(text, n - 1);
  std::memset(field, 0, n);
  std::memcpy(field, text.data(), len);
  return true;
}

std::optional<uint32_t> parseIPv4(std::string_view text) {
  uint32_t addr = 0;
  size_t pos = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (pos >= text.size() || text[pos] != '.') return std::nullopt;
      ++pos;
    }
    size_t digits = 0;
    unsigned value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9' && digits < 4) {
      value = value * 10 + unsigned(text[pos] - '0');
      ++pos;
      ++digits;
    }
    if (digits == 0 || digits > 3 || value > 255) return std::nullopt;
    addr = addr << 8 | value;
  }
  if (pos != text.size()) return std::nullopt;
  return addr;
}

std::string formatIPv4(uint32_t addr) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", addr >> 24, (addr >> 16) & 255, (addr >> 8) & 255, addr & 255);
  return buf;
}

namespace {
int hexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

bool parseMac(std::string_view text, uint8_t out[6]) {
  if (text.size() != 17) return false;
  const char sep = text[2];
  if (sep != ':' && sep != '-') return false;
  uint8_t mac[6];
  for (int k = 0; k < 6; ++k) {
    const size_t p = size_t(k) * 3;
    const int hi = hexDigit(text[p]), lo = hexDigit(text[p + 1]);
    if (hi < 0 || lo < 0) return false;
    if (k < 5 && text[p + 2] != sep) return false;
    mac[k] = uint8_t(hi << 4 | lo);
  }
  std::memcpy(out, mac, 6);
  return true;
}

std::string formatMac(const uint8_t mac[6]) {
  char buf[18];
  std::snprintf(buf, sizeof buf, "%02x:%02x:%02x:%02x:%02x:%02x", mac[0], mac[1], mac[2], mac[3], mac[4], mac[5]);
  return buf;
}

bool loginText(std::string_view text, char field[128]) {
  std::memset(field, 0, 128);
  if (text.size() > 127 || text.find('\0') != std::string_view::npos) return false;
  std::memcpy(field, text.data(), text.size());
  return true;
}

std::string safeFileNamePart(std::string_view text, size_t maxBytes) {
  std::string out(text.substr(0, utf8CutLength(text, maxBytes)));
  if (out.empty()) return std::string(1, '_');
  for (size_t i = 0; i < out.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(out[i]);
    if (c < 0x20 || c == 0x7F || std::strchr("/\\:*?\"<>|", c) != nullptr || (i == 0 && c == '.')) out[i] = '_';
  }
  return out;
}

}  // namespace valueconv
