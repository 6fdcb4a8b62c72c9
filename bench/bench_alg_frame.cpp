// Per-frame costs of the frame algorithms at 640 x 512 and 1280 x 1024, and the ratio of our time
// to OpenCV's for the operations both have (single thread each).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <string>
#include <vector>

#include "FrameKit.h"
#include "OstrelSDK.h"
#include "alg/frame/Compress.h"

namespace {

// A smooth frame with noise, as a camera delivers it.
ostrel::test::TestFrame sceneFrame(int w, int h) {
  auto f = ostrel::test::noiseFrame(w, h, 0, 20, 42);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) f.at(x, y) = static_cast<int16_t>(f.at(x, y) + 2500 + (x * 7 + y * 3) % 900);
  return f;
}

void setSize(benchmark::State& s, int& w, int& h) {
  w = static_cast<int>(s.range(0));
  h = static_cast<int>(s.range(1));
}

void BM_Compress(benchmark::State& s) {
  int w, h;
  setSize(s, w, h);
  auto f = sceneFrame(w, h);
  std::vector<uint8_t> out(2 * f.codes.size() + 16);
  for (auto _ : s) benchmark::DoNotOptimize(Alg_Compress(f.codes.data(), w * h, out.data()));
}

void BM_Uncompress(benchmark::State& s) {
  int w, h;
  setSize(s, w, h);
  auto f = sceneFrame(w, h);
  std::vector<uint8_t> packed(2 * f.codes.size() + 16);
  const int size = Alg_Compress(f.codes.data(), w * h, packed.data());
  std::vector<int16_t> out(f.codes.size());
  for (auto _ : s) {
    benchmark::DoNotOptimize(
        ostrel::alg::uncompressBounded(packed.data(), static_cast<size_t>(size), out.data(), out.size()));
    benchmark::ClobberMemory();
  }
}

void BM_Transform(benchmark::State& s) {
  int w, h;
  setSize(s, w, h);
  const int code = static_cast<int>(s.range(2));
  auto f = sceneFrame(w, h);
  std::vector<int16_t> scratch(f.codes.size());
  for (auto _ : s) {
    Alg_Transform(&f.head, f.codes.data(), scratch.data(), code);
    benchmark::ClobberMemory();
  }
}

void BM_Median(benchmark::State& s) {
  int w, h;
  setSize(s, w, h);
  auto f = sceneFrame(w, h);
  AlgMedianContext* ctx = Alg_MedianCreate();
  for (auto _ : s) {
    Alg_MedianExecute(ctx, w, h, f.codes.data());
    benchmark::ClobberMemory();
  }
  Alg_MedianFree(&ctx);
}

void BM_Scale(benchmark::State& s) {
  int w, h;
  setSize(s, w, h);
  const int type = static_cast<int>(s.range(2));
  auto f = sceneFrame(w, h);
  std::vector<int16_t> out(f.codes.size() * type * type);
  for (auto _ : s) {
    Alg_ScaleTemp(type, w, h, f.codes.data(), out.data());
    benchmark::ClobberMemory();
  }
}

void BM_Gmo(benchmark::State& s) {
  int w, h;
  setSize(s, w, h);
  auto f = sceneFrame(w, h);
  MtResult r{};
  for (auto _ : s) benchmark::DoNotOptimize(mtGetResult_GMO(&f.head, f.codes.data(), &r));
}

// OpenCV peers on the same 16-bit frames, output into preallocated matrices.
void BM_CvFlip(benchmark::State& s) {
  int w, h;
  setSize(s, w, h);
  auto f = sceneFrame(w, h);
  cv::Mat src(h, w, CV_16S, f.codes.data()), dst(h, w, CV_16S);
  for (auto _ : s) cv::flip(src, dst, 1);
}
void BM_CvRotate90(benchmark::State& s) {
  int w, h;
  setSize(s, w, h);
  auto f = sceneFrame(w, h);
  cv::Mat src(h, w, CV_16S, f.codes.data()), dst(w, h, CV_16S);
  for (auto _ : s) cv::rotate(src, dst, cv::ROTATE_90_CLOCKWISE);
}
void BM_CvMedian3(benchmark::State& s) {
  int w, h;
  setSize(s, w, h);
  auto f = sceneFrame(w, h);
  cv::Mat src(h, w, CV_16S, f.codes.data()), dst(h, w, CV_16S);
  for (auto _ : s) cv::medianBlur(src, dst, 3);
}
void BM_CvResize2(benchmark::State& s) {
  int w, h;
  setSize(s, w, h);
  auto f = sceneFrame(w, h);
  cv::Mat src(h, w, CV_16S, f.codes.data()), dst(2 * h, 2 * w, CV_16S);
  for (auto _ : s) cv::resize(src, dst, dst.size(), 0, 0, cv::INTER_LINEAR);
}

void sizes(benchmark::internal::Benchmark* b) {
  b->Args({640, 512})->Args({1280, 1024});
}

BENCHMARK(BM_Compress)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Uncompress)->Apply(sizes)->Unit(benchmark::kMillisecond);
void sizesByCode(benchmark::internal::Benchmark* b, int last) {
  for (int code = 1; code <= last; ++code) b->Args({640, 512, code})->Args({1280, 1024, code});
}
BENCHMARK(BM_Transform)->Apply([](auto* b) { sizesByCode(b, 5); }) -> Unit(benchmark::kMillisecond);
BENCHMARK(BM_Median)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Scale)
    ->Args({640, 512, 2})
    ->Args({1280, 1024, 2})
    ->Args({640, 512, 3})
    ->Args({1280, 1024, 3})
    ->Args({640, 512, 4})
    ->Args({1280, 1024, 4})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Gmo)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvFlip)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvRotate90)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvMedian3)->Apply(sizes)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CvResize2)->Apply(sizes)->Unit(benchmark::kMillisecond);

// Keeps every run's time per iteration so the ratios can be printed at the end.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& r : runs)
      if (r.run_type == Run::RT_Iteration) times[r.benchmark_name()] = r.GetAdjustedRealTime();
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> times;
};

}  // namespace

int main(int argc, char** argv) {
  cv::setNumThreads(1);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  struct Pair {
    const char* label;
    std::string ours, theirs;
  };
  std::printf("\nour time / OpenCV time (goal <= 1.0):\n");
  for (const char* size : {"640/512", "1280/1024"}) {
    const std::string sz = size;
    const Pair pairs[] = {{"flip", "BM_Transform/" + sz + "/4", "BM_CvFlip/" + sz},
                          {"rotate 90", "BM_Transform/" + sz + "/1", "BM_CvRotate90/" + sz},
                          {"3x3 median", "BM_Median/" + sz, "BM_CvMedian3/" + sz},
                          {"x2 bilinear", "BM_Scale/" + sz + "/2", "BM_CvResize2/" + sz}};
    for (const Pair& p : pairs) {
      auto a = reporter.times.find(p.ours), b = reporter.times.find(p.theirs);
      if (a == reporter.times.end() || b == reporter.times.end()) continue;
      std::printf("  %-12s %-10s %.3f ms / %.3f ms = %.2f\n", p.label, size, a->second, b->second,
                  a->second / b->second);
    }
  }
  benchmark::Shutdown();
  return 0;
}
