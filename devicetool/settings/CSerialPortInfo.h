// Channel 7, the serial port record (16 bytes): one code per byte, as the option lists name them.
#pragma once

#include <QString>

#include "CDeviceConfigBase.h"

class CSerialPortInfo : public CDeviceConfigBase {
  Q_OBJECT
  Q_PROPERTY(int usage MEMBER usage_ NOTIFY usageChanged)
  Q_PROPERTY(int portAddr MEMBER portAddr_ NOTIFY portAddrChanged)
  Q_PROPERTY(int baudRate MEMBER baudRate_ NOTIFY baudRateChanged)
  Q_PROPERTY(int dataBits MEMBER dataBits_ NOTIFY dataBitsChanged)
  Q_PROPERTY(int stopBits MEMBER stopBits_ NOTIFY stopBitsChanged)
  Q_PROPERTY(int parity MEMBER parity_ NOTIFY parityChanged)

 public:
  static constexpr int kRecordSize = 16;
  explicit CSerialPortInfo(QObject* parent = nullptr);
  Q_INVOKABLE int reset() override { return CDeviceConfigBase::reset(); }

 signals:
  void usageChanged();
  void portAddrChanged();
  void baudRateChanged();
  void dataBitsChanged();
  void stopBitsChanged();
  void parityChanged();

 protected:
  void writeDefaults(uint8_t* image) override;

 private:
  int usage_ = 0;
  int portAddr_ = 0;
  int baudRate_ = 0;
  int dataBits_ = 0;
  int stopBits_ = 0;
  int parity_ = 0;
};
