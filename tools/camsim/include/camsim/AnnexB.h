// H.264 Annex-B byte streams as the simulated camera sends them: split into access units (one
// camera frame each) and the parameter sets (SPS, PPS) that its stream start record carries.
// Only start codes and NAL headers are read; nothing is decoded.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace camsim {

struct AnnexBClip {
  std::vector<std::vector<uint8_t>> units;  // access units, each with its start codes
  std::vector<bool> idr;                    // per unit: it holds an IDR slice
  std::vector<uint8_t> parameterSets;       // the first SPS and PPS, Annex-B, in stream order
};

// Splits a stream. A unit starts at an access unit delimiter, SPS, PPS or SEI that follows a
// slice, or at a slice whose first_mb_in_slice is 0 (the first bit after its header is 1).
// Bytes before the first start code are dropped.
AnnexBClip splitAnnexB(const std::vector<uint8_t>& stream);

// Reads a clip file; false when it cannot be read or holds no unit with an IDR slice.
bool loadAnnexBClip(const std::string& path, AnnexBClip* clip);

}  // namespace camsim
