#include "charts/CModuleChartSpace.h"

#include <atomic>

#include "TempCanvas.h"
#include "TempCanvasManager.h"
#include "modules/ModuleDataText.h"

namespace {
std::atomic<int> g_alive{0};
}  // namespace

CModuleChartSpace::CModuleChartSpace(QObject* parent)
    : CModuleChartBase(TypeChartSpace, ChartCsvForm::Space, parent) {
  setModuleName(QStringLiteral("chartSpace%1").arg(g_alive.fetch_add(1) + 1));
}

CModuleChartSpace::~CModuleChartSpace() {
  detach();
  g_alive.fetch_sub(1);
}

int CModuleChartSpace::aliveCount() { return g_alive.load(); }

void CModuleChartSpace::series_create(QObject* mea, int statsType, int dimType) {
  auto* item = qobject_cast<TempCanvasItemBase*>(mea);
  if (item == nullptr || unsigned(dimType) > 1u) return;
  TCSeriesMea* s = makeSeries(item, dimType, statsType);
  s->refreshSpaceData();
  listSeries(s);
}

void CModuleChartSpace::series_delete(QObject* series) { removeSeries(series); }

void CModuleChartSpace::refreshData() {
  if (tempChart_) tempChart_->refresh();
}

void CModuleChartSpace::loadModuleData() {
  if (moduleData().isEmpty()) return;
  ChartModuleData record;
  decodeChartModuleData(moduleData(), record);
  TempCanvasManager* canvases = managers().canvases;
  if (canvases == nullptr) return;
  for (const ChartInputEntry& in : record.data) {
    TempCanvas* canvas = canvases->canvasByInputName(in.inputName);
    if (canvas == nullptr) continue;
    const QList<TempCanvasItemBase*> items = canvas->itemList();
    for (const ChartSeriesEntry& e : in.list) {
      if (e.meaIndex < 0 || e.meaIndex >= items.size()) continue;
      if (e.dimType != 0 && e.dimType != 1) continue;
      series_create(items[e.meaIndex], e.statsType, e.dimType);
    }
  }
}
