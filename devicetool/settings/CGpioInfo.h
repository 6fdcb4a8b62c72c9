// Channel 8, the GPIO record (16 bytes): what each input and output is used for.
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CGpioInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(int input0 MEMBER input0_ NOTIFY input0Changed)
  Q_PROPERTY(int input1 MEMBER input1_ NOTIFY input1Changed)
  Q_PROPERTY(int output0 MEMBER output0_ NOTIFY output0Changed)
  Q_PROPERTY(int output1 MEMBER output1_ NOTIFY output1Changed)

 public:
  static constexpr int kRecordSize = 16;
  explicit CGpioInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void input0Changed();
  void input1Changed();
  void output0Changed();
  void output1Changed();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  int input0_ = 0;
  int input1_ = 0;
  int output0_ = 0;
  int output1_ = 0;
};
