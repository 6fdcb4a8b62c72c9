#include "modules/CModuleInputStream.h"

#include <QCoreApplication>
#include <cstdlib>
#include <cstring>

#include "foundation/Logger.h"
#include "inputs/CInputManager.h"

QString fileFrameInfo(const DataFrameHead* h);

namespace {
// A canvas holds the whole-image item and up to 39 more.
constexpr int kCanvasItemsMax = 40;
}  // namespace

CModuleInputStream::CModuleInputStream(QObject* parent) : CModuleInputFileBase(TypeInputStream, parent) {
  qRegisterMetaType<TempData*>("TempData*");
  qRegisterMetaType<MeaResultData*>("MeaResultData*");
  connect(this, &CModuleInputStream::dataRecved_Signal, this, &CModuleInputStream::dataRecved_Slot);
}

CModuleInputStream::~CModuleInputStream() {
  if (isAttached()) release();
  std::lock_guard<std::mutex> lock(inboxMutex_);
  std::free(inboxData_);
  inboxData_ = nullptr;
}

int CModuleInputStream::init(CInputBase* input, CFrame* frame) {
  auto* in = qobject_cast<CInputStream*>(input);
  if (in == nullptr) {
    ostrel::logPrintf(ostrel::logDefault(), ostrel::LOG_ERROR, "%s,%d,%s:\ninvalid input, inputType %d\n\n",
                      "TabFrameModule\\CModuleInputStream", __LINE__, "CModuleInputStream::init",
                      input != nullptr ? input->inputType() : 0);
    return -8;
  }
  if (in->playerRunning()) return -7;
  const int r = CModule::init(input, frame);
  if (r < 0) return r;
  setViewName(QStringLiteral("%1").arg(in->fileName()));
  in->setConsumer(this, &CModuleInputStream::frameCallback, &CModuleInputStream::meaCallback);
  return 0;
}

void CModuleInputStream::detach() {
  if (!isAttached()) return;
  release();
}

void CModuleInputStream::release() {
  QPointer<CInputBase> in = input();
  unloadData();
  // The input must not keep calling into a module that has left it.
  if (CInputStream* s = stream()) s->setConsumer(nullptr, nullptr, nullptr);
  detachBase();
  if (CInputManager* m = managers().inputs; m != nullptr && !in.isNull()) m->file_delete(in.data());
}

int CModuleInputStream::frameCount() const {
  CInputStream* s = stream();
  return s != nullptr ? s->frameCount() : 0;
}

void CModuleInputStream::frameCallback(int status, FrameSlot* slot, void* user) {
  auto* self = static_cast<CModuleInputStream*>(user);
  if (self != nullptr) emit self->dataRecved_Signal(status, slot);
}

void CModuleInputStream::meaCallback(int status, MeaResultData* data, void* user) {
  auto* self = static_cast<CModuleInputStream*>(user);
  if (self == nullptr) {
    std::free(data);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(self->inboxMutex_);
    std::free(self->inboxData_);
    self->inboxFull_ = true;
    self->inboxCode_ = status;
    self->inboxData_ = status >= 0 ? data : nullptr;
    if (status < 0) std::free(data);
  }
  QMetaObject::invokeMethod(self, &CModuleInputStream::onMeaResultReady, Qt::QueuedConnection);
}

int CModuleInputStream::loadData() {
  CInputStream* in = stream();
  if (in == nullptr) return -7;
  if (in->isOpen()) return 0;
  const int r = in->open();
  if (r < 0) return r;
  if (playMode_ != 1) {
    in->setPlayMode(1);
    playMode_ = 1;
    emit playModeChanged();
  }
  emit frameCountChanged();
  loaded_ = true;
  ModuleCanvas* c = canvas();
  if (c == nullptr) return 0;
  c->setTfm_module(this);
  const int b = c->beginUpdate(in->dataWidth(), in->dataHeight());
  applyConf(*in->fileConf());
  return b;
}

void CModuleInputStream::dataRecved_Slot(int status, TempData* frame) {
  CInputStream* in = stream();
  if (!loaded_ || status != 0 || frame == nullptr || in == nullptr) {
    if (in != nullptr) in->frameConsumed();
    return;
  }
  ModuleCanvas* c = canvas();
  if (c != nullptr && showInfo())
    c->setInfoText(fileFrameInfo(frame->head) + QString::asprintf(" | index %05d", frame->head->frameIndex));
  currentFrame_ = frame;
  if (c != nullptr) c->updateData(frame);
  frame->frameNumber = frame->frameIndex;
  frameCurrent_ = frame->frameIndex;
  emit frameCurrentChanged();
  // The canvas has taken the frame: the player may read the next one.
  in->frameConsumed();
}

void CModuleInputStream::seek(int index) {
  if (CInputStream* in = stream()) in->seek(index);
}

void CModuleInputStream::setPlayMode(int mode) {
  if (mode < 0 || mode > 4 || mode == playMode_) return;
  if (CInputStream* in = stream()) in->setPlayMode(mode);
  playMode_ = mode;
  emit playModeChanged();
}

