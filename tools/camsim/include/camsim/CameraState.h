// The configuration a simulated camera keeps: one stored record per get/set pair, its clock and
// zoom gear. Shared by every server of one camera; thread-safe.
#pragma once

#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace camsim {

// Seed of a camera's identity (written into its basic record by byte offset).
struct CameraIdentity {
  std::string cameraId = "CAMSIM-0001";
  std::string cameraName = "camsim";
  std::string cameraType = "SIM";
  std::string fpaId = "FPA-SIM";
  std::string hardwareId = "HW-SIM";
  std::string softwareId = "SW-SIM-1.0";
  uint16_t dataWidth = 640;
  uint16_t dataHeight = 512;
  uint16_t dataFps = 25;
  uint16_t dataRatio = 1;
  uint16_t sendRatio = 1;
  uint16_t imageWidth = 0;  // 0: same as the data
  uint16_t imageHeight = 0;
};

// Offsets of the basic record (216 bytes) that the simulator fills.
namespace basic {
constexpr size_t kSize = 216, kCameraId = 0, kCameraName = 32, kCameraType = 64, kFpaId = 80,
                 kHardwareId = 112, kSoftwareId = 144, kDataWidth = 176, kDataHeight = 178, kDataFps = 180,
                 kDataRatio = 182, kSendRatio = 184, kImageWidth = 212, kImageHeight = 214;
}

class CameraState {
 public:
  explicit CameraState(const CameraIdentity& id = {});

  // The record size kept for a get request type, or 0 when the camera keeps none for it.
  static size_t recordSize(uint16_t getType);
  // The byte the seeded pattern puts at offset i of the record of getType.
  static uint8_t patternByte(uint16_t getType, size_t i) { return uint8_t(getType * 31 + i * 7 + 1); }

  // Record bytes by get type (the plug-in record: 48); empty when unknown.
  std::vector<uint8_t> record(uint16_t getType) const;
  // Replaces a stored record (sizes must match; false otherwise).
  bool setRecord(uint16_t getType, const std::vector<uint8_t>& bytes);

  int32_t gearLevel() const;
  void setGearLevel(int32_t level);

 private:
  mutable std::mutex mutex_;
  std::map<uint16_t, std::vector<uint8_t>> records_;  // guarded by mutex_
  int32_t gear_ = 3;                                  // guarded by mutex_
};

}  // namespace camsim
