// Stream files: appending 1280 x 1024 frames, and reading and colouring 640 x 512 frames from the
// page cache.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "FrameKit.h"
#include "files/StreamFile.h"
#include "files/ThermalFileInternal.h"

using namespace ostrel::files;

namespace {

std::string scratchPath(const char* name) {
  return std::string("/tmp/ostrel-bench-") + std::to_string(getpid()) + "-" + name;
}

// Writes a stream of `frames` noise frames of w x h; returns false on failure.
bool writeStream(const std::string& path, int w, int h, int frames) {
  TempStreamGeometry g;
  if (TempStream_Geometry(w, h, TF_MIN_PIXELS, TF_MAX_PIXELS, &g) != 0) return false;
  TempFileHead head{};
  std::vector<uint8_t> area(static_cast<size_t>(g.firstFrame));
  TempStream_BuildHeadArea(&g, &head, area.data(), g.firstFrame);
  StreamWriter wr;
  if (wr.create(path.c_str(), g, area.data()) != 0) return false;
  auto frame = ostrel::test::noiseFrame(w, h, 3000, 400, 7, 10);
  for (int i = 0; i < frames; ++i) {
    frame.head.frameIndex = static_cast<uint16_t>(i);
    if (wr.appendFrame(&frame.head, frame.codes.data()) != 0) return false;
  }
  return wr.close() == 0;
}

}  // namespace

// One recorded frame of the largest size: 128-byte head plus 2.5 MiB of codes.
static void BM_AppendFrame1280x1024(benchmark::State& state) {
  std::string path = scratchPath("append.stream");
  TempStreamGeometry g;
  TempStream_Geometry(1280, 1024, TF_MIN_PIXELS, TF_MAX_PIXELS, &g);
  TempFileHead head{};
  std::vector<uint8_t> area(static_cast<size_t>(g.firstFrame));
  TempStream_BuildHeadArea(&g, &head, area.data(), g.firstFrame);
  auto frame = ostrel::test::noiseFrame(1280, 1024, 3000, 400, 3, 10);
  StreamWriter wr;
  if (wr.create(path.c_str(), g, area.data()) != 0) {
    state.SkipWithError("cannot create the stream");
    return;
  }
  for (auto _ : state) {
    if (wr.appendFrame(&frame.head, frame.codes.data()) != 0) {
      state.SkipWithError("append failed");
      break;
    }
    // Start a new file every 64 frames (168 MB) so the run does not fill the disk.
    if (wr.framesWritten() == 64) {
      state.PauseTiming();
      wr.create(path.c_str(), g, area.data());
      state.ResumeTiming();
    }
  }
  wr.close();
  remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * g.frameSize);
}
BENCHMARK(BM_AppendFrame1280x1024)->Unit(benchmark::kMillisecond)->Iterations(1000);

// The same bytes through plain write(2) calls: what the disk and page cache allow on this machine.
static void BM_PlainWrite1280x1024(benchmark::State& state) {
  std::string path = scratchPath("plain.bin");
  const size_t frameSize = 2 * 1280 * 1024 + 128;
  std::vector<uint8_t> bytes(frameSize, 0x5a);
  FILE* f = fopen(path.c_str(), "wb");
  int written = 0;
  for (auto _ : state) {
    if (write(fileno(f), bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
      state.SkipWithError("write failed");
      break;
    }
    if (++written == 64) {
      state.PauseTiming();
      fclose(f);
      f = fopen(path.c_str(), "wb");
      written = 0;
      state.ResumeTiming();
    }
  }
  fclose(f);
  remove(path.c_str());
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(frameSize));
}
BENCHMARK(BM_PlainWrite1280x1024)->Unit(benchmark::kMillisecond)->Iterations(1000);

// One coloured 640 x 512 frame through TF_ReadFrame: seek, read 640 KiB from the page cache and
// run the stretch engine with the palette. Reported as milliseconds per frame.
static void BM_ReadFrame640x512(benchmark::State& state) {
  constexpr int kFrames = 16;
  std::string path = scratchPath("read.stream");
  if (!writeStream(path, 640, 512, kFrames)) {
    state.SkipWithError("cannot write the stream");
    return;
  }
  TFContext* ctx = TF_Create();
  if (!ctx || TF_Open(ctx, path.c_str(), TfOpenType_Stream) != 0) {
    state.SkipWithError("cannot open the stream");
    TF_Free(&ctx);
    remove(path.c_str());
    return;
  }
  int index = 0;
  TFFrame frame;
  for (auto _ : state) {
    if (TF_ReadFrame(ctx, index, &frame) != 0) {
      state.SkipWithError("read failed");
      break;
    }
    benchmark::DoNotOptimize(frame.bgra[0]);
    index = (index + 1) % kFrames;
  }
  TF_Free(&ctx);
  remove(path.c_str());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ReadFrame640x512)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
