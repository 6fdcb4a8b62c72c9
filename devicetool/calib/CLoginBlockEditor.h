// What the custom, lens and distance editors share: one camera login, the camera's id, and the
// exchange of whole memory blocks. A block is uploaded only after it was downloaded successfully
// on the same login, so an editor never sends a table that came from another camera (or from an
// earlier, failed read). GUI thread, synchronous calls.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

#include "OstrelSDK.h"

class CLoginBlockEditor : public QObject {
  Q_OBJECT
  Q_PROPERTY(QString deviceId READ deviceId NOTIFY deviceIdChanged)

 public:
  explicit CLoginBlockEditor(QObject* parent = nullptr) : QObject(parent) {}
  // Logs out.
  ~CLoginBlockEditor() override;

  QString deviceId() const { return deviceId_; }
  bool loggedIn() const { return loginId_ >= 0; }

  // Logs out when logged in; no block counts as downloaded any more.
  Q_INVOKABLE void free();

 signals:
  void deviceIdChanged();

 protected:
  // Logs out, then in to `ip`; takes the camera id. The user id, or -8 for an address that does
  // not fit the login request, or the camera link's code.
  int login(const QString& ip);
  // login, then `read` (the editor's first downloads). The first failure is returned and releases
  // the login, so a view never opens on a table that was not read; else 0.
  int loginAndRead(const QString& ip, const std::function<int()>& read);
  const CameraBasicInfoRecord& camera() const { return camera_; }
  // Reads block `block` of exactly `size` bytes into `image`, through a scratch buffer: `image`
  // changes only on success. -7 without login; -194 when the camera's block has another size;
  // else the camera link's code. A failure also forgets an earlier download of the block.
  int downloadBlock(int block, void* image, int size);
  // Sends `size` bytes of `image` as block `block`: -7 without login or without a successful
  // download of the block on this login; else the camera link's code.
  int uploadBlock(int block, const void* image, int size);
  bool downloaded(int block) const { return (downloadedMask_ >> block & 1u) != 0; }

 private:
  int loginId_ = -1;
  uint32_t downloadedMask_ = 0;  // bit n: block n was read on this login
  LoginInfo loginInfo_{};
  CameraBasicInfoRecord camera_{};
  QString deviceId_;
};
