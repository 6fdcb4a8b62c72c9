// The preview slot table and the exports that start, stop, pause and tune previews.
//
// Locking: the SDK lock guards the table. A start claims a slot under it, then releases it for
// the model probe and the worker set-up (network exchanges), and takes it again to publish. A stop
// marks the slot stopping under the lock, then wakes and joins the preview's threads outside it
// (a callback may call other exports meanwhile), and frees the slot under the lock again.
#include <cstring>
#include <memory>

#include "OstrelSDK.h"
#include "foundation/Logger.h"
#include "frame/SdkLifecycle.h"
#include "frame/SdkState.h"
#include "alg/frame/Palette.h"
#include "link/LoginSessions.h"
#include "link/PreviewAccess.h"
#include "preview/FrameQueue.h"
#include "preview/TempPreview.h"
#include "preview/VideoPreview.h"
#include "preview/WindowRender.h"

namespace ostrel::sdk {

namespace {

enum class SlotState { Free, Starting, Running, Stopping };

struct PreviewSlot {
  SlotState state = SlotState::Free;
  int userId = -1;  // the login it was started from (-1: RTSP)
  PreviewCamera camera;
  PreviewInfo info{};
  int transform = 0;
  bool twoThread = false;
  bool colouring = true;
  int paletteIndex = 5;
  FrameQueue* queue = nullptr;
  PreviewTempInput* temp = nullptr;
  render::TempRenderer* renderer = nullptr;
  VideoPreviewInput* video = nullptr;
  render::VideoRenderer* videoRenderer = nullptr;
  RtspPreviewInput* rtsp = nullptr;  // owns its store and renderer
};

PreviewSlot g_slots[kSlotCount];  // guarded by sdkLock()

// Frames that wait in the hand-off ring of the two-thread mode must stay intact too: the store
// holds 16 delivered frames, 16 queued ones and the one being coloured.
constexpr uint32_t kTwoThreadRecords = 16 + FrameHandoff::kSlots + 1;

bool startsWith(const char* text, size_t capacity, const char* prefix) {
  size_t n = std::strlen(prefix);
  return n <= capacity && std::strncmp(text, prefix, n) == 0;
}

// Asks the camera for its filter records when its model needs them. Runs outside the SDK lock.
void modelProbe(PreviewSlot& s, const LoginPorts& ports) {
  const char* sw = s.camera.basic.softwareId;
  const size_t cap = sizeof s.camera.basic.softwareId;
  if (startsWith(sw, cap, "P9100T") || startsWith(sw, cap, "VNR")) {
    DestripInfoRecord rec{};
    if (readCameraRecord(s.camera.ip, ports.cmdPort, cmd::kGetDestripInfo, &rec, sizeof rec) == 0) s.camera.destrip = rec;
    s.twoThread = true;
  } else if (startsWith(sw, cap, "P9300") || startsWith(sw, cap, "P9600")) {
    DenoiseInfoRecord rec{};
    int rc = readCameraRecord(s.camera.ip, ports.cmdPort, cmd::kGetDenoiseInfo, &rec, sizeof rec);
    if (rc >= 0) s.camera.denoise = rec;
    if (rc == 0 && rec.type != 0) s.twoThread = true;
  }
}

void releaseParts(PreviewSlot& s) {
  delete s.temp;
  s.temp = nullptr;
  delete s.video;
  s.video = nullptr;
  if (s.videoRenderer) {
    render::videoRelease(s.videoRenderer);
    delete s.videoRenderer;
    s.videoRenderer = nullptr;
  }
  delete s.rtsp;
  s.rtsp = nullptr;
  if (s.renderer) {
    render::tempRelease(s.renderer);
    delete s.renderer;
    s.renderer = nullptr;
  }
  FrameQueue_Free(s.queue);
  s.queue = nullptr;
}

// Builds the temperature worker for a claimed slot (outside the SDK lock). Returns 0, -12, -13, -14.
int startTemperature(PreviewSlot& s, const uint32_t* palette) {
  const int w = s.camera.basic.dataWidth, h = s.camera.basic.dataHeight;
  s.queue = FrameQueue_CreateTemp(w, h, s.twoThread ? kTwoThreadRecords : 16);
  if (!s.queue) return OSTREL_E_RECEIVER;
  s.renderer = new (std::nothrow) render::TempRenderer;
  s.temp = new (std::nothrow) PreviewTempInput;
  if (!s.temp) return OSTREL_E_WORKER;
  if (!s.renderer) return OSTREL_E_THREAD;
  if (s.info.window) {
    if (render::tempCreate(s.renderer, w, h, reinterpret_cast<unsigned long>(s.info.window)) != 0)
      return OSTREL_E_THREAD;
    if (palette) render::tempSetPalette(s.renderer, palette);
  }
  int rc = s.temp->open(s.camera, s.queue, s.transform, s.twoThread, s.colouring, s.info.window ? s.renderer : nullptr,
                        s.info, palette);
  if (rc != 0) return OSTREL_E_WORKER;
  return s.temp->start(s.camera.basic.cameraId);
}

// Builds the video or mixed worker for a claimed slot (outside the SDK lock): 0, -12, -13, -14.
int startVideo(PreviewSlot& s) {
  const int w = s.camera.basic.imageWidth, h = s.camera.basic.imageHeight;
  s.queue = FrameQueue_CreateVideo(w, h);
  if (!s.queue) return OSTREL_E_RECEIVER;
  s.video = new (std::nothrow) VideoPreviewInput;
  if (!s.video) return OSTREL_E_WORKER;
  s.videoRenderer = new (std::nothrow) render::VideoRenderer;
  if (!s.videoRenderer) return OSTREL_E_WORKER;
  if (s.video->open(s.camera, s.info.dataType, s.queue, s.info.window ? s.videoRenderer : nullptr, s.info) != 0)
    return OSTREL_E_WORKER;
  if (render::videoCreate(s.videoRenderer, w, h, reinterpret_cast<unsigned long>(s.info.window)) != 0)
    return OSTREL_E_THREAD;
  return s.video->start();
}

int claimSlot() {
  for (int i = 0; i < kSlotCount; ++i)
    if (g_slots[i].state == SlotState::Free) {
      g_slots[i].state = SlotState::Starting;
      return i;
    }
  return OSTREL_E_NO_SLOT;
}

int startPreview(int userId, PreviewInfo* info, int transform, bool probe) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  if (!sdkSlotIdValid(userId)) return OSTREL_E_HANDLE;
  if (!info) return OSTREL_E_ARGUMENT;
  if (info->transport != 0) return OSTREL_E_UNSUPPORTED;
  const bool video = info->dataType == PREVIEW_VIDEO || info->dataType == PREVIEW_MIXED;
  if (info->dataType != PREVIEW_TEMPERATURE && !video) return OSTREL_E_FAILED;
  int id = -1;
  PreviewSlot staged;
  LoginPorts ports{};
  {
    std::lock_guard<std::mutex> lk(sdkLock());
    if (!copyLogin(userId, &staged.camera.ip, &ports, &staged.camera.basic, &staged.camera.fix))
      return OSTREL_E_HANDLE;
    for (int i = 0; i < kSlotCount; ++i)
      if (g_slots[i].state == SlotState::Free) {
        id = i;
        break;
      }
    if (id < 0) return OSTREL_E_NO_SLOT;
    g_slots[id].state = SlotState::Starting;
  }
  staged.camera.port = info->dataType == PREVIEW_VIDEO   ? ports.videoPort
                       : info->dataType == PREVIEW_MIXED ? ports.mixPort
                                                         : ports.tempPort;
  staged.userId = userId;
  staged.info = *info;
  staged.transform = transform;
  staged.twoThread = sdkConfig().previewEnableThread2 != 0;
  staged.colouring = sdkConfig().previewEnableInterProcess != 0;
  if (probe) modelProbe(staged, ports);
  int paletteCount = 0;
  const PaletteData* table = ostrel::alg::paletteTable(&paletteCount);
  const uint32_t* palette = paletteCount > 5 ? reinterpret_cast<const uint32_t*>(table[5].colors) : nullptr;
  int rc = video ? startVideo(staged) : startTemperature(staged, palette);
  std::lock_guard<std::mutex> lk(sdkLock());
  PreviewSlot& slot = g_slots[id];
  if (rc != 0) {
    releaseParts(staged);
    slot = PreviewSlot{};
    return rc;
  }
  slot = staged;
  slot.state = SlotState::Running;
  if (video) {
    info->width = staged.camera.basic.imageWidth;
    info->height = staged.camera.basic.imageHeight;
  } else if (info->window) {
    info->width = slot.renderer->entry->displayWidth;
    info->height = slot.renderer->entry->displayHeight;
  } else {
    info->width = info->height = 0;
  }
  slot.info.width = info->width;
  slot.info.height = info->height;
  return id;
}

// The running temperature slot for an export, under the SDK lock; null when none.
PreviewSlot* runningTemp(int previewId) {
  if (!sdkSlotIdValid(previewId)) return nullptr;
  PreviewSlot& s = g_slots[previewId];
  return (s.state == SlotState::Running && s.temp) ? &s : nullptr;
}

int stopPreview(int previewId) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  if (!sdkSlotIdValid(previewId)) return OSTREL_E_HANDLE;
  PreviewSlot work;
  {
    std::lock_guard<std::mutex> lk(sdkLock());
    PreviewSlot& s = g_slots[previewId];
    if (s.state != SlotState::Running) return 0;
    // A callback cannot stop its own preview: it would wait for itself.
    if ((s.temp && s.temp->isWorkerThread()) || (s.video && s.video->isWorkerThread()) ||
        (s.rtsp && s.rtsp->isWorkerThread()))
      return OSTREL_E_STATE;
    s.state = SlotState::Stopping;
    work = s;
  }
  if (work.temp) work.temp->stop();
  if (work.video) work.video->stop();
  if (work.rtsp) work.rtsp->stop();
  releaseParts(work);
  std::lock_guard<std::mutex> lk(sdkLock());
  g_slots[previewId] = PreviewSlot{};
  return 0;
}

