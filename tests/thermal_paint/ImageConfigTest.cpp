// Image settings against the raw bytes of the SDK record: offsets and encodings are checked on
// the bytes, not through the struct the code itself uses.
#include "ThermalApp.h"

#include <TempImageConfig.h>
#include <ostrel/OstrelStretch.h>

#include <gtest/gtest.h>

#include <QMetaProperty>
#include <QSignalSpy>

#include <cstring>
#include <limits>
#include <map>
#include <memory>
#include <vector>

namespace {

int16_t i16At(const StretchCtl &c, int off) {
  const auto *b = reinterpret_cast<const unsigned char *>(&c);
  return int16_t(uint16_t(b[off] | (b[off + 1] << 8)));
}
uint32_t u32At(const StretchCtl &c, int off) {
  const auto *b = reinterpret_cast<const unsigned char *>(&c);
  return uint32_t(b[off]) | uint32_t(b[off + 1]) << 8 | uint32_t(b[off + 2]) << 16 | uint32_t(b[off + 3]) << 24;
}
void putI16(StretchCtl &c, int off, int16_t v) {
  auto *b = reinterpret_cast<unsigned char *>(&c);
  b[off] = uint8_t(v & 0xFF);
  b[off + 1] = uint8_t((uint16_t(v) >> 8) & 0xFF);
}
void putU32(StretchCtl &c, int off, uint32_t v) {
  auto *b = reinterpret_cast<unsigned char *>(&c);
  for (int i = 0; i < 4; ++i) b[off + i] = uint8_t(v >> (8 * i));
}
unsigned char byteAt(const StretchCtl &c, int off) { return reinterpret_cast<const unsigned char *>(&c)[off]; }

// A spy on every NOTIFY signal of the object, by property name.
struct AllSpies {
  std::map<QString, std::unique_ptr<QSignalSpy>> spies;
  explicit AllSpies(QObject *o) {
    const QMetaObject *mo = o->metaObject();
    for (int i = mo->propertyOffset(); i < mo->propertyCount(); ++i) {
      const QMetaProperty p = mo->property(i);
      spies[QString::fromLatin1(p.name())] = std::make_unique<QSignalSpy>(o, p.notifySignal());
    }
  }
  int total() const {
    int n = 0;
    for (const auto &s : spies) n += int(s.second->count());
    return n;
  }
  int count(const char *name) const { return int(spies.at(QString::fromLatin1(name))->count()); }
};

class ImageConfig : public ::testing::Test {
 protected:
  void SetUp() override { ensureThermalApp(); }
};

TEST_F(ImageConfig, DefaultsAndEveryPropertyHasItsSignal) {
  TempImageConfig c;
  EXPECT_EQ(c.paletteType(), 5);
  EXPECT_EQ(c.strechType(), 1);
  EXPECT_FLOAT_EQ(c.gain(), 2.0f);
  EXPECT_FLOAT_EQ(c.man_temp0(), 20.0f);
  EXPECT_FLOAT_EQ(c.man_temp1(), 40.0f);
  EXPECT_FALSE(c.ct_color0().isValid());
  EXPECT_EQ(c.smalltarget_bg(), 50);
  AllSpies spies(&c);
  EXPECT_EQ(spies.spies.size(), 15u);
  for (const auto &s : spies.spies) EXPECT_TRUE(s.second->isValid()) << s.first.toStdString();
}

TEST_F(ImageConfig, WritesTheRecordBytesAtTheirOffsets) {
  TempImageConfig c;
  c.setStrechType(3);
  c.setGain(1.5f);
  c.setTemp2gray(20);
  c.setDdeLevel(4);
  c.setDenoise(6);
  c.setMan_enable(true);
  c.setMan_temp0(-12.34f);
  c.setMan_temp1(150.06f);
  c.setCt_type(2);
  c.setCt_temp0(36.5f);
  c.setCt_temp1(-0.05f);
  c.setCt_color0(QColor(0x12, 0x34, 0x56, 0x10));
  c.setSmalltarget_bg(77);
  StretchCtl r;
  std::memset(&r, 0xEE, sizeof r);
  c.toParams(&r);
  EXPECT_EQ(u32At(r, 0), 0xEEEEEEEEu) << "apply flags are the caller's";
  EXPECT_EQ(byteAt(r, 4), 3);
  float gain;
  std::memcpy(&gain, reinterpret_cast<const unsigned char *>(&r) + 8, 4);
  EXPECT_EQ(gain, 1.5f);
  EXPECT_EQ(i16At(r, 12), -123);  // trunc(-123.4)
  EXPECT_EQ(i16At(r, 14), 1500);  // trunc(1500.6)
  EXPECT_EQ(byteAt(r, 16), 1);
  EXPECT_EQ(byteAt(r, 17), 20);
  EXPECT_EQ(byteAt(r, 18), 4);
  EXPECT_EQ(byteAt(r, 19), 2);
  EXPECT_EQ(i16At(r, 20), 365);
  EXPECT_EQ(i16At(r, 22), 0);  // -0.5 tenths truncates toward zero
  EXPECT_EQ(u32At(r, 24), 0xFF123456u) << "alpha written as FF";
  EXPECT_EQ(u32At(r, 28), 0xFF000000u) << "an invalid colour is black";
  EXPECT_EQ(byteAt(r, 32), 77);
  EXPECT_EQ(byteAt(r, 33), 6);
  for (int i = 34; i < 64; ++i) EXPECT_EQ(byteAt(r, i), 0xEE) << "reserved byte " << i;
  EXPECT_EQ(byteAt(r, 7), 0xEE) << "smoothing is not an image-settings property";
}

TEST_F(ImageConfig, ReadsTenthsColoursAndFlags) {
  StretchCtl r{};
  r.strechType = 2;
  putI16(r, 12, -123);
  putI16(r, 14, 32767);
  reinterpret_cast<unsigned char *>(&r)[16] = 7;  // any non-zero byte is on
  putU32(r, 24, 0x00A1B2C3u);                     // alpha 0 on the wire
  putU32(r, 28, 0x7F010203u);
  TempImageConfig c;
  c.setPaletteType(9);
  c.fromParams(&r);
  EXPECT_EQ(c.paletteType(), 9) << "the palette travels separately";
  EXPECT_EQ(c.strechType(), 2);
  EXPECT_FLOAT_EQ(c.man_temp0(), -12.3f);
  EXPECT_FLOAT_EQ(c.man_temp1(), 3276.7f);
  EXPECT_TRUE(c.man_enable());
  EXPECT_EQ(c.ct_color0(), QColor(0xA1, 0xB2, 0xC3, 255));
  EXPECT_EQ(c.ct_color1(), QColor(1, 2, 3, 255));
  StretchCtl back{};
  c.toParams(&back);
  EXPECT_EQ(byteAt(back, 16), 1) << "written as 0 or 1";
  EXPECT_EQ(i16At(back, 12), -123) << "-12.3 survives the round trip";
  EXPECT_EQ(u32At(back, 24), 0xFFA1B2C3u);
}

TEST_F(ImageConfig, TemperaturesOutside16BitsClampInsteadOfWrapping) {
  TempImageConfig c;
  const std::vector<std::pair<float, int>> cases = {
      {4000.0f, 32767}, {3276.8f, 32767}, {-3276.8f, -32768},
      {-4000.0f, -32768}, {1e30f, 32767}, {-1e30f, -32768}, {std::numeric_limits<float>::infinity(), 32767}};
  for (const auto &[v, want] : cases) {
    c.setMan_temp0(v);
    c.setMan_temp1(-v);
    c.setCt_temp0(v);
    c.setCt_temp1(-v);
    StretchCtl r{};
    c.toParams(&r);
    EXPECT_EQ(i16At(r, 12), want) << v;
    EXPECT_EQ(i16At(r, 20), want) << v;
    const int neg = want == 32767 ? -32768 : (want == -32768 ? 32767 : -want);
    EXPECT_EQ(i16At(r, 14), neg) << -v;
    EXPECT_EQ(i16At(r, 22), neg) << -v;
  }
  c.setMan_temp0(std::numeric_limits<float>::quiet_NaN());
  StretchCtl r{};
  c.toParams(&r);
  EXPECT_EQ(i16At(r, 12), 0);
}

TEST_F(ImageConfig, SignalsOnlyForChangedProperties) {
  TempImageConfig c;
  StretchCtl r{};
  c.toParams(&r);
  AllSpies spies(&c);
  c.fromParams(&r);
  // Colours: the defaults are invalid, the record says opaque black, so those two change.
  EXPECT_EQ(spies.count("ct_color0"), 1);
  EXPECT_EQ(spies.count("ct_color1"), 1);
  EXPECT_EQ(spies.total(), 2);
  c.fromParams(&r);
  EXPECT_EQ(spies.total(), 2) << "an equal record emits nothing";

  r.gain = 3.0f;
  putI16(r, 22, 55);
  c.fromParams(&r);
  EXPECT_EQ(spies.count("gain"), 1);
  EXPECT_EQ(spies.count("ct_temp1"), 1);
  EXPECT_EQ(spies.total(), 4);

  c.setGain(3.0f);
  c.setCt_color0(QColor(0, 0, 0));
  EXPECT_EQ(spies.total(), 4) << "equal writes are silent";
  c.setPaletteType(1);
  EXPECT_EQ(spies.count("paletteType"), 1);
  c.fromParams(nullptr);
  c.toParams(nullptr);
  EXPECT_EQ(spies.total(), 5);
}

}  // namespace
