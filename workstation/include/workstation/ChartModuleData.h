// The settings text of the chart modules: which measurement items of which inputs feed series,
// as Base64 of a compact JSON object. Decoding never throws: it stops at the first fault and
// leaves what it read so far in the record.
#pragma once

#include <QList>
#include <QString>

struct ChartSeriesEntry {
  int meaIndex = 0;
  int statsType = 0;
  int dimType = 0;
};

struct ChartInputEntry {
  QString inputName;
  QList<ChartSeriesEntry> list;
};

struct ChartModuleData {
  QList<ChartInputEntry> data;
  int xmode = 0;
  int ymode = 0;
  double xmin = 0.0;
  double xmax = 0.0;
  double ymin = 0.0;
  double ymax = 0.0;
};

void encodeChartModuleData(const ChartModuleData& record, QString* moduleData);
void decodeChartModuleData(const QString& moduleData, ChartModuleData* record);
