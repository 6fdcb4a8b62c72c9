#include "charts/CModuleChartBase.h"

#include <map>

#include "modules/ModuleDataText.h"

CModuleChartBase::CModuleChartBase(int moduleType, ChartCsvForm form, QObject* parent)
    : CModule(moduleType, parent), form_(form) {}

void CModuleChartBase::setTempChart(TempChart* chart) {
  if (tempChart_.data() == chart) return;
  tempChart_ = chart;
  emit tempChartChanged();
}

QList<QObject*> CModuleChartBase::seriesListObjects() const {
  QList<QObject*> out;
  out.reserve(seriesList_.size());
  for (TCSeriesMea* s : seriesList_) out.append(s);
  return out;
}

int CModuleChartBase::init(CInputBase*, CFrame* frame) { return CModule::init(nullptr, frame); }

void CModuleChartBase::detach() {
  if (isAttached()) CModule::detach();
}

int CModuleChartBase::exportImage(const QString& path) {
  if (!managers().grab || tempChart_.isNull()) return -7;
  return managers().grab(tempChart_.data(), path);
}

int CModuleChartBase::csvText(QByteArray* out) const {
  QList<ChartCsvColumn> columns;
  columns.reserve(seriesList_.size());
  for (const TCSeriesMea* s : seriesList_) columns.append(ChartCsvColumn{s->seriesCsvName(), s});
  return buildChartCsv(form_, columns, out);
}

int CModuleChartBase::exportCsv(const QString& path) {
  QByteArray text;
  const int rc = csvText(&text);
  if (rc < 0) return rc;
  return writeChartCsv(path, text);
}

TCSeriesMea* CModuleChartBase::makeSeries(TempCanvasItemBase* mea, int dimType, int statsType) {
  auto* series = new TCSeriesMea(this, mea, dimType, statsType);
  connect(mea, &QObject::destroyed, series, [this, series] { removeSeries(series); });
  return series;
}

void CModuleChartBase::listSeries(TCSeriesMea* series) {
  seriesList_.append(series);
  emit seriesListChanged();
  rebuildChart();
}

bool CModuleChartBase::removeSeries(QObject* series) {
  const qsizetype i = seriesList_.indexOf(static_cast<TCSeriesMea*>(series));
  if (series == nullptr || i < 0) return false;
  TCSeriesMea* s = seriesList_.takeAt(i);
  // No more samples or removals from an item that is going away.
  s->disconnect(this);
  if (TempCanvasItemBase* m = s->mea()) m->disconnect(s);
  s->deleteLater();
  emit seriesListChanged();
  rebuildChart();
  onSeriesRemoved();
  return true;
}

void CModuleChartBase::rebuildChart() {
  TempChart* chart = tempChart_.data();
  if (chart == nullptr) return;
  chart->series_deleteAll();
  for (TCSeriesMea* s : seriesList_) chart->series_create(s);
  const int mode = seriesList_.isEmpty() ? TCConfig::Fixed : TCConfig::Automatic;
  chart->setMode(mode, mode);
  chart->refresh();
}

void CModuleChartBase::saveModuleData() {
  // Grouped by input name in byte order; within a group in list order.
  std::map<QByteArray, ChartInputEntry> groups;
  for (const TCSeriesMea* s : seriesList_) {
    TempCanvasItemBase* mea = s->mea();
    if (mea == nullptr) continue;
    QString name;
    int index = mea->indexInCanvas();
    if (auto* m = qobject_cast<CModule*>(mea->tfm_module())) {
      if (CInputBase* in = m->input()) name = in->inputName();
      // A series of an item that will not be there when the workspace is opened again goes.
      index = m->input_storedItemIndex(index);
    }
    if (index < 0) continue;
    ChartInputEntry& e = groups[name.toUtf8()];
    e.inputName = name;
    e.list.append(ChartSeriesEntry{s->dimType(), index, s->statsType()});
  }
  ChartModuleData record;
  for (auto& [key, entry] : groups) record.data.append(entry);
  QString text;
  encodeChartModuleData(record, text);
  setModuleData(text);
}
