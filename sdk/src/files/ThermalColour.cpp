// Colouring and measurement of the thermal file handle (whose stretch engine and palette copy
// TF_Create / TF_Free in ThermalFile.cpp own): TF_ReadFrame colours through the stretch engine;
// TF_CreateMeaResultData runs the measurement engine over every frame of a stream.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "alg/image/Stretch.h"
#include "files/Blocks.h"
#include "files/ThermalFileInternal.h"
#include "ostrel/OstrelAlgFrame.h"

namespace ostrel::files {

namespace {

StretchContext* engine(TFContext* c) {
  return static_cast<StretchContext*>(c->stretch);
}

const uint32_t* currentPalette(TFContext* c) {
  return static_cast<PaletteData*>(c->palettes)[c->paletteIndex].colors;
}

// Reads (stream) or picks (picture) the frame and colours it into its slot.
int readColoured(TFContext* c, int index, FrameSlot** out) {
  if (!c->stretch || !c->palettes) return OSTREL_E_STATE;
  int mode = c->mode.load();
  FrameSlot* slot = &c->slots[0];
  if (mode == TfOpenType_Stream) {
    int rc = tfReadStreamFrame(c, index, false, &slot);
    if (rc < 0) return rc;
  } else if (mode != TfOpenType_Picture) {
    return OSTREL_E_STATE;
  }
  int rc = strTemp2Bgra(engine(c), slot->data, slot->head, slot->bgra, currentPalette(c));
  if (rc < 0) return rc;
  *out = slot;
  return 0;
}

// The legend of the last coloured frame: 85 steps from the lower cut to the mean, 171 from the
// mean to the upper cut, in the engine's 16-bit code arithmetic.
void fillColorMap(TFContext* c, TFColorMap* map) {
  ostrel::alg::StretchContextView v = ostrel::alg::stretchView(engine(c));
  const uint32_t* palette = currentPalette(c);
  map->minCode = static_cast<uint16_t>(v.lowest);
  map->lowCode = static_cast<uint16_t>(v.lowTail);
  map->highCode = static_cast<uint16_t>(v.highTail);
  map->maxCode = static_cast<uint16_t>(v.highest);
  int32_t m = v.mean;
  int32_t step1 = (m - v.lowTail) / 85;
  int32_t step2 = (v.highTail - m) / 170;
  for (int i = 0; i < 256; ++i) {
    int32_t step = i < 85 ? step1 : step2;
    int16_t code = static_cast<int16_t>((i - 85) * step + m);
    map->entries[i].code = code;
    map->entries[i].reserved = 0;
    map->entries[i].color = palette[v.level[code]];
  }
}

}  // namespace

void tfApplyStretch(TFContext* c, const uint8_t ctl[64]) {
  if (!c->stretch) return;
  StretchCtl s;
  memcpy(&s, ctl, sizeof s);
  strSetCtl(engine(c), &s);
}

}  // namespace ostrel::files

using namespace ostrel::files;

extern "C" OSTREL_API int TF_SetImage(TFContext* c, int paletteIndex, const StretchCtl* ctl) {
  if (!c) return OSTREL_E_HANDLE;
  if (c->mode.load() == TfOpenType_Closed) return OSTREL_E_STATE;
  if (paletteIndex >= 0 && paletteIndex < c->paletteCount) c->paletteIndex = paletteIndex;
  if (ctl) {
    memcpy(c->stretchCtl, ctl, sizeof c->stretchCtl);
    tfApplyStretch(c, c->stretchCtl);
  }
  return 0;
}

extern "C" OSTREL_API int TF_ReadFrame(TFContext* c, int index, TFFrame* frame) {
  if (!c) return OSTREL_E_HANDLE;
  if (!frame) return OSTREL_E_ARGUMENT;
  FrameSlot* slot;
  int rc = readColoured(c, index, &slot);
  if (rc < 0) return rc;
  tfFillFrame(slot, frame);
  return 0;
}

extern "C" OSTREL_API int TF_ReadFrameWithMap(TFContext* c, int index, TFFrame* frame, TFColorMap* map) {
  if (!c) return OSTREL_E_HANDLE;
  if (!frame || !map) return OSTREL_E_ARGUMENT;
  FrameSlot* slot;
  int rc = readColoured(c, index, &slot);
  if (rc < 0) return rc;
  tfFillFrame(slot, frame);
  fillColorMap(c, map);
  return 0;
}

extern "C" OSTREL_API int TF_CreateMeaResultData(TFContext* c, const MeaItemList* list, MeaResultData** out) {
  if (!c) return OSTREL_E_HANDLE;
  if (!out) return OSTREL_E_ARGUMENT;
  *out = nullptr;
  if (c->mode.load() != TfOpenType_Stream) return OSTREL_E_STATE;
  if (!list || list->count < 1 || list->count > 32) return OSTREL_E_ARGUMENT;
  // frames < 2^31 and items <= 32: the 64-bit size cannot overflow, but it may exceed size_t.
  uint64_t frames = static_cast<uint64_t>(c->frameCount), items = static_cast<uint64_t>(list->count);
  uint64_t bytes = sizeof(MeaResultData) + frames * sizeof(int64_t) + frames * items * sizeof(MeaResult);
  if (bytes > SIZE_MAX / 2) return OSTREL_E_NO_MEMORY;
  auto* block = static_cast<MeaResultData*>(calloc(1, static_cast<size_t>(bytes)));
  if (!block) return OSTREL_E_NO_MEMORY;
  block->frameCount = c->frameCount;
  block->itemCount = list->count;
  block->times = reinterpret_cast<int64_t*>(block + 1);
  block->results = reinterpret_cast<MeaResult*>(block->times + frames);
  FrameSlot* slot = &c->slots[c->ring.fetch_add(1) % kRingSlots];
  FileSource src(c->file);
  int rc = 0;
  for (int32_t f = 0; f < c->frameCount && rc == 0; ++f) {
    int64_t at = c->geometry.firstFrame + static_cast<int64_t>(f) * c->geometry.frameSize;
    rc = src.readAt(at, slot->head, static_cast<size_t>(c->geometry.frameSize));
    if (rc < 0) break;
    if (slot->head->width != c->width || slot->head->height != c->height) {
      rc = OSTREL_E_MISMATCH;
      break;
    }
    block->times[f] = slot->head->time;
    for (int i = 0; i < list->count && rc == 0; ++i)
      rc = VEZ2024_GetResult(&list->items[i], slot->head, slot->data,
                             &block->results[static_cast<int64_t>(f) * list->count + i]);
  }
  if (rc < 0) {
    free(block);
    return rc;
  }
  *out = block;
  return 0;
}
