// The exporter's rates: a plain MP4 of a 640 x 512 recording beside the ffmpeg command encoding
// the same coloured frames with the same settings (libx264 veryfast, zerolatency, no B-frames,
// the same GOP and 4000 kbit/s), a 720 x 512 MP4 with items and bar burnt in, one 640 x 512
// picture with 32 items and its blocks, and a cut of the recording to tmpfs.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QDir>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "BenchLevel.h"
#include "FrameKit.h"
#include "PaintResources.h"
#include "files/StreamFile.h"
#include "exporter/ImageExporter.h"

namespace {

constexpr int kW = 640, kH = 512, kFrames = 500, kFps = 25;

// Scratch files on tmpfs when there is one, so the disk does not set the pace.
QString scratchRoot() { return QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath(); }

struct Fixture {
  QTemporaryDir dir{scratchRoot() + "/bench_exporter-XXXXXX"};
  QString stream;
  QString bgra;  // the coloured frames, back to back, for the ffmpeg command
  std::vector<uint32_t> cover;  // frame 0 coloured: the picture a module would show

  Fixture() {
    stream = dir.filePath("bench.stream");
    TempStreamGeometry g;
    TempStream_Geometry(kW, kH, TF_MIN_PIXELS, TF_MAX_PIXELS, &g);
    std::vector<uint8_t> area(size_t(g.firstFrame));
    TempFileHead head{};
    head.width = kW;
    head.height = kH;
    head.fpsNum = kFps;
    head.fpsDiv = 1;
    TempStream_BuildHeadArea(&g, &head, area.data(), int64_t(area.size()));
    ostrel::files::StreamWriter w;
    const QByteArray p = stream.toUtf8();
    w.create(p.constData(), g, area.data());
    for (int f = 0; f < kFrames; ++f) {
      // A scene as a camera sees it: a warm gradient with sensor noise on top.
      ostrel::test::TestFrame t = ostrel::test::noiseFrame(kW, kH, 0, 15, uint32_t(f + 1));
      for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) t.at(x, y) = int16_t(t.at(x, y) + 2500 + 2 * x + y + ((x - 320) * (x - 320) + (y - 256 + f) * (y - 256 + f) < 6400 ? 900 : 0));
      t.head.frameIndex = uint16_t(f);
      w.appendFrame(&t.head, t.codes.data());
    }
    w.close();
    // The frames as the exporter colours them, for the peer.
    bgra = dir.filePath("frames.bgra");
    FILE* out = std::fopen(bgra.toUtf8().constData(), "wb");
    TFContext* tf = TF_Create();
    if (out != nullptr && tf != nullptr && TF_Open(tf, p.constData(), TfOpenType_Stream) == 0) {
      for (int f = 0; f < kFrames; ++f) {
        TFFrame fr{};
        if (TF_ReadFrame(tf, f, &fr) != 0) continue;
        std::fwrite(fr.bgra, 4, size_t(kW) * kH, out);
        if (f == 0) cover.assign(fr.bgra, fr.bgra + size_t(kW) * kH);
      }
    }
    TF_Free(&tf);
    if (out != nullptr) std::fclose(out);
    cover.resize(size_t(kW) * kH, 0xFF202020u);
  }
};

Fixture& fixture() {
  static Fixture f;
  return f;
}

MeaItem item(int type, int x0, int y0, int x1, int y1) {
  MeaItem m{};
  std::snprintf(m.name, sizeof m.name, "I%d", x0);
  m.meaColor = 0x00FF00;
  m.meaType = uint8_t(type);
  m.meaFlags = 3;
  m.pointCount = 2;
  m.points[0] = MeaPoint{uint16_t(x0), uint16_t(y0)};
  m.points[1] = MeaPoint{uint16_t(x1), uint16_t(y1)};
  return m;
}

ExportJob* job(int kind, int items, ExportSettings settings, int begin = 0, int end = 0) {
  ExportJob* j = ImageExporter::newJob(kW, kH);
  TempFileConf& c = *j->conf;
  c.magic = TF_CONF_MAGIC;
  c.width = kW;
  c.height = kH;
  c.fpsNum = kFps;
  c.fpsDiv = 1;
  c.frameCount = kFrames;
  c.paletteIndex = 5;
  StretchContext* s = strCreate();
  StretchCtl ctl{};
  strGetCtl(s, &ctl);
  strFree(s);
  std::memcpy(c.stretchCtl, &ctl, sizeof ctl);
  c.meaCount = items;
  for (int i = 0; i < items; ++i) {
    const int type = i == 0 ? 0 : (i % 3 == 0 ? 1 : (i % 3 == 1 ? 9 : 6));
    const MeaItem m = item(type, 10 + 18 * i, 10 + 14 * i, 40 + 18 * i, 30 + 14 * i);
    std::memcpy(c.meaItems[i], &m, sizeof m);
  }
  std::memcpy(j->image, fixture().cover.data(), fixture().cover.size() * 4);
  j->kind = kind;
  j->settings = settings;
  std::strncpy(j->source, fixture().stream.toUtf8().constData(), sizeof j->source - 1);
  j->begin = begin;
  j->end = end;
  j->interval = begin > 0 ? 1 : 0;
  return j;
}

double processCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

double seconds(std::chrono::steady_clock::time_point a, std::chrono::steady_clock::time_point b) {
  return std::chrono::duration<double>(b - a).count();
}

void BM_Mp4PlainVsFfmpeg(benchmark::State& state) {
  Fixture& f = fixture();
  ExportWorker worker;
  const QString ours = f.dir.filePath("plain.mp4");
  const std::string peer = f.dir.filePath("peer.mp4").toStdString();
  const std::string cmd = "ffmpeg -v error -y -f rawvideo -pix_fmt bgra -s 640x512 -r 25 -i '" + f.bgra.toStdString() +
                          "' -c:v libx264 -preset veryfast -tune zerolatency -bf 0 -g 25 -b:v 4000k -pix_fmt yuv420p '" +
                          peer + "'";
  double oursSum = 0, peerSum = 0;
  for (auto _ : state) {
    const auto t0 = std::chrono::steady_clock::now();
    const int rc = worker.run(ours, job(3, 0, ExportSettings{0, false, false}));
    const auto t1 = std::chrono::steady_clock::now();
    const int prc = std::system(cmd.c_str());
    const auto t2 = std::chrono::steady_clock::now();
    if (rc != 0 || prc != 0) state.SkipWithError("export or ffmpeg failed");
    oursSum += seconds(t0, t1);
    peerSum += seconds(t1, t2);
    state.SetIterationTime(seconds(t0, t1));
  }
  const double oursFps = kFrames * double(state.iterations()) / oursSum;
  const double peerFps = kFrames * double(state.iterations()) / peerSum;
  state.counters["ours_fps"] = oursFps;
  state.counters["ffmpeg_fps"] = peerFps;
  state.counters["ratio"] = oursFps / peerFps;
  std::printf("plain MP4 640x512, %d frames: exporter %.1f frames/s, ffmpeg command %.1f frames/s, ratio %.2f\n",
              kFrames, oursFps, peerFps, oursFps / peerFps);
}
BENCHMARK(BM_Mp4PlainVsFfmpeg)->Iterations(3)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_Mp4Overlay720x512(benchmark::State& state) {
  ExportWorker worker;
  const QString out = fixture().dir.filePath("overlay.mp4");
  constexpr int kCount = 100;
  const double cpu0 = processCpuSeconds();
  for (auto _ : state) {
    if (worker.run(out, job(3, 8, ExportSettings{2, true, false}, 1, kCount + 1)) != 0)
      state.SkipWithError("export failed");
  }
  const double cpu = processCpuSeconds() - cpu0;
  state.counters["fps"] = benchmark::Counter(double(kCount) * double(state.iterations()), benchmark::Counter::kIsRate);
  state.counters["goal_fps"] = 100;
  // The CPU time of every thread (encoder and conversion threads included) per frame: on a busy
  // machine the steadier figure for comparing two builds.
  state.counters["cpu_ms_per_frame"] = 1000.0 * cpu / (double(kCount) * double(state.iterations()));
}
BENCHMARK(BM_Mp4Overlay720x512)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Picture32Items(benchmark::State& state) {
  ExportWorker worker;
  const QString out = fixture().dir.filePath("picture.jpg");
  for (auto _ : state) {
    state.PauseTiming();
    ExportJob* j = job(1, 32, ExportSettings{2, true, true});
    state.ResumeTiming();
    if (worker.run(out, j) != 1) state.SkipWithError("export failed");
  }
  state.counters["goal_ms"] = 60;
}
BENCHMARK(BM_Picture32Items)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CutToTmpfs(benchmark::State& state) {
  ExportWorker worker;
  const QString out = fixture().dir.filePath("cut.stream");
  const double bytes = double(kFrames) * (2.0 * kW * kH + 128);
  for (auto _ : state) {
    if (worker.run(out, job(2, 4, ExportSettings{2, true, true})) != 0) state.SkipWithError("cut failed");
  }
  state.counters["MB/s"] = benchmark::Counter(bytes / 1e6 * double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_CutToTmpfs)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  initPaintResources();
  applyBenchLevel();
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