void stopAllPreviews() {
  for (int i = 0; i < kSlotCount; ++i) stopPreview(i);
}

const ShutdownHook g_stopAll(10, &stopAllPreviews);

}  // namespace

}  // namespace ostrel::sdk

using namespace ostrel::sdk;

extern "C" OSTREL_API int Ostrel_StartPreview(int userId, PreviewInfo* info) {
  return startPreview(userId, info, 0, true);
}

extern "C" OSTREL_API int Ostrel_StartPreviewTempTransform(int userId, PreviewInfo* info, int transform) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  if (!info) return OSTREL_E_ARGUMENT;
  if (static_cast<unsigned>(transform) > 5 || info->dataType != PREVIEW_TEMPERATURE || info->window)
    return OSTREL_E_UNSUPPORTED;
  return startPreview(userId, info, transform, false);
}

extern "C" OSTREL_API int Ostrel_StopPreview(int previewId) { return stopPreview(previewId); }

extern "C" OSTREL_API int Ostrel_PausePreview(int previewId, int pause) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  if (!sdkSlotIdValid(previewId)) return OSTREL_E_HANDLE;
  std::lock_guard<std::mutex> lk(sdkLock());
  PreviewSlot& s = g_slots[previewId];
  if (s.state != SlotState::Running) return 0;
  if (s.temp) s.temp->setPaused(pause == 1);
  if (s.video) s.video->setPaused(pause == 1);
  if (s.rtsp) s.rtsp->setPaused(pause == 1);
  return 0;
}

