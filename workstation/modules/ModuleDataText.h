// The settings text of the list and chart modules: a record as compact JSON (keys in ascending
// byte order, UTF-8 unescaped), Base64-encoded with the standard alphabet. Decoders never throw
// and never report: whatever was decoded before a fault stays in the record.
#pragma once

#include <QList>
#include <QString>

struct InputTableData {
  QList<QString> infoList;
};

struct MeaTableEntry {
  QString inputName;
  QList<int> meaIndexList;
};

struct MeaTableData {
  QList<MeaTableEntry> infoList;
};

struct ChartSeriesEntry {
  int dimType = 0;
  int meaIndex = 0;
  int statsType = 0;
};

struct ChartInputEntry {
  QString inputName;
  QList<ChartSeriesEntry> list;
};

struct ChartModuleData {
  QList<ChartInputEntry> data;
  double xmax = 0.0;
  double xmin = 0.0;
  int xmode = 0;
  double ymax = 0.0;
  double ymin = 0.0;
  int ymode = 0;
};

void encodeInputTableData(const InputTableData& record, QString& text);
void decodeInputTableData(const QString& text, InputTableData& record);
void encodeMeaTableData(const MeaTableData& record, QString& text);
void decodeMeaTableData(const QString& text, MeaTableData& record);
// The axis keys are written as zeros whatever the record holds.
void encodeChartModuleData(const ChartModuleData& record, QString& text);
void decodeChartModuleData(const QString& text, ChartModuleData& record);
