#include "RendererKit.h"

#include <cmath>
#include <fstream>
#include <iterator>

namespace ostrel::test {

std::vector<unsigned char> readFileBytes(const char* path) {
  std::ifstream f(path, std::ios::binary);
  if (!f) return {};
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

std::string utf8(unsigned int cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

CoreFixtureBase::CoreFixtureBase(int edgeAntiAlias) {
  const QornParams p = backend.params(edgeAntiAlias);
  ctx.reset(qornCreateInternal(&p));
}

int CoreFixtureBase::loadFont(const char* path) {
  auto bytes = std::make_unique<std::vector<unsigned char>>(readFileBytes(path));
  if (bytes->empty()) return -1;
  const int id = qornCreateFontMem(ctx.get(), path, bytes->data(), static_cast<int>(bytes->size()), 0);
  fonts_.push_back(std::move(bytes));
  return id;
}

void CoreFixtureBase::beginFrame(float ratio, float w, float h) {
  backend.clearCalls();
  qornBeginFrame(ctx.get(), 0, 0, w, h, ratio);
}

double triangleArea(const QornVertex& a, const QornVertex& b, const QornVertex& c) {
  return 0.5 * std::fabs((static_cast<double>(b.x) - a.x) * (static_cast<double>(c.y) - a.y) -
                         (static_cast<double>(c.x) - a.x) * (static_cast<double>(b.y) - a.y));
}

}  // namespace ostrel::test