extern "C" OSTREL_API int Ostrel_PreviewSetImage(int previewId, const StretchCtl* ctl, int palette) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  std::lock_guard<std::mutex> lk(sdkLock());
  PreviewSlot* s = runningTemp(previewId);
  if (!s) return OSTREL_E_HANDLE;
  // strSetCtl hands the record to the engine as pending settings, applied when the next frame
  // starts, so a running frame never sees half-changed tables.
  if (ctl) strSetCtl(s->temp->stretch(), ctl);
  int count = 0;
  const PaletteData* table = ostrel::alg::paletteTable(&count);
  if (palette >= 0 && palette < count && palette != s->paletteIndex) {
    s->paletteIndex = palette;
    s->temp->setPalette(reinterpret_cast<const uint32_t*>(table[palette].colors));
  }
  return 0;
}

extern "C" OSTREL_API int Ostrel_PreviewEnableMask(int previewId, int enable) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  std::lock_guard<std::mutex> lk(sdkLock());
  PreviewSlot* s = runningTemp(previewId);
  if (!s) return OSTREL_E_HANDLE;
  s->temp->enableMask(enable != 0);
  return 0;
}

extern "C" OSTREL_API int Ostrel_PreviewSetDelay(int previewId, unsigned delay) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  std::lock_guard<std::mutex> lk(sdkLock());
  PreviewSlot* s = runningTemp(previewId);
  if (!s) return OSTREL_E_HANDLE;
  if (delay > 15) return OSTREL_E_ARGUMENT;
  s->temp->setDelay(delay);
  return 0;
}

