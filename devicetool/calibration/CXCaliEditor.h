// The XCali calibration editor: logs in to one camera, reads its calibration block into the
// object tree, writes back only the parts that changed (one update command each), and sends the
// gear, resolution, external blackbody and restart commands. GUI thread; every camera call is
// synchronous.
#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <cstdint>

#include "CXCali.h"
#include "OstrelSDK.h"
#include "XCaliLayout.h"

class CXCaliEditor : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString deviceId READ deviceId NOTIFY deviceIdChanged)
  Q_PROPERTY(bool deviceInternal READ deviceInternal NOTIFY deviceInternalChanged)
  Q_PROPERTY(CXCali* xcali READ xcali CONSTANT)
  Q_PROPERTY(int resIndex READ resIndex NOTIFY resIndexChanged)
  Q_PROPERTY(int caliIndex READ caliIndex WRITE setCaliIndex NOTIFY caliIndexChanged)
  Q_PROPERTY(CXCali1* cali1 READ cali1 NOTIFY cali1Changed)
  Q_PROPERTY(CXCali2* cali2 READ cali2 NOTIFY cali2Changed)
  Q_PROPERTY(CXCaliCust* cust READ cust NOTIFY custChanged)
  Q_PROPERTY(int gearLevel READ gearLevel NOTIFY gearLevelChanged)
  Q_PROPERTY(CExtBbConfig* extBbConfig READ extBbConfig CONSTANT)

 public:
  explicit CXCaliEditor(QObject* parent = nullptr);
  ~CXCaliEditor() override;

  QString deviceId() const { return deviceId_; }
  bool deviceInternal() const { return deviceInternal_; }
  CXCali* xcali() { return &xcali_; }
  int resIndex() const { return resIndex_; }
  int caliIndex() const { return caliIndex_; }
  void setCaliIndex(int i);
  CXCali1* cali1() { return xcali_.entry(caliIndex_)->cali1(); }
  CXCali2* cali2() { return xcali_.entry(caliIndex_)->cali2(); }
  CXCaliCust* cust() { return xcali_.entry(caliIndex_)->cust(); }
  int gearLevel() const { return gearLevel_; }
  CExtBbConfig* extBbConfig() { return &extBb_; }
  bool loggedIn() const { return loginId_ >= 0; }
  // The block as this editor last read or patched it.
  const uint8_t* image() const { return image_.data(); }

  // Logs in (after logging out) and reads the block; a failed read logs out again. 0, -8 for an
  // address that does not fit the login request, or the camera link's code.
  Q_INVOKABLE int init(const QString& ip);
  Q_INVOKABLE void free();
  // Reads the block into the tree, then the gear level (2) and the external blackbody (11); the
  // two commands' results do not change the result. -7 without a login; -194 (tree unchanged) for
  // a block that is not 19488 bytes long.
  Q_INVOKABLE int getXCali();

  // -7 without a login, or for the resolution the last read reported, or for the current gear.
  Q_INVOKABLE int applyResIndex(int index);
  Q_INVOKABLE int applyGearLevel(int level);
  Q_INVOKABLE int applyReboot();
  Q_INVOKABLE int applyExtBbConfig();

  // Each stores its part over the camera's own bytes of it; a part equal to what the camera holds
  // is not sent (0). -7 without a login; -8 (nothing sent) for a second-stage or custom part that
  // shows a value that is not finite (its invalidFields); the upload's code otherwise (the image
  // then keeps the camera's bytes).
  Q_INVOKABLE int updateHead();
  Q_INVOKABLE int updateCali1();
  Q_INVOKABLE int updateCali2();
  Q_INVOKABLE int updateCust();
  // Checks the file against the logged-in camera, then uploads it as a calibration file (type 2)
  // with the entry index as its extra value.
  Q_INVOKABLE int updateCali1File(const QString& path);

 signals:
  void deviceIdChanged();
  void deviceInternalChanged();
  void resIndexChanged();
  void caliIndexChanged();
  void cali1Changed();
  void cali2Changed();
  void custChanged();
  void gearLevelChanged();

 private:
  int updatePart(xcali::Part part);

  int loginId_ = -1;
  LoginInfo login_{};
  CameraBasicInfoRecord camera_{};
  std::array<uint8_t, xcali::kBlockSize> image_{};
  std::array<uint8_t, xcali::kUpdateSize> command_{};
  CXCali xcali_;
  CExtBbConfig extBb_;
  QString deviceId_;
  bool deviceInternal_ = false;
  int resIndex_ = 0, caliIndex_ = 0, gearLevel_ = 0;
};
