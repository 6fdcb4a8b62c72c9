// A camera's XCali calibration: the 19488-byte block it serves as memory block 8, patched by the
// 2052-byte update commands written to memory block 9 (kind at 0: 0 head, 1 first-stage part,
// 2 second-stage part, 3 custom part; entry index at 1; the part from 4), and the request-reply
// commands around it: 11 / 12 read and set the external blackbody settings (10 bytes at 4), 20
// selects the output resolution (i32 at 4, kept in the block's byte 19440).
#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

namespace camsim {

class TransferService;

constexpr size_t kXCaliBlockSize = 19488;
constexpr size_t kXCaliUpdateSize = 2052;

// Applies one update command to a block in place. False (block unchanged) for a command of
// another size, an unknown kind or an entry index above 9.
bool applyXCaliUpdate(std::vector<uint8_t>* block, const std::vector<uint8_t>& command);

class XCaliControls {
 public:
  explicit XCaliControls(TransferService& transfers) : transfers_(transfers) {}
  // Answers the 68-byte record in place for types 11, 12 and 20; false for any other type.
  bool apply(uint8_t* record);
  // The external blackbody settings the camera holds (10 bytes).
  std::vector<uint8_t> extBb() const;

 private:
  TransferService& transfers_;
  mutable std::mutex mutex_;
  uint8_t extBb_[10] = {1, 0, 0xF6, 0x01, 0x40, 0x01, 0x00, 0x01, 0x0A, 0x00};  // guarded by mutex_
};

}  // namespace camsim
