// Per-frame cost of the stretch engine, denoise, destripe and detail enhancement, and OpenCV's
// guided filter on the same frame and radius. Prints ms/frame (Time), frames/s per core (fps),
// and at the end our denoise time / OpenCV's for each size.
#include <benchmark/benchmark.h>

#include <algorithm>

#include <opencv2/core.hpp>
#include <opencv2/ximgproc/edge_filter.hpp>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "alg/image/Destripe.h"

using namespace ostrel::test;

namespace {

constexpr int kRadius = 2;
constexpr int kStrength = 10;

// A thermal-looking frame: a gradient, a few warm blobs and noise (scale 100).
TestFrame scene(int w, int h) {
  TestFrame f = noiseFrame(w, h, 2500, 30, 42);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int v = f.at(x, y) + 2 * x + y;
      const int dx = x - w / 3, dy = y - h / 2;
      if (dx * dx + dy * dy < (w / 10) * (w / 10)) v += 1200;
      f.at(x, y) = static_cast<int16_t>(v);
    }
  return f;
}

void fps(benchmark::State& st) {
  st.counters["fps"] = benchmark::Counter(double(st.iterations()), benchmark::Counter::kIsRate);
}

std::vector<uint32_t> palette() {
  std::vector<uint32_t> p(256);
  for (uint32_t i = 0; i < 256; ++i) p[i] = i | (i << 8) | (255 - i) << 16 | 0xFF000000u;
  return p;
}

// Arguments: width, height, rule (1..4; 0 = raw frame).
void BM_Stretch(benchmark::State& st) {
  const int w = int(st.range(0)), h = int(st.range(1)), rule = int(st.range(2));
  TestFrame f = scene(w, h);
  if (rule == 0) f.head.kind = 0;
  StretchContext* c = strCreate();
  StretchCtl ctl{};
  ctl.flags = StretchCtl_Type;
  ctl.strechType = static_cast<uint8_t>(rule == 0 ? 1 : rule);
  strSetCtl(c, &ctl);
  std::vector<uint32_t> out(f.codes.size());
  const std::vector<uint32_t> pal = palette();
  for (auto _ : st) {
    strTemp2Bgra(c, f.codes.data(), &f.head, out.data(), pal.data());
    benchmark::DoNotOptimize(out.data());
  }
  fps(st);
  strFree(c);
}

// Arguments: width, height, ddeLevel.
void BM_Detail(benchmark::State& st) {
  const int w = int(st.range(0)), h = int(st.range(1));
  TestFrame f = scene(w, h);
  StretchContext* c = strCreate();
  StretchCtl ctl{};
  ctl.flags = StretchCtl_DdeLevel;
  ctl.ddeLevel = static_cast<uint8_t>(st.range(2));
  strSetCtl(c, &ctl);
  std::vector<uint32_t> out(f.codes.size());
  const std::vector<uint32_t> pal = palette();
  for (auto _ : st) {
    strTemp2Bgra(c, f.codes.data(), &f.head, out.data(), pal.data());
    benchmark::DoNotOptimize(out.data());
  }
  fps(st);
  strFree(c);
}

// Arguments: width, height, type (1 full, 3 quarter-size coefficients).
void BM_Denoise(benchmark::State& st) {
  const int w = int(st.range(0)), h = int(st.range(1));
  const TestFrame f = scene(w, h);
  DenoiseState* s = IRDenoise_Create();
  DenoiseInfoRecord r{};
  r.type = static_cast<int16_t>(st.range(2));
  r.width = static_cast<uint16_t>(w);
  r.height = static_cast<uint16_t>(h);
  r.gf_radius = kRadius;
  r.gf_regular = kStrength;
  IRDenoise_SetConfig(s, &r);
  std::vector<int16_t> work(f.codes.size());
  for (auto _ : st) {
    st.PauseTiming();
    work = f.codes;
    st.ResumeTiming();
    IRDenoise_Execute(s, work.data(), w, h);
    benchmark::DoNotOptimize(work.data());
  }
  fps(st);
  IRDenoise_Free(&s);
}

