// Every golden file cut at every length goes through the loaders without reading outside what is
// there; in the sanitizer lane this is where an overread shows.
#include <memory>

#include "PlaybackFixture.h"
#include "files/FileIo.h"
#include "playback/Playback.h"

using namespace playbacktest;
using ostrel::files::MemorySource;

namespace {

// Opens bytes[0, len) as `type`; on success reads the cover and the first and last frames.
int openCut(PlaybackContext* h, const uint8_t* bytes, size_t len, int type, bool readFrames) {
  const int rc = ostrel::playback::openSource(h, std::make_unique<MemorySource>(bytes, len), nullptr, type);
  if (rc != 0) return rc;
  PlaybackCover cover{};
  EXPECT_EQ(OstrelPlayback_ReadCover(h, &cover), 0);
  EXPECT_LE(size_t(cover.imageSize), len);
  if (readFrames) {
    PreviewFrame f{};
    EXPECT_EQ(OstrelPlayback_ReadFrame(h, 0, &f), 0);
    if (type == 2) {
      EXPECT_EQ(OstrelPlayback_ReadFrame(h, h->frameCount - 1, &f), 0);
    }
  }
  return 0;
}

}  // namespace

TEST_F(PlaybackTest, GoldenFilesCutAtEveryLengthAreRefusedCleanly) {
  const std::pair<const char*, int> files[] = {{"legacy.bmp", 0},         {"stream3_conf.stream", 2},
                                               {"pic_conf.jpg", 1},       {"pic_dated.jpg", 4},
                                               {"pic_temp_only.jpg", 1}};
  for (const auto& [name, type] : files) {
    SCOPED_TRACE(name);
    const auto whole = golden().bytes(name);
    ASSERT_FALSE(whole.empty());
    int opened = 0;
    for (size_t len = 0; len < whole.size(); ++len) {
      // Most lengths read from the whole buffer (the source bounds them); every 97th from an
      // exact-size heap copy, so a read past the end would touch unowned memory.
      int rc;
      if (len % 97 == 0) {
        std::unique_ptr<uint8_t[]> copy(new uint8_t[len ? len : 1]);
        std::memcpy(copy.get(), whole.data(), len);
        rc = openCut(h, copy.get(), len, type, true);
      } else {
        rc = openCut(h, whole.data(), len, type, len % 1009 == 0);
      }
      ASSERT_LE(rc, 0) << len;
      if (rc == 0) {
        ++opened;
        // Only streams stay readable when cut: whole frames before the cut remain.
        EXPECT_EQ(type, 2) << len;
      } else {
        EXPECT_TRUE(rc == -198 || rc == -194 || rc == -193) << len << ": " << rc;
      }
    }
    if (type == 2) {
      EXPECT_GT(opened, 0);
    }
    EXPECT_EQ(openCut(h, whole.data(), whole.size(), type, true), 0);
  }
}
