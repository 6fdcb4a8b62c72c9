// The file views' fixture: a recording of 100 frames of 640 x 512 at 20 degrees, each with a
// 9 x 9 block at 80 degrees centred at column 20 + 6 i, row 256 in frame i, written by the SDK's
// stream writer, and a radiometric picture of its frame 0 written by the exporter.
#pragma once

#include <QString>

namespace viewfixture {

constexpr int kWidth = 640, kHeight = 512, kFrames = 100;
constexpr int kBlockRow = 256;
inline int blockColumn(int frame) { return 20 + 6 * frame; }

// Writes "<dir>/run.stream" and "<dir>/run.jpg". 0, or the first failing step's code.
int write(const QString& dir);

}  // namespace viewfixture
