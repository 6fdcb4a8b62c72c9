// IPv4 addresses as text and as the 32-bit value the camera records use (first octet in the most
// significant byte).
#pragma once

#include <QString>
#include <cstdint>

// "a.b.c.d" -> a*2^24 + b*2^16 + c*2^8 + d. Each part is read as decimal digits up to the first
// other character; parts not given stay 0 ("10.1" -> 10.1.0.0). A part above 255 makes the whole
// text invalid and gives 0 (the value callers treat as no address), so "300.0.0.1" can never
// name another host.
uint32_t ipv4FromString(const QString& text);
// "%d.%d.%d.%d" of bytes 3, 2, 1, 0.
QString ipv4ToString(uint32_t address);