// OpenCV's guided filter, the frame guiding itself, same radius and eps (codes squared).
void BM_OpenCvGuided(benchmark::State& st) {
  const int w = int(st.range(0)), h = int(st.range(1));
  const TestFrame f = scene(w, h);
  cv::Mat src16(h, w, CV_16S, const_cast<int16_t*>(f.codes.data())), src, dst;
  src16.convertTo(src, CV_32F);
  for (auto _ : st) {
    cv::ximgproc::guidedFilter(src, src, dst, kRadius, double(kStrength) * kStrength);
    benchmark::DoNotOptimize(dst.data);
  }
  fps(st);
}

// Arguments: width, height, mode (0 refresh every frame, 1 subtraction only).
void BM_Destripe(benchmark::State& st) {
  const int w = int(st.range(0)), h = int(st.range(1));
  TestFrame f = scene(w, h);
  for (int i = 0; i < w * h; ++i) f.codes[i] = static_cast<int16_t>(f.codes[i] + ((i % w) % 2 ? 20 : -20));
  DestripState* s = IRDestrip_Create();
  DestripInfoRecord r{};
  r.type = 2;
  r.width = static_cast<uint16_t>(w);
  r.height = static_cast<uint16_t>(h);
  r.s0_radius = 4;
  r.s0_regular = 60;
  r.s1_radius = 8;
  r.s1_regular = 1;
  r.sub_y = 1;
  r.sub_t = 1;
  IRDestrip_SetConfig(s, &r);
  std::vector<int16_t> work = f.codes;
  IRDestrip_Execute(s, work.data(), w, h, 0);
  for (auto _ : st) {
    // Every pass starts from the camera's frame: filtering the result again and again would widen
    // its range until the frame no longer looks like one.
    st.PauseTiming();
    std::copy(f.codes.begin(), f.codes.end(), work.begin());
    st.ResumeTiming();
    if (st.range(2) == 0) {
      IRDestrip_Execute(s, work.data(), w, h, 0);
    } else {
      ostrel::alg::destripSubtract(s, work.data());
    }
    benchmark::DoNotOptimize(work.data());
  }
  fps(st);
  IRDestrip_Free(&s);
}

}  // namespace

BENCHMARK(BM_Stretch)->ArgsProduct({{128}, {64}, {0, 1, 2, 3, 4}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Stretch)
    ->Args({640, 512, 0})
    ->Args({640, 512, 1})
    ->Args({640, 512, 2})
    ->Args({640, 512, 3})
    ->Args({640, 512, 4})
    ->Args({1280, 1024, 1})
    ->Args({1280, 1024, 3})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Denoise)
    ->Args({640, 512, 1})
    ->Args({640, 512, 3})
    ->Args({1280, 1024, 1})
    ->Args({1280, 1024, 3})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OpenCvGuided)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Destripe)
    ->Args({640, 512, 0})
    ->Args({640, 512, 1})
    ->Args({1280, 1024, 0})
    ->Args({1280, 1024, 1})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Detail)
    ->Args({640, 512, 2})
    ->Args({640, 512, 8})
    ->Args({1280, 1024, 2})
    ->Args({1280, 1024, 8})
    ->Unit(benchmark::kMillisecond);

namespace {

// Console output as usual, and the per-iteration times kept for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  std::map<std::string, double> ms;
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration) ms[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter rep;
  benchmark::RunSpecifiedBenchmarks(&rep);
  for (const char* size : {"640/512", "1280/1024"}) {
    const std::string cv = std::string("BM_OpenCvGuided/") + size;
    for (int type : {1, 3}) {
      const std::string ours = std::string("BM_Denoise/") + size + "/" + std::to_string(type);
      if (!rep.ms.count(cv) || !rep.ms.count(ours)) continue;
      std::printf("denoise type %d %s radius %d: ours %.3f ms / OpenCV guidedFilter %.3f ms = %.2f\n", type,
                  size, kRadius, rep.ms[ours], rep.ms[cv], rep.ms[ours] / rep.ms[cv]);
    }
  }
  benchmark::Shutdown();
  return 0;
}
