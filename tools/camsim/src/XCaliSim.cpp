#include "camsim/XCaliSim.h"

#include <cstring>

#include "camsim/TransferService.h"
#include "camsim/Wire.h"

namespace camsim {

namespace {
constexpr size_t kRecord = 68;
constexpr size_t kEntryBase = 64, kEntrySize = 1904;
constexpr size_t kResCur = 19440;
}  // namespace

bool applyXCaliUpdate(std::vector<uint8_t>* block, const std::vector<uint8_t>& command) {
  if (command.size() != kXCaliUpdateSize || block->size() != kXCaliBlockSize) return false;
  const uint8_t kind = command[0], entry = command[1];
  if (entry > 9) return false;
  size_t at = 0, size = 0;
  switch (kind) {
    case 0: at = 0, size = 64; break;
    case 1: at = kEntryBase + kEntrySize * entry, size = 320; break;
    case 2: at = kEntryBase + kEntrySize * entry + 320, size = 1232; break;
    case 3: at = kEntryBase + kEntrySize * entry + 1552, size = 352; break;
    default: return false;
  }
  std::memcpy(block->data() + at, command.data() + 4, size);
  return true;
}

bool XCaliControls::apply(uint8_t* record) {
  const int32_t type = readI32(record, kRecord, 0);
  if (type != 11 && type != 12 && type != 20) return false;
  std::lock_guard<std::mutex> lock(mutex_);
  if (type == 11) {
    std::memset(record + 4, 0, kRecord - 4);
    std::memcpy(record + 4, extBb_, sizeof extBb_);
  } else if (type == 12) {
    std::memcpy(extBb_, record + 4, sizeof extBb_);
  } else {
    std::vector<uint8_t> block;
    if (transfers_.block(8, &block) && block.size() == kXCaliBlockSize) {
      block[kResCur] = uint8_t(readI32(record, kRecord, 4));
      transfers_.putBlock(8, std::move(block));
    }
  }
  return true;
}

std::vector<uint8_t> XCaliControls::extBb() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return std::vector<uint8_t>(extBb_, extBb_ + sizeof extBb_);
}

}  // namespace camsim
