// Channel 11, the denoising record (64 bytes); bytes 2 and 4 as in the destriping record.
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CDenoiseInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(int type MEMBER type_ NOTIFY typeChanged)
  Q_PROPERTY(int gf_radius MEMBER gf_radius_ NOTIFY gf_radiusChanged)
  Q_PROPERTY(int gf_regular MEMBER gf_regular_ NOTIFY gf_regularChanged)

 public:
  static constexpr int kRecordSize = 64;
  explicit CDenoiseInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void typeChanged();
  void gf_radiusChanged();
  void gf_regularChanged();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  int type_ = 0;
  int gf_radius_ = 0;
  int gf_regular_ = 0;
};
