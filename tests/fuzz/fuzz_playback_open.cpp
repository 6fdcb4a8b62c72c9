// The player's three loaders (legacy one-frame, picture, stream) over arbitrary bytes, then the
// cover and the first and last frames of whatever opened.
// ctest-labels: playback
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "OstrelSDK.h"
#include "files/FileIo.h"
#include "playback/Playback.h"

using namespace ostrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static PlaybackContext* h = [] {
    if (Ostrel_InitSDK() != 0) abort();
    return OstrelPlayback_Create();
  }();
  if (!h) abort();
  for (int type : {0, 1, 2}) {
    const int rc = playback::openSource(h, std::make_unique<files::MemorySource>(data, size), nullptr, type);
    if (rc > 0) abort();
    if (rc != 0) continue;
    PlaybackCover cover{};
    if (OstrelPlayback_ReadCover(h, &cover) != 0) abort();
    if (cover.imageSize < 0 || uint64_t(cover.imageSize) > size) abort();
    PreviewFrame f{};
    const int last = type == 2 ? h->frameCount - 1 : 0;
    for (int index : {0, last}) {
      const int r = OstrelPlayback_ReadFrame(h, index, &f);
      if (r > 0 || (r == 0 && (f.head->width != h->width || f.head->height != h->height))) abort();
    }
  }
  OstrelPlayback_CloseFile(h);
  return 0;
}
