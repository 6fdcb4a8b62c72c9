// Bounded form of the frame unpacker for data from the network.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ostrel::alg {

// Unpacks the packed frame in `in` (inLength bytes) into `out` (outValues values). Refuses with
// -11 a raw size other than 2 x outValues, with -1 a packed size below 14, above the raw size or
// beyond inLength, and any block whose header or deltas run past the packed size or whose delta
// count is negative; -11 when the blocks code more values than outValues. The whole frame is
// checked before the first value is written, so a refused frame leaves `out` untouched.
int uncompressBounded(const uint8_t* in, size_t inLength, int16_t* out, size_t outValues);

}  // namespace ostrel::alg
