// Answers of the request-reply commands that carry a record of their own (rather than the request
// echoed back), and the seeded QM detector register set they act on.
#pragma once

#include <cstdint>
#include <vector>

namespace camsim {

class CameraState;

// The QM detector register set (get type 120, 132 bytes) a fresh camera holds: four supply
// voltages, integration times, the check minima, a voltage offset of -819 counts and seven items,
// item i with fpa -20 + 10 i, gsk 3000 + i, tint 50 + i, gfid 2400 + i (all little-endian).
std::vector<uint8_t> seededFpaInfoQm();

// Answers the 68-byte record (type at 0) in place for the types with a record of their own (the
// clock, 0 and 1, is the command server's ClockGpio): 4 autofocus, a bare result; 16 stores the offset (i32 at 4) into the register set's i16 at 18, clamped to its range,
// and answers a bare result. Returns whether the type was one of these.
bool answerControlX(CameraState& state, uint8_t* record);

}  // namespace camsim
