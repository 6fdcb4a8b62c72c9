#include "CLoginBlockEditor.h"

#include <cstring>
#include <vector>

#include "devicetool/ValueConvert.h"
#include "foundation/Logger.h"

CLoginBlockEditor::~CLoginBlockEditor() {
  free();
}

void CLoginBlockEditor::free() {
  if (loginId_ >= 0) Ostrel_Logout(loginId_);
  loginId_ = -1;
  downloadedMask_ = 0;
}

int CLoginBlockEditor::login(const QString& ip) {
  free();
  if (!valueconv::loginText(ip.toUtf8().toStdString(), loginInfo_.ip)) return -8;
  const int id = Ostrel_Login(&loginInfo_, &camera_);
  if (id < 0) return id;
  loginId_ = id;
  const QString did = QString::fromUtf8(
      valueconv::fieldText(reinterpret_cast<const uint8_t*>(camera_.cameraId), sizeof camera_.cameraId - 1));
  if (did != deviceId_) {
    deviceId_ = did;
    emit deviceIdChanged();
  }
  return id;
}

int CLoginBlockEditor::loginAndRead(const QString& ip, const std::function<int()>& read) {
  int r = login(ip);
  if (r >= 0) r = read();
  if (r < 0) free();
  return r < 0 ? r : 0;
}

int CLoginBlockEditor::downloadBlock(int block, void* image, int size) {
  if (loginId_ < 0) return -7;
  downloadedMask_ &= ~(1u << block);
  // One byte more than the record tells a longer block from an exact one.
  std::vector<char> scratch(size_t(size) + 1);
  int got = size + 1;
  int r = Ostrel_DownloadMem(loginId_, block, scratch.data(), &got);
  if (r >= 0 && got != size) r = -194;
  if (r < 0) {
    OSTREL_LOG_AS("CLoginBlockEditor::downloadBlock", "block %d: %d", block, r);
    return r;
  }
  std::memcpy(image, scratch.data(), size_t(size));
  downloadedMask_ |= 1u << block;
  return r;
}

int CLoginBlockEditor::uploadBlock(int block, const void* image, int size) {
  if (loginId_ < 0 || !downloaded(block)) return -7;
  const int r = Ostrel_UploadMem(loginId_, block, static_cast<const char*>(image), size);
  if (r < 0)
    OSTREL_LOG_AS("CLoginBlockEditor::uploadBlock", "block %d: %d", block, r);
  return r;
}
