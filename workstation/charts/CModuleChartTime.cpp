#include "charts/CModuleChartTime.h"

#include <atomic>

#include "TempCanvas.h"
#include "TempCanvasManager.h"
#include "foundation/Logger.h"
#include "ostrel/OstrelRadiometry.h"
#include "modules/CModuleInputIr.h"
#include "modules/CModuleInputStream.h"
#include "modules/ModuleDataText.h"

namespace {
std::atomic<int> g_alive{0};
constexpr int kLiveFifo = 300;
}  // namespace

CModuleChartTime::CModuleChartTime(QObject* parent) : CModuleChartBase(TypeChartTime, ChartCsvForm::Time, parent) {
  setModuleName(QStringLiteral("chartTime%1").arg(g_alive.fetch_add(1) + 1));
}

CModuleChartTime::~CModuleChartTime() {
  untrack();
  detach();
  g_alive.fetch_sub(1);
}

int CModuleChartTime::aliveCount() { return g_alive.load(); }

void CModuleChartTime::series_create(QObject* mea, int statsType, int dimType) {
  auto* item = qobject_cast<TempCanvasItemBase*>(mea);
  QObject* newModule = item != nullptr ? item->tfm_module() : nullptr;
  if (item == nullptr || dimType != 2 || (tracked_ && newModule != tracked_.data())) {
    OSTREL_LOG_AS("CModuleChartTime::series_create", "invalid mea, newModule %p, m_meaModule %p",
                  static_cast<void*>(newModule), static_cast<void*>(tracked_.data()));
    return;
  }
  listSeries(makeSeries(item, 2, statsType));
  if (!tracked_) track(qobject_cast<CModule*>(newModule));
  rebuildChart();
}

void CModuleChartTime::track(CModule* m) {
  if (m == nullptr) return;
  tracked_ = m;
  started_ = false;
  // A module that goes away while tracked must not be reached again.
  connect(m, &QObject::destroyed, this, &CModuleChartTime::untrack);
  TCConfig* config = tempChart_ ? tempChart_->config() : nullptr;
  if (m->moduleType() == TypeInputIr) {
    if (config) {
      config->setFifoSize(kLiveFifo);
      config->setXmode(TCConfig::Automatic);
    }
    if (auto* ir = qobject_cast<CModuleInputIr*>(m))
      connect(ir, &CModuleInputIr::dataRecved_SignalExternal, this, &CModuleChartTime::onLiveFrame);
  } else if (m->moduleType() == TypeInputStream) {
    if (config) config->setFifoSize(0);
    building_ = false;
  }
}

void CModuleChartTime::untrack() {
  if (CModule* m = tracked_.data()) m->disconnect(this);
  tracked_ = nullptr;
  started_ = false;
  setBuilding(false);
}

void CModuleChartTime::series_delete(QObject* series) { removeSeries(series); }

void CModuleChartTime::onSeriesRemoved() {
  if (seriesList_.isEmpty() && tracked_) untrack();
}

void CModuleChartTime::refreshChart() {
  if (tempChart_) tempChart_->refresh();
}

void CModuleChartTime::clearData() {
  started_ = false;
  for (TCSeriesMea* s : seriesList_) s->clear();
  refreshChart();
}

void CModuleChartTime::onLiveFrame(int status, TempData* frame) {
  if (status < 0 || frame == nullptr) return;
  const int value = int(uint16_t(frame->frameNumber));
  if (!started_) {
    started_ = true;
    base_ = value;
    return;
  }
  if (value > base_) {
    for (TCSeriesMea* s : seriesList_) s->appendLiveSample(value - base_);
  } else {
    // The camera restarted or its counter wrapped: start over with the next frame.
    started_ = false;
    for (TCSeriesMea* s : seriesList_) s->clear();
  }
  refreshChart();
}

void CModuleChartTime::setBuilding(bool b) {
  if (building_ == b) return;
  building_ = b;
  emit buildingChanged();
}

namespace {

QList<QObject*> seriesItems(const QList<TCSeriesMea*>& list) {
  QList<QObject*> items;
  items.reserve(list.size());
  for (TCSeriesMea* s : list) items.append(s->mea());
  return items;
}

}  // namespace

void CModuleChartTime::buildData() {
  if (seriesList_.isEmpty() || !tracked_ || tracked_->moduleType() != TypeInputStream || building_) return;
  auto* stream = qobject_cast<CModuleInputStream*>(tracked_.data());
  if (stream == nullptr) return;
  // The charted items go first, so a crowded canvas never leaves them out.
  if (stream->requestMeaResult(seriesItems(seriesList_)) >= 0) setBuilding(true);
}

void CModuleChartTime::applyMeaResultData(QObject* streamModule, const MeaResultData* data) {
  if (streamModule == nullptr || streamModule != tracked_.data()) return;
  auto* stream = qobject_cast<CModuleInputStream*>(tracked_.data());
  if (stream == nullptr) return;
  if (data != nullptr) {
    // The stream matches items by identity: a series whose item is gone keeps its samples.
    const QList<TCSeriesMea*> list = seriesList_;
    stream->fillSeries(data, seriesItems(list),
                       [&list](int k, const int64_t* times, const MeaResult* first, int stride, int frames) {
                         if (k >= 0 && k < list.size()) list[k]->fillFromResults(times, first, stride, frames);
                       });
  }
  finishBuild();
}

void CModuleChartTime::applyMeaResultFailed(QObject* streamModule, int) {
  if (streamModule == nullptr || streamModule != tracked_.data()) return;
  finishBuild();
}

void CModuleChartTime::finishBuild() {
  if (tempChart_) {
    tempChart_->config()->setXmode(TCConfig::Automatic);
    tempChart_->config()->setYmode(TCConfig::Automatic);
    tempChart_->refresh();
  }
  setBuilding(false);
}

void CModuleChartTime::loadModuleData() {
  if (moduleData().isEmpty()) return;
  ChartModuleData record;
  decodeChartModuleData(moduleData(), record);
  if (record.data.isEmpty()) return;
  TempCanvasManager* canvases = managers().canvases;
  if (canvases == nullptr) return;
  const ChartInputEntry& in = record.data.first();
  TempCanvas* canvas = canvases->canvasByInputName(in.inputName);
  if (canvas == nullptr) return;
  const QList<TempCanvasItemBase*> items = canvas->itemList();
  for (const ChartSeriesEntry& e : in.list)
    if (e.meaIndex >= 0 && e.meaIndex < items.size()) series_create(items[e.meaIndex], e.statsType, e.dimType);
}
