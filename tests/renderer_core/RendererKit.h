// Shared helpers of the renderer core tests: a context on the recording back end, font bytes, and
// small geometry helpers.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "RecordingBackend.h"
#include "qorn/QornCore.h"

namespace ostrel::test {

// Whole file, empty when it cannot be read.
std::vector<unsigned char> readFileBytes(const char* path);
// UTF-8 of one code point.
std::string utf8(unsigned int cp);

struct ContextDeleter {
  void operator()(QornContext* ctx) const { qornDeleteInternal(ctx); }
};
using ContextPtr = std::unique_ptr<QornContext, ContextDeleter>;

// A context on a recording back end, with the fonts the tests use kept alive beside it.
class CoreFixtureBase {
public:
  explicit CoreFixtureBase(int edgeAntiAlias = 1);
  // Loads a font file into the context under its path; -1 on failure.
  int loadFont(const char* path);
  void beginFrame(float ratio = 1.0f, float w = 800, float h = 600);

  RecordingBackend backend;
  ContextPtr ctx;

private:
  std::vector<std::unique_ptr<std::vector<unsigned char>>> fonts_;
};

double triangleArea(const QornVertex& a, const QornVertex& b, const QornVertex& c);

}  // namespace ostrel::test
