// Logger throughput: 1M lines of 100 bytes into a day file, flushed after every line as in
// production. Prints lines per second.
#include <benchmark/benchmark.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "foundation/Logger.h"

namespace {

void BM_LoggerOneMillionLines(benchmark::State& state) {
  char tmpl[] = "/tmp/ostrel-bench-XXXXXX";
  if (!mkdtemp(tmpl)) {
    state.SkipWithError("mkdtemp failed");
    return;
  }
  ostrel::Logger* log = ostrel::logCreate();
  ostrel::logSetPathPrefix(log, (std::string(tmpl) + "/bench").c_str());
  // Header "2026-01-01 00:00:00.000 DEBUG " is 30 bytes; 69 message bytes and a line break
  // make 100.
  const std::string message(69, 'm');
  const int64_t lines = state.range(0);
  for (auto _ : state) {
    for (int64_t i = 0; i < lines; ++i) ostrel::logPrintf(log, ostrel::LOG_DEBUG, "%s\n", message.c_str());
  }
  ostrel::logDestroy(log);
  std::filesystem::remove_all(tmpl);
  state.counters["lines/s"] = benchmark::Counter(
      static_cast<double>(lines) * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(BM_LoggerOneMillionLines)
    ->Arg(1000000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
