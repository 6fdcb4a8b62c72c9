// The rules by which the device tool moves values between camera records and what a person edits.
// Every settings class and editor converts through these, so each rule is written and tested once.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace valueconv {

// A scaled record field: value = raw x factor (a temperature in tenths: factor 0.1).
// Back to raw: value / factor; a quotient within 1e-6 (relative) of an integer is that integer
// (a float that shows 3276.7 is 3276.69995..., and is meant as 32767), anything else is truncated
// toward zero. The result is clamped to [lo, hi]; not-a-number gives 0 clamped.
int64_t scaledToRaw(double value, double factor, int64_t lo, int64_t hi);
double rawToScaled(int64_t raw, double factor);

// Detector voltages. Each register family counts volts on its own scale: the VNR registers 4096
// counts per 5 V, the QM registers 4095 per 5 V, and the voltage-offset command (type 16) takes
// volts x 4095 / 5.
inline constexpr double kVoltsPerCountVnr = 5.0 / 4096.0;
inline constexpr double kVoltsPerCountQm = 5.0 / 4095.0;
inline constexpr double kCountsPerVoltCommand16 = 4095.0 / 5.0;
// The count of `volts` on a scale, by the rule of scaledToRaw (within 1e-6 of an integer: that
// integer, else truncated toward zero), clamped to [lo, hi]. False (and
// `out` untouched) for a value that is not finite: no register may get an arbitrary offset.
bool voltsToCount(double volts, double countsPerVolt, int64_t lo, int64_t hi, int64_t* out);

// Clamps to [lo, hi].
int64_t clampToField(int64_t v, int64_t lo, int64_t hi);

// Ranges of the record field kinds.
enum class FieldKind { U8, I8, U16, I16, I32, U32 };
int64_t fieldMin(FieldKind k);
int64_t fieldMax(FieldKind k);

// Length of the longest prefix of `text` of at most `maxBytes` bytes that ends on a whole UTF-8
// character (a malformed byte counts as one character).
size_t utf8CutLength(std::string_view text, size_t maxBytes);

// The text of a fixed char field: up to the first NUL, or all n bytes when there is none. The
// field is not modified.
std::string fieldText(const uint8_t* field, size_t n);

// Writes `text` into a fixed field of n bytes: cut on a whole character to at most n - 1 bytes,
// NUL-terminated and zero-filled. When the field already holds exactly this text (as fieldText
// reads it) nothing is written, so a field the camera filled to all n bytes, or with bytes after
// its NUL, goes back unchanged. Returns whether the field was written.
bool storeTextIfChanged(uint8_t* field, size_t n, std::string_view text);

// Strict dotted IPv4: exactly four decimal parts 0..255 of one to three digits, nothing else.
// First part in the most significant byte. Empty when the text is not such an address.
std::optional<uint32_t> parseIPv4(std::string_view text);
std::string formatIPv4(uint32_t addr);

// Strict MAC address: six pairs of hexadecimal digits separated by ':' or '-' (one separator
// throughout). False (and `out` untouched) otherwise.
bool parseMac(std::string_view text, uint8_t out[6]);
std::string formatMac(const uint8_t mac[6]);

// The address text of a login request: at most 127 bytes and a NUL in the 128-byte field, the
// rest zero. False (field all zero) for a text that would have to be cut.
bool loginText(std::string_view text, char field[128]);

// A camera-supplied text made safe as part of a file name: bytes below 0x20, '/', '\\', ':', '*',
// '?', '"', '<', '>', '|' and 0x7F become '_', a leading '.' too; cut on a whole character to at
// most maxBytes; an empty result is "_".
std::string safeFileNamePart(std::string_view text, size_t maxBytes = 64);

}  // namespace valueconv
