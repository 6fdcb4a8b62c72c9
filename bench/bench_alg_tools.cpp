// Fusion, mean filter and NETD at 640 x 512 and 1280 x 1024, with OpenCV's cv::blur
// (BORDER_REFLECT) and cv::addWeighted timed in the same run (one thread each) for the ratios.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "OstrelSDK.h"

namespace {

std::vector<int16_t> noiseCodes(int64_t n, uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<int16_t> v(static_cast<size_t>(n));
  for (auto& c : v) c = int16_t(8000 + int(rng() % 400));
  return v;
}

void BM_Mix(benchmark::State& st) {
  const int w = int(st.range(0)), h = int(st.range(1));
  const int64_t n = int64_t(w) * h;
  std::mt19937 rng(1);
  std::vector<uint32_t> vis(n), out(n), pal(256);
  std::vector<uint8_t> lv(n);
  for (auto& v : vis) v = rng();
  for (auto& v : lv) v = uint8_t(rng());
  for (auto& v : pal) v = rng() | 0xFF000000u;
  MixContext* m = mixCreate();
  const uint8_t cfg[2] = {uint8_t(st.range(2)), 8};
  mixSetConfig(m, cfg);
  for (auto _ : st) {
    mixExecute(m, out.data(), vis.data(), lv.data(), pal.data(), w, h);
    benchmark::DoNotOptimize(out.data());
  }
  mixFree(&m);
}
BENCHMARK(BM_Mix)
    ->ArgsProduct({{640}, {512}, {2, 3, 4}})
    ->ArgsProduct({{1280}, {1024}, {2, 3, 4}})
    ->Unit(benchmark::kMillisecond);

void BM_OpenCvAddWeighted(benchmark::State& st) {
  cv::setNumThreads(1);
  const int w = int(st.range(0)), h = int(st.range(1));
  cv::Mat a(h, w, CV_8UC4), b(h, w, CV_8UC4), out;
  cv::randu(a, 0, 256);
  cv::randu(b, 0, 256);
  for (auto _ : st) {
    cv::addWeighted(a, 0.5, b, 0.5, 0.0, out);
    benchmark::DoNotOptimize(out.data);
  }
}
BENCHMARK(BM_OpenCvAddWeighted)->Args({640, 512})->Args({1280, 1024})->Unit(benchmark::kMillisecond);

void BM_Mean(benchmark::State& st) {
  const int w = int(st.range(0)), h = int(st.range(1)), size = int(st.range(2));
  const auto src = noiseCodes(int64_t(w) * h, 2);
  std::vector<int16_t> dst(src.size());
  AlgMeanContext* m = Alg_MeanCreate();
  for (auto _ : st) {
    Alg_MeanExecute(m, size, w, h, src.data(), dst.data());
    benchmark::DoNotOptimize(dst.data());
  }
  Alg_MeanFree(&m);
}
BENCHMARK(BM_Mean)
    ->ArgsProduct({{640}, {512}, {3, 31}})
    ->ArgsProduct({{1280}, {1024}, {3, 31}})
    ->Unit(benchmark::kMillisecond);

void BM_OpenCvBlur(benchmark::State& st) {
  cv::setNumThreads(1);
  const int w = int(st.range(0)), h = int(st.range(1)), size = int(st.range(2));
  auto codes = noiseCodes(int64_t(w) * h, 2);
  cv::Mat src(h, w, CV_16S, codes.data()), dst;
  for (auto _ : st) {
    cv::blur(src, dst, cv::Size(size, size), cv::Point(-1, -1), cv::BORDER_REFLECT);
    benchmark::DoNotOptimize(dst.data);
  }
}
BENCHMARK(BM_OpenCvBlur)
    ->ArgsProduct({{640}, {512}, {3, 31}})
    ->ArgsProduct({{1280}, {1024}, {3, 31}})
    ->Unit(benchmark::kMillisecond);

// One frame into the ring; with `compute` every frame lies past the interval, so each also pays
// for the temporal and spatial noise.
void BM_Netd(benchmark::State& st) {
  const int w = int(st.range(0)), h = int(st.range(1));
  const bool compute = st.range(2) != 0;
  NetdContext* c = NETD_Create();
  NetdConfig cfg{};
  cfg.width = uint16_t(w);
  cfg.height = uint16_t(h);
  cfg.frameCount = 100;
  cfg.interval = 1000;
  NETD_SetConfig(c, &cfg);
  std::vector<std::vector<int16_t>> frames;
  for (uint32_t k = 0; k < 4; ++k) frames.push_back(noiseCodes(int64_t(w) * h, k));
  DataFrameHead head{};
  head.width = uint16_t(w);
  head.height = uint16_t(h);
  NetdResult r;
  size_t k = 0;
  for (auto _ : st) {
    if (compute) head.time += 20000000;
    NETD_Execute(c, &head, frames[k++ % frames.size()].data(), &r);
    benchmark::DoNotOptimize(r);
  }
  NETD_Free(&c);
}
BENCHMARK(BM_Netd)
    ->ArgsProduct({{640}, {512}, {0, 1}})
    ->ArgsProduct({{1280}, {1024}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

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
  auto ratio = [&](const std::string& ours, const std::string& theirs, const char* label) {
    if (!rep.ms.count(ours) || !rep.ms.count(theirs)) return;
    std::printf("%-34s ours %7.3f ms / OpenCV %7.3f ms = %.2f\n", label, rep.ms[ours], rep.ms[theirs],
                rep.ms[ours] / rep.ms[theirs]);
  };
  for (const char* size : {"640/512", "1280/1024"}) {
    for (int mode : {2, 3, 4}) {
      const std::string label = std::string("mix mode ") + std::to_string(mode) + " " + size + " vs addWeighted";
      ratio(std::string("BM_Mix/") + size + "/" + std::to_string(mode), std::string("BM_OpenCvAddWeighted/") + size,
            label.c_str());
    }
    for (int k : {3, 31}) {
      const std::string tail = std::string(size) + "/" + std::to_string(k);
      const std::string label = std::string("mean ") + std::to_string(k) + " " + size + " vs blur";
      ratio("BM_Mean/" + tail, "BM_OpenCvBlur/" + tail, label.c_str());
    }
  }
  benchmark::Shutdown();
  return 0;
}
