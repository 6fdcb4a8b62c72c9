// The space (profile) chart: each series is one statistic across the columns or rows of a
// measurement item, recomputed whenever the item's temperatures change. GUI thread only.
#pragma once

#include "charts/CModuleChartBase.h"

class CModuleChartSpace : public CModuleChartBase {
  Q_OBJECT
 public:
  explicit CModuleChartSpace(QObject* parent = nullptr);
  ~CModuleChartSpace() override;

  static int aliveCount();

  // dimType 0 (X) or 1 (Y) only; the same item may feed several series.
  Q_INVOKABLE void series_create(QObject* mea, int statsType, int dimType);
  Q_INVOKABLE void series_delete(QObject* series);
  Q_INVOKABLE void refreshData();
  void loadModuleData() override;
};