extern "C" OSTREL_API int Ostrel_StartPreviewRtsp(const RtspPreviewInfo* rtsp, PreviewInfo* info) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  if (!rtsp || !info) return OSTREL_E_ARGUMENT;
  int id;
  {
    std::lock_guard<std::mutex> lk(sdkLock());
    id = claimSlot();
    if (id < 0) return id;
  }
  info->dataType = PREVIEW_RTSP;
  RtspRequest request;
  request.url.assign(rtsp->url, strnlen(rtsp->url, sizeof rtsp->url));
  request.options = rtsp->options;
  request.wantPlane = rtsp->wantPlane != 0;
  PreviewSlot staged;
  staged.info = *info;
  staged.rtsp = new (std::nothrow) RtspPreviewInput;
  int rc = staged.rtsp ? staged.rtsp->open(request, static_cast<uint32_t>(sdkConfig().decoder), *info)
                       : OSTREL_E_WORKER;
  if (rc == 0) rc = staged.rtsp->start();
  std::lock_guard<std::mutex> lk(sdkLock());
  if (rc != 0) {
    releaseParts(staged);
    g_slots[id] = PreviewSlot{};
    return rc;
  }
  info->width = static_cast<uint16_t>(staged.rtsp->width());
  info->height = static_cast<uint16_t>(staged.rtsp->height());
  staged.info.width = info->width;
  staged.info.height = info->height;
  g_slots[id] = staged;
  g_slots[id].state = SlotState::Running;
  return id;
}

namespace {
// The running slot of a recording export, under the SDK lock; null when none.
PreviewSlot* runningSlot(int previewId) {
  if (!sdkSlotIdValid(previewId)) return nullptr;
  PreviewSlot& s = g_slots[previewId];
  return s.state == SlotState::Running ? &s : nullptr;
}

int beginSave(int previewId, const char* path, int type, int cadence) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  std::lock_guard<std::mutex> lk(sdkLock());
  PreviewSlot* s = runningSlot(previewId);
  if (!s) return OSTREL_E_HANDLE;
  if (!path) return OSTREL_E_ARGUMENT;
  if (s->temp) {
    if (type != 2 && type != 3) return OSTREL_E_UNSUPPORTED;
    if (s->temp->lost()) return OSTREL_E_STATE;
    if (type == 2) {
      // The login's correction record as last read or written, while it is still this camera's.
      const LoginSlot* login = loginSlotLocked(s->userId);
      if (login && login->cameraIp == s->camera.ip) s->temp->recorder().setFix(login->fix);
      return s->temp->recorder().beginStream(path, cadence);
    }
    return s->temp->recorder().beginVideo(path);
  }
  if (s->video) {
    if (type != 3) return OSTREL_E_UNSUPPORTED;
    return s->video->beginSave(path);
  }
  if (s->rtsp) {
    if (type == 3) return s->rtsp->beginSave(path);
    if (type == 1) return s->rtsp->snapshot(path);
    return OSTREL_E_SAVE_TYPE;
  }
  return OSTREL_E_HANDLE;
}
}  // namespace

extern "C" OSTREL_API int Ostrel_BeginSave(int previewId, const char* path, int type) {
  return beginSave(previewId, path, type, 0);
}

extern "C" OSTREL_API int Ostrel_BeginSaveStream(int previewId, const char* path, int cadence) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  {
    std::lock_guard<std::mutex> lk(sdkLock());
    PreviewSlot* s = runningSlot(previewId);
    if (!s || !s->temp) return OSTREL_E_HANDLE;
  }
  if (cadence < -100 || cadence > 100) return OSTREL_E_ARGUMENT;
  return beginSave(previewId, path, 2, cadence);
}

extern "C" OSTREL_API int Ostrel_EndSave(int previewId, int type) {
  if (!sdkInitialised()) return OSTREL_E_NOT_INIT;
  std::lock_guard<std::mutex> lk(sdkLock());
  PreviewSlot* s = runningSlot(previewId);
  if (!s) return OSTREL_E_HANDLE;
  if (s->temp) {
    if (type == 2) return s->temp->recorder().endStream();
    if (type == 3) return s->temp->recorder().endVideo();
    return 0;
  }
  if (s->video) return s->video->endSave();
  if (s->rtsp) return type == 3 ? s->rtsp->endSave() : OSTREL_E_SAVE_TYPE;
  return OSTREL_E_HANDLE;
}
