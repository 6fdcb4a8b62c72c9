// Stream files written by the project's own recording writer.
#pragma once

#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "files/StreamFile.h"

namespace playbacktest {

// Writes frames (all of one size) as a stream recording; 0 or the writer's error.
inline int writeStream(const std::string& path, const std::vector<ostrel::test::TestFrame>& frames) {
  const int w = frames[0].width(), h = frames[0].height();
  TempStreamGeometry g;
  if (TempStream_Geometry(w, h, 1, int64_t(0xFFFF) * 0xFFFF, &g) != 0) return -8;
  TempFileHead head{};
  std::snprintf(head.cameraId, sizeof head.cameraId, "%s", "WRITER-1");
  head.fpsNum = 25;
  head.fpsDiv = 1;
  head.paletteIndex = 5;
  head.version = 1;
  std::vector<uint8_t> area(size_t(g.firstFrame));
  if (TempStream_BuildHeadArea(&g, &head, area.data(), int64_t(area.size())) != 0) return -5;
  ostrel::files::StreamWriter writer;
  int rc = writer.create(path.c_str(), g, area.data());
  if (rc != 0) return rc;
  std::vector<uint32_t> cover(size_t(g.pixels));
  for (size_t i = 0; i < cover.size(); ++i) cover[i] = 0xFF000000u | uint32_t(i * 2654435761u >> 8);
  if ((rc = writer.writeCover(cover.data())) != 0) return rc;
  for (const auto& f : frames)
    if ((rc = writer.appendFrame(&f.head, f.codes.data())) != 0) return rc;
  return writer.close();
}

}  // namespace playbacktest
