// A row of the lens and distance tables: a blackbody temperature and the temperatures measured
// at up to four shell temperatures (lens) or five distances (distance, which adds temp4).
#pragma once

#include <QObject>

#include "CaliProps.h"

class CCaliRow : public QObject {
  Q_OBJECT
  CALI_FLOAT_PROPERTY(blackbody, setBlackbody)
  CALI_FLOAT_PROPERTY(temp0, setTemp0)
  CALI_FLOAT_PROPERTY(temp1, setTemp1)
  CALI_FLOAT_PROPERTY(temp2, setTemp2)
  CALI_FLOAT_PROPERTY(temp3, setTemp3)

 public:
  explicit CCaliRow(QObject* parent = nullptr) : QObject(parent) {}
  // Temperature k = 0..3.
  float tempAt(int k) const { return k == 0 ? temp0_ : k == 1 ? temp1_ : k == 2 ? temp2_ : temp3_; }
  void loadTempAt(int k, float v) {
    switch (k) {
      case 0: load_temp0(v); break;
      case 1: load_temp1(v); break;
      case 2: load_temp2(v); break;
      default: load_temp3(v); break;
    }
  }
};
