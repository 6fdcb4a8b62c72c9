// What the space and time chart modules share: the series list, the rebuilding of the chart
// item, picture export and the settings text. Never created by itself. GUI thread only.
#pragma once

#include <QList>
#include <QPointer>

#include "TempChart.h"
#include "charts/ChartCsv.h"
#include "modules/CModule.h"
#include "charts/TCSeriesMea.h"

class CModuleChartBase : public CModule {
  Q_OBJECT
  Q_PROPERTY(TempChart* tempChart READ tempChart WRITE setTempChart NOTIFY tempChartChanged)
  Q_PROPERTY(QList<QObject*> seriesList READ seriesListObjects NOTIFY seriesListChanged)

 public:
  TempChart* tempChart() const { return tempChart_.data(); }
  // Stored only; the chart is not rebuilt here (the view asks for that).
  void setTempChart(TempChart* chart);
  const QList<TCSeriesMea*>& seriesList() const { return seriesList_; }
  QList<QObject*> seriesListObjects() const;

  // The chart item as a picture at `path`, or on the clipboard for an empty path: 0, -197 not
  // written, -7 while another capture runs or without a shown chart.
  Q_INVOKABLE int exportImage(const QString& path);
  // The series as CSV at `path` (1) or on the clipboard for an empty path (0); -7 no series, -11
  // nothing to write, -5 out of memory, -200 / -197 the file's.
  Q_INVOKABLE int exportCsv(const QString& path);
  // The text exportCsv would write; the same codes, 0 on success.
  int csvText(QByteArray* out) const;

  void saveModuleData() override;
  // A chart has no input: attaching lists it in the frame only.
  int init(CInputBase* input, CFrame* frame) override;
  void detach() override;

 signals:
  void tempChartChanged();
  void seriesListChanged();

 protected:
  CModuleChartBase(int moduleType, ChartCsvForm form, QObject* parent);
  // A new series of `mea`, child of the module, removed again when the item goes.
  TCSeriesMea* makeSeries(TempCanvasItemBase* mea, int dimType, int statsType);
  // Appends the series, emits and rebuilds.
  void listSeries(TCSeriesMea* series);
  // Takes the series out, deletes it later, emits and rebuilds; false when not listed.
  bool removeSeries(QObject* series);
  void rebuildChart();
  virtual void onSeriesRemoved() {}

  QList<TCSeriesMea*> seriesList_;
  QPointer<TempChart> tempChart_;

 private:
  const ChartCsvForm form_;
};
