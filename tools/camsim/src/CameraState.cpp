#include "camsim/CameraState.h"

#include <algorithm>

#include "camsim/ControlReplies.h"
#include "camsim/Wire.h"

namespace camsim {

namespace {

struct Kept {
  uint16_t getType;
  uint16_t size;
};
// The records of the command channel by their get type.
constexpr Kept kKept[] = {
    {7, 216},   {11, 52},  {15, 16},  {19, 12},    {23, 72},    {31, 40},    {37, 16},  {42, 16},
    {48, 64},   {52, 128}, {58, 12},  {62, 12},    {66, 272},   {70, 48},    {74, 128}, {84, 88},
    {88, 88},   {92, 88},  {96, 88},  {100, 88},   {104, 88},   {108, 88},   {112, 88}, {116, 88},
    {120, 132}, {124, 32}, {128, 64}, {1000, 512}, {1004, 512}, {1008, 512},
};

}  // namespace

size_t CameraState::recordSize(uint16_t getType) {
  for (const auto& k : kKept)
    if (k.getType == getType) return k.size;
  return 0;
}

CameraState::CameraState(const CameraIdentity& id) {
  for (const auto& k : kKept) {
    std::vector<uint8_t> r(k.size);
    for (size_t i = 0; i < r.size(); ++i) r[i] = patternByte(k.getType, i);
    records_[k.getType] = std::move(r);
  }
  records_[120] = seededFpaInfoQm();
  std::vector<uint8_t>& b = records_[7];
  std::fill(b.begin(), b.end(), 0);
  putText(&b[basic::kCameraId], 32, id.cameraId);
  putText(&b[basic::kCameraName], 32, id.cameraName);
  putText(&b[basic::kCameraType], 16, id.cameraType);
  putText(&b[basic::kFpaId], 32, id.fpaId);
  putText(&b[basic::kHardwareId], 32, id.hardwareId);
  putText(&b[basic::kSoftwareId], 32, id.softwareId);
  putU16(&b[basic::kDataWidth], id.dataWidth);
  putU16(&b[basic::kDataHeight], id.dataHeight);
  putU16(&b[basic::kDataFps], id.dataFps);
  putU16(&b[basic::kDataRatio], id.dataRatio);
  putU16(&b[basic::kSendRatio], id.sendRatio);
  for (size_t i = 186; i < 212; ++i) b[i] = patternByte(7, i);
  putU16(&b[basic::kImageWidth], id.imageWidth);
  putU16(&b[basic::kImageHeight], id.imageHeight);
}

std::vector<uint8_t> CameraState::record(uint16_t getType) const {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = records_.find(getType);
  return it == records_.end() ? std::vector<uint8_t>{} : it->second;
}

bool CameraState::setRecord(uint16_t getType, const std::vector<uint8_t>& bytes) {
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = records_.find(getType);
  if (it == records_.end() || it->second.size() != bytes.size()) return false;
  it->second = bytes;
  return true;
}

int32_t CameraState::gearLevel() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return gear_;
}

void CameraState::setGearLevel(int32_t level) {
  std::lock_guard<std::mutex> lock(mutex_);
  gear_ = level;
}

}  // namespace camsim
