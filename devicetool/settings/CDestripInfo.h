// Channel 10, the destriping record (32 bytes). Bytes 2 and 4 carry the frame size, which the
// camera link fills in: not mapped here.
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CDestripInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(int type MEMBER type_ NOTIFY typeChanged)
  Q_PROPERTY(int s0_radius MEMBER s0_radius_ NOTIFY s0_radiusChanged)
  Q_PROPERTY(int s0_regular MEMBER s0_regular_ NOTIFY s0_regularChanged)
  Q_PROPERTY(int s1_radius MEMBER s1_radius_ NOTIFY s1_radiusChanged)
  Q_PROPERTY(int s1_regular MEMBER s1_regular_ NOTIFY s1_regularChanged)
  Q_PROPERTY(int sub_y MEMBER sub_y_ NOTIFY sub_yChanged)
  Q_PROPERTY(int sub_t MEMBER sub_t_ NOTIFY sub_tChanged)

 public:
  static constexpr int kRecordSize = 32;
  explicit CDestripInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void typeChanged();
  void s0_radiusChanged();
  void s0_regularChanged();
  void s1_radiusChanged();
  void s1_regularChanged();
  void sub_yChanged();
  void sub_tChanged();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  int type_ = 0;
  int s0_radius_ = 0;
  int s0_regular_ = 0;
  int s1_radius_ = 0;
  int s1_regular_ = 0;
  int sub_y_ = 0;
  int sub_t_ = 0;
};