int CModuleInputStream::applyImageConfig() {
  CInputStream* in = stream();
  if (in == nullptr || !in->isOpen()) return -7;
  const int palette = imageConfig()->paletteType();
  StretchCtl settings{};
  imageConfig()->toParams(&settings);
  const int r = in->setImage(palette, &settings);
  if (r < 0) return r;
  showPalette();
  in->seek(frameCurrent_);
  return r;
}

void CModuleInputStream::unloadData() {
  CInputStream* in = stream();
  if (in == nullptr || !in->isOpen()) return;
  loaded_ = false;
  currentFrame_ = nullptr;
  in->stopThread();
  // Frames posted by the stopped player point into a file about to close.
  QCoreApplication::removePostedEvents(this, QEvent::MetaCall);
  // A measurement that ended before the stop is still delivered; one the player never ran is
  // reported as failed, so a chart waiting for it does not wait for ever.
  onMeaResultReady();
  if (requestPending_) {
    requestPending_ = false;
    requestItems_.clear();
    emit meaResultDataFailed(this, -7);
  }
  if (input_saveConfirmed()) saveInput();
  if (ModuleCanvas* c = canvas()) c->endUpdate();
  in->close();
}

int CModuleInputStream::requestMeaResult(const QList<QObject*>& wanted) {
  CInputStream* in = stream();
  if (in == nullptr || !in->isOpen() || !in->playerRunning() || requestPending_) return -7;
  ModuleCanvas* c = canvas();
  if (c == nullptr) return -8;
  MeaItem defs[kCanvasItemsMax];
  int n = c->getItemDefs(defs, kCanvasItemsMax);
  if (n > kCanvasItemsMax) n = kCanvasItemsMax;
  const QList<QObject*> objects = c->itemObjects();
  if (n <= 0 || objects.size() != n) return -8;
  // The charts' items go first, so the engine's limit drops only items nobody charts.
  QList<int> order;
  for (QObject* w : wanted) {
    const int i = static_cast<int>(objects.indexOf(w));
    if (w != nullptr && i >= 0 && !order.contains(i)) order.append(i);
  }
  for (int i = 0; i < n; ++i)
    if (!order.contains(i)) order.append(i);
  if (order.size() > kMaxMeaItems) order.resize(kMaxMeaItems);
  const int count = static_cast<int>(order.size());
  auto* list = static_cast<MeaItemList*>(std::malloc(4 + sizeof(MeaItem) * static_cast<size_t>(count)));
  if (list == nullptr) return -5;
  list->count = count;
  QList<QPointer<QObject>> items;
  for (int k = 0; k < count; ++k) {
    std::memcpy(&list->items[k], &defs[order[k]], sizeof(MeaItem));
    items.append(objects[order[k]]);
  }
  const int r = in->requestMeaResult(list);
  if (r < 0) {
    // Refused: the list is still ours.
    std::free(list);
    return r;
  }
  requestItems_ = items;
  requestPending_ = true;
  return r;
}

void CModuleInputStream::onMeaResultReady() {
  int code = 0;
  MeaResultData* data = nullptr;
  {
    std::lock_guard<std::mutex> lock(inboxMutex_);
    if (!inboxFull_) return;
    inboxFull_ = false;
    code = inboxCode_;
    data = inboxData_;
    inboxData_ = nullptr;
  }
  requestPending_ = false;
  resultItems_ = requestItems_;
  requestItems_.clear();
  if (data == nullptr) {
    resultData_ = nullptr;
    emit meaResultDataFailed(this, code < 0 ? code : -1);
    return;
  }
  resultData_ = data;
  const bool taken = isSignalConnected(QMetaMethod::fromSignal(&CModuleInputStream::meaResultDataCreated));
  emit meaResultDataCreated(this, data);
  // Nobody to free it.
  if (!taken) {
    resultData_ = nullptr;
    std::free(data);
  }
}

int CModuleInputStream::fillSeries(const MeaResultData* data, const QList<QObject*>& seriesItems,
                                   const SeriesFill& fill) {
  CInputStream* in = stream();
  if (in == nullptr || !in->isOpen()) return -7;
  if (data == nullptr || data != resultData_ || !fill) return -8;
  const int itemCount = data->itemCount;
  if (itemCount != resultItems_.size() || data->frameCount < 0 || (data->frameCount > 0 && data->results == nullptr))
    return -8;
  for (int k = 0; k < seriesItems.size(); ++k) {
    QObject* item = seriesItems[k];
    if (item == nullptr) continue;
    int idx = -1;
    for (int i = 0; i < resultItems_.size(); ++i)
      if (resultItems_[i].data() == item) {
        idx = i;
        break;
      }
    if (idx < 0 || idx >= itemCount) continue;
    fill(k, data->times, data->results + idx, itemCount, data->frameCount);
  }
  return 0;
}
