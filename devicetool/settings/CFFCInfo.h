// Channel 9, the flat-field record (16 bytes): the shutter's frame counts, the correction
// intervals and the autofocus rebound.
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CFFCInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(int frames_skipped_after_close MEMBER frames_skipped_after_close_ NOTIFY
                 frames_skipped_after_closeChanged)
  Q_PROPERTY(int frames_accumlated_when_closed MEMBER frames_accumlated_when_closed_ NOTIFY
                 frames_accumlated_when_closedChanged)
  Q_PROPERTY(
      int frames_skipped_after_open MEMBER frames_skipped_after_open_ NOTIFY frames_skipped_after_openChanged)
  Q_PROPERTY(bool nst_enable MEMBER nst_enable_ NOTIFY nst_enableChanged)
  Q_PROPERTY(int time_interval MEMBER time_interval_ NOTIFY time_intervalChanged)
  Q_PROPERTY(int temp_interval MEMBER temp_interval_ NOTIFY temp_intervalChanged)
  Q_PROPERTY(int af_rebound MEMBER af_rebound_ NOTIFY af_reboundChanged)
  Q_PROPERTY(int fpa_shutter MEMBER fpa_shutter_ NOTIFY fpa_shutterChanged)
  Q_PROPERTY(int time_interval_sec MEMBER time_interval_sec_ NOTIFY time_interval_secChanged)

 public:
  static constexpr int kRecordSize = 16;
  explicit CFFCInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void frames_skipped_after_closeChanged();
  void frames_accumlated_when_closedChanged();
  void frames_skipped_after_openChanged();
  void nst_enableChanged();
  void time_intervalChanged();
  void temp_intervalChanged();
  void af_reboundChanged();
  void fpa_shutterChanged();
  void time_interval_secChanged();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  int frames_skipped_after_close_ = 0;
  int frames_accumlated_when_closed_ = 0;
  int frames_skipped_after_open_ = 0;
  bool nst_enable_ = false;
  int time_interval_ = 0;
  int temp_interval_ = 0;
  int af_rebound_ = 0;
  int fpa_shutter_ = 0;
  int time_interval_sec_ = 0;
};
