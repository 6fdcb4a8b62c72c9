#include "charts/CModuleChartMesh.h"

#include <QQuickItem>
#include <QtDataVisualization/QSurface3DSeries>
#include <QtDataVisualization/QSurfaceDataProxy>
#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <new>

#include "inputs/CInputManager.h"
#include "modules/CModuleInputJpg.h"

namespace {

std::atomic<int> g_alive{0};

struct LutCache {
  std::mutex mutex;
  std::map<uint32_t, std::unique_ptr<float[]>> tables;
};

LutCache& lutCache() {
  static LutCache* cache = new LutCache;  // lives with the process, like its tables
  return *cache;
}

TempData* frameOf(CModuleInputJpg* picture) { return picture != nullptr ? picture->currentFrame() : nullptr; }

}  // namespace

CModuleChartMesh::CModuleChartMesh(QObject* parent) : CModule(TypeChartMesh, parent) {
  setModuleName(QStringLiteral("chartMesh%1").arg(g_alive.fetch_add(1) + 1));
}

CModuleChartMesh::~CModuleChartMesh() {
  detach();
  g_alive.fetch_sub(1);
}

int CModuleChartMesh::aliveCount() { return g_alive.load(); }

const float* CModuleChartMesh::lookupTable(uint16_t scale, int16_t offset) {
  if (scale == 0) return nullptr;
  const uint32_t key = (uint32_t(scale) << 16) | uint16_t(offset);
  LutCache& cache = lutCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  auto it = cache.tables.find(key);
  if (it != cache.tables.end()) return it->second.get();
  std::unique_ptr<float[]> table(new (std::nothrow) float[65536]);
  if (!table) return nullptr;
  for (int r = -32768; r <= 32767; ++r) table[r + 32768] = float(double(r) / scale + offset);
  const float* out = table.get();
  cache.tables.emplace(key, std::move(table));
  return out;
}

int CModuleChartMesh::tableCount() {
  LutCache& cache = lutCache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  return int(cache.tables.size());
}

QObject* CModuleChartMesh::pictureModule() const { return picture_.data(); }

int CModuleChartMesh::init(CInputBase*, CFrame* frame) { return CModule::init(nullptr, frame); }

void CModuleChartMesh::detach() {
  if (!isAttached()) return;
  if (picture_ && picture_->subModuleChartMesh() == this) bindPicture(picture_.data(), false);
  CModule::detach();
}

void CModuleChartMesh::bindPicture(CModuleInputJpg* m, bool bind) {
  // The picture module sits below the charts and does not know them: it only announces a recolouring.
  if (bind)
    connect(m, &CModuleInputJpg::recoloured, this, &CModuleChartMesh::pictureRecoloured,
            Qt::UniqueConnection);
  else
    disconnect(m, &CModuleInputJpg::recoloured, this, &CModuleChartMesh::pictureRecoloured);
  m->setSubModuleChartMesh(bind ? this : nullptr);
}

void CModuleChartMesh::pictureRecoloured() { graphs_updateTexture(sender()); }

void CModuleChartMesh::graphs_init(QQuickItem* item) {
  if (item == nullptr || graphs_ || series_ != nullptr) return;
  graphs_ = item;
  series_ = new QSurface3DSeries(item);
  series_->setDrawMode(QSurface3DSeries::DrawSurface);
  if (series_->isFlatShadingSupported()) series_->setFlatShadingEnabled(true);
  QMetaObject::invokeMethod(item, "addSeries", Qt::DirectConnection, Q_ARG(QSurface3DSeries*, series_));
}

bool CModuleChartMesh::applyFrame(const TempData& frame) {
  if (series_ == nullptr || frame.head == nullptr || frame.data == nullptr || frame.image == nullptr) return false;
  const int w = frame.head->width, h = frame.head->height;
  if (w <= 0 || h <= 0) return false;
  // A scale of 0 has no temperatures: every height would be infinite.
  const float* lut = lookupTable(frame.head->scale, frame.head->offset);
  if (lut == nullptr) return false;
  QSurfaceDataProxy* proxy = series_->dataProxy();
  if (proxy == nullptr) return false;
  if (proxy->columnCount() != w || proxy->rowCount() != h || proxy->array() == nullptr) {
    auto* array = new (std::nothrow) QSurfaceDataArray;
    if (array == nullptr) return false;
    array->reserve(h);
    for (int i = 0; i < h; ++i) {
      auto* row = new QSurfaceDataRow(w);
      for (int j = 0; j < w; ++j) (*row)[j].setPosition(QVector3D(float(j), 0.0f, float(i)));
      array->append(row);
    }
    proxy->resetArray(array);  // the proxy owns the grid from here
  }
  // The grid is the proxy's; its items are rewritten in place and announced by one reset.
  auto* array = const_cast<QSurfaceDataArray*>(proxy->array());
  const float* table = lut + 32768;
  const int16_t* raw = frame.data;
  for (int i = 0; i < h; ++i) {
    QSurfaceDataRow& row = *(*array)[i];
    const int16_t* src = raw + qsizetype(i) * w;
    for (int j = 0; j < w; ++j) row[j].setY(table[src[j]]);
  }
  // A deep copy: the picture's colour buffer changes or goes with the picture.
  QImage texture(w, h, QImage::Format_RGB32);
  if (texture.isNull()) return false;
  for (int i = 0; i < h; ++i) std::memcpy(texture.scanLine(i), frame.image + qsizetype(i) * w, size_t(w) * 4);
  series_->setTexture(texture);
  emit proxy->arrayReset();
  return true;
}

void CModuleChartMesh::graphs_update(QObject* pictureModule) {
  auto* m = qobject_cast<CModuleInputJpg*>(pictureModule);
  if (m == nullptr || series_ == nullptr || m->subModuleChartMesh() != nullptr) return;
  TempData* frame = frameOf(m);
  if (frame == nullptr || !applyFrame(*frame)) return;
  // A mesh shows one picture: the one it showed before no longer points here.
  if (CModuleInputJpg* old = picture_.data(); old != nullptr && old != m && old->subModuleChartMesh() == this)
    bindPicture(old, false);
  picture_ = m;
  if (CInputBase* in = m->input()) pictureName_ = in->inputNameAbs();
  bindPicture(m, true);
}

void CModuleChartMesh::graphs_updateTexture(QObject* pictureModule) {
  if (pictureModule == nullptr || pictureModule != picture_.data() || series_ == nullptr) return;
  TempData* frame = frameOf(picture_.data());
  if (frame == nullptr || frame->head == nullptr || frame->image == nullptr) return;
  const int w = frame->head->width, h = frame->head->height;
  QImage texture(w, h, QImage::Format_RGB32);
  if (texture.isNull()) return;
  for (int i = 0; i < h; ++i) std::memcpy(texture.scanLine(i), frame->image + qsizetype(i) * w, size_t(w) * 4);
  series_->setTexture(texture);
  if (QSurfaceDataProxy* proxy = series_->dataProxy()) emit proxy->arrayReset();
}

void CModuleChartMesh::saveModuleData() {
  // A detached mesh still names the picture it showed.
  setModuleData(picture_ && picture_->input() ? picture_->input()->inputNameAbs() : pictureName_);
}

void CModuleChartMesh::loadModuleData() {
  CInputManager* inputs = managers().inputs;
  if (inputs == nullptr) return;
  auto* m = qobject_cast<CModule*>(inputs->input_findModule(moduleData()));
  if (m != nullptr && m->moduleType() == TypeInputJpg) graphs_update(m);
}
