// Radiometric picture blocks: the trailer-driven block finder, the picture layout, trailer
// building and the default configuration record. Shared by the file access layer and playback.
#pragma once

#include <cstdint>

#include "files/FileIo.h"
#include "ostrel/OstrelFiles.h"

namespace ostrel::files {

enum class BlockKind { Temp, Conf };

struct FoundBlock {
  BlockKind kind;
  int64_t size;            // B: prefix + payload + trailer
  int64_t start;           // S = E - B
  uint16_t width, height;  // from the trailer
  int32_t length;          // CONF: payload length n
};

// Finds the block that ends at `end`. Returns 0 and fills `out`, or -193 (seek), -198 (short read,
// or a TEMP trailer whose w*h lies outside 19200..1310720), -194 (a block that does not fit before
// `end`, a CONF block whose length lies outside 7264..0x200000 or whose prefix differs from its
// trailer, any other tag).
int findBlock(ByteSource& src, int64_t end, FoundBlock* out);

struct PictureLayout {
  int64_t fileSize;
  int64_t imageSize;  // bytes before the first block
  bool hasConf;
  FoundBlock conf;  // valid when hasConf
  FoundBlock temp;
};

// Lays out a picture of src.size() bytes. Returns 0, or -194 when the file is over 6832472 bytes,
// has no TEMP block at its end, or its image part exceeds 0x200000 bytes (the image buffer); -193
// when its size cannot be found. A CONF block that cannot be found only means there is none.
int parsePicture(ByteSource& src, PictureLayout* out);

// Writes a trailer: tagged form {w, h, 0, length, tag} or dated form {w, h, 20160901, 0, 0}.
void makeTaggedTrailer(BlockTrailer* t, uint16_t w, uint16_t h, int32_t length, const char tag[4]);
void makeDatedTrailer(BlockTrailer* t, uint16_t w, uint16_t h);

// Builds a whole tagged block (prefix {length, tag}, payload, trailer) at `dst`, which must hold
// length + 44 bytes; `payload` may already lie at dst + 8. Returns the block size.
int64_t buildTaggedBlock(uint8_t* dst, const void* payload, int32_t length, const char tag[4], uint16_t w,
                         uint16_t h);

// The default record of a file without a (valid) ConfBlock: zero, magic, identity, time, size and
// corrections from `head`; palette and stretch from `header` when its strechType byte is non-zero
// (header may be null), else palette 5 and the default StretchCtl; frame rate from `head` when
// `withRate`; `frameCount` as given.
void buildDefaultConf(TempFileConf* conf, const TempFileHead& head, const TempHeader* header, bool withRate,
                      int32_t frameCount);

// The default StretchCtl bytes: zero except strechType 1 and gain 2.0.
void defaultStretchCtl(uint8_t ctl[64]);

// Byte offsets inside a StretchCtl record.
constexpr int kCtlFlags = 0;
constexpr int kCtlStrechType = 4;
constexpr int kCtlSmoothing = 7;
constexpr int kCtlGain = 8;

}  // namespace ostrel::files
