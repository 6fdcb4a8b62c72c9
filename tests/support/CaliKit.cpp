#include "CaliKit.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

namespace ostrel::test {

namespace {

uint64_t pad64(uint64_t n) {
  return (n + 63) / 64 * 64;
}

double response(const CaliModel& m, double t) {
  const auto& b = m.bbC;
  size_t s = 0;
  while (s + 2 < b.size() && t >= b[s + 1]) ++s;
  return m.knots[s] + (m.knots[s + 1] - m.knots[s]) * (t - b[s]) / (b[s + 1] - b[s]);
}

double offsetAt(const CaliModel& m, int p, double fpaC) {
  return m.off0[p] + m.off1[p] * (fpaC - 25.0);
}

template <typename T>
void put(std::vector<uint8_t>& out, const T& v) {
  const auto* b = reinterpret_cast<const uint8_t*>(&v);
  out.insert(out.end(), b, b + sizeof v);
}

}  // namespace

CaliModel makeModel(int width, int height, int E, int B, uint32_t seed) {
  CaliModel m;
  m.width = width;
  m.height = height;
  m.E = E;
  m.B = B;
  const int P = width * height;
  for (int e = 0; e < E; ++e) m.fpaC.push_back(10.0 + 15.0 * e);
  for (int b = 0; b < B; ++b) m.bbC.push_back(-20.0 + 220.0 * b / (B - 1));
  for (double t : m.bbC) m.knots.push_back(30.0 * t + 0.05 * t * t);
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> u(0.0, 1.0);
  m.gain.resize(P);
  m.off0.resize(P);
  m.off1.resize(P);
  for (int p = 0; p < P; ++p) {
    m.gain[p] = 0.8 + 0.4 * u(rng);
    m.off0[p] = 1500.0 + 1000.0 * u(rng);
    m.off1[p] = 2.0 + 3.0 * u(rng);
  }
  for (int e = 0; e < E; ++e) {
    m.fpa.push_back(int32_t(std::lround(m.fpaC[e] * 1000)));
    m.shell.push_back(m.fpa.back() + 2000);
    m.env.push_back(int16_t(20 + 2 * e));
  }
  m.raw.resize(size_t(E) * B * P);
  m.seg.resize(size_t(E) * (B - 1) * P);
  const double one = double(1 << m.shift);
  for (int e = 0; e < E; ++e) {
    for (int p = 0; p < P; ++p) {
      const double o = offsetAt(m, p, m.fpaC[e]);
      for (int b = 0; b < B; ++b) {
        m.raw[(size_t(e) * B + b) * P + p] = int16_t(std::lround(m.gain[p] * m.knots[b] + o));
      }
      for (int s = 0; s + 1 < B; ++s) {
        const double dT = m.bbC[s + 1] - m.bbC[s];
        const double slope = std::round(m.scale * dT / (m.gain[p] * (m.knots[s + 1] - m.knots[s])) * one);
        const double rawMid = m.gain[p] * (m.knots[s] + m.knots[s + 1]) / 2 + o;
        const double codeMid = m.scale * (m.bbC[s] + m.bbC[s + 1]) / 2 + m.c0;
        const double off = std::round(codeMid - rawMid * slope / one + 0.5);
        m.seg[(size_t(e) * (B - 1) + s) * P + p] =
            uint32_t(slope) | (uint32_t(uint16_t(int16_t(off))) << 16);
      }
    }
  }
  return m;
}

int16_t modelRaw(const CaliModel& m, int p, double tC, double fpaC) {
  return int16_t(std::lround(m.gain[p] * response(m, tC) + offsetAt(m, p, fpaC)));
}

uint64_t caliMinSize(const CaliModel& m) {
  const uint64_t P = uint64_t(m.width) * m.height, E = m.E, B = m.B, L = m.lutBp.size();
  return 128 + pad64(E * (B + 1) * 2) + pad64(E * 8) + 2 * P * E * B + 4 * P * E * (B - 1) + 40 * m.own.size() +
         2 * L + (L >= 2 ? 4 * (L - 1) : 0);
}

std::vector<uint8_t> caliBytes(const CaliModel& m) {
  std::vector<uint8_t> out(128, 0);
  std::memcpy(out.data(), m.identity, sizeof m.identity);
  const uint16_t w = uint16_t(m.width), h = uint16_t(m.height), scale = uint16_t(m.scale),
                 k = uint16_t(m.own.size());
  const int16_t c0 = int16_t(m.c0);
  std::memcpy(&out[36], &w, 2);
  std::memcpy(&out[38], &h, 2);
  out[40] = uint8_t(m.E);
  out[41] = uint8_t(m.B);
  std::memcpy(&out[42], &scale, 2);
  std::memcpy(&out[44], &c0, 2);
  std::memcpy(&out[46], &k, 2);
  out[48] = uint8_t(m.shift);
  out[49] = uint8_t(m.lutBp.size());
  out[50] = uint8_t(m.lutShift);
  std::vector<int16_t> env(pad64(uint64_t(m.E) * (m.B + 1) * 2) / 2, 0);
  std::copy(m.env.begin(), m.env.end(), env.begin());
  for (int16_t v : env) put(out, v);
  std::vector<int32_t> pts(pad64(uint64_t(m.E) * 8) / 4, 0);
  std::copy(m.fpa.begin(), m.fpa.end(), pts.begin());
  std::copy(m.shell.begin(), m.shell.end(), pts.begin() + m.E);
  for (int32_t v : pts) put(out, v);
  const auto* r = reinterpret_cast<const uint8_t*>(m.raw.data());
  out.insert(out.end(), r, r + m.raw.size() * 2);
  const auto* s = reinterpret_cast<const uint8_t*>(m.seg.data());
  out.insert(out.end(), s, s + m.seg.size() * 4);
  for (const CompEntry& e : m.own) put(out, e);
  for (int16_t v : m.lutBp) put(out, v);
  for (uint32_t v : m.lutSeg) put(out, v);
  const auto* n = reinterpret_cast<const uint8_t*>(m.nst.data());
  out.insert(out.end(), n, n + m.nst.size() * 2);
  return out;
}

std::string tempPath(const std::string& name) {
  const char* dir = std::getenv("TMPDIR");
  return std::string(dir && *dir ? dir : "/tmp") + "/ostrel_cali_" + std::to_string(getpid()) + "_" + name;
}

bool writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

FixInfoRecord neutralFixInfo() {
  FixInfoRecord r{};
  r.atmosphericTemperature = 20;
  r.relativeHumidity = 50;
  r.globalEmissivity = 1.0f;
  r.infraredWindowTrans = 1.0f;
  return r;
}

}  // namespace ostrel::test
