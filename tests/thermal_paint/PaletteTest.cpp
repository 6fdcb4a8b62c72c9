// Palette images against the SDK's own table, and the palette range object.
#include "ThermalApp.h"

#include <TempPalette.h>
#include <foundation_qt/CTypeNameDescIcon.h>
#include <ostrel/OstrelAlgFrame.h>

#include <gtest/gtest.h>

#include <QQmlComponent>
#include <QQmlEngine>
#include <QQuickItem>
#include <QSignalSpy>
#include <QTest>

#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

class Palette : public ::testing::Test {
 protected:
  void SetUp() override {
    ensureThermalApp();
    int n = 0;
    table_ = Ostrel_AllocPaletteData(&n);
    ASSERT_NE(table_, nullptr);
    count_ = n;
  }
  void TearDown() override { Ostrel_FreePaletteData(&table_); }
  int indexOf(const char *name) const {
    for (int i = 0; i < count_; ++i)
      if (std::strncmp(table_[i].name, name, sizeof table_[i].name) == 0) return i;
    return -1;
  }
  PaletteData *table_ = nullptr;
  int count_ = 0;
};

TEST_F(Palette, ImageIsOnePixelWideHottestOnTopAndOpaque) {
  TempPaletteImageProvider provider;
  const int iron = indexOf("IronBow");
  ASSERT_GE(iron, 0);
  QSize size;
  const QImage img = provider.requestImage(QStringLiteral("IronBow"), &size, QSize(50, 50));
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(size, QSize(1, 256)) << "requested size is ignored";
  EXPECT_EQ(img.size(), QSize(1, 256));
  EXPECT_EQ(img.format(), QImage::Format_RGB32);
  for (int r = 0; r < 256; ++r) {
    const uint32_t want = table_[iron].colors[255 - r];
    const QRgb got = img.pixel(0, r);
    ASSERT_EQ(got & 0xFFFFFFu, want & 0xFFFFFFu) << "row " << r;
    ASSERT_EQ(qAlpha(got), 255) << "row " << r;
  }
  EXPECT_EQ(img.pixel(0, 0) & 0xFFFFFFu, table_[iron].colors[255] & 0xFFFFFFu);
}

TEST_F(Palette, ColourWordsWithAlphaZeroBecomeOpaque) {
  PaletteData p{};
  std::strcpy(p.name, "Test");
  for (int i = 0; i < 256; ++i) p.colors[i] = uint32_t(i) << 8;  // green ramp, alpha 0
  const QImage img = TempPaletteImageProvider::makeImage(p);
  EXPECT_EQ(img.pixel(0, 0), qRgba(0, 255, 0, 255));
  EXPECT_EQ(img.pixel(0, 255), qRgba(0, 0, 0, 255));
  EXPECT_EQ(img.convertToFormat(QImage::Format_ARGB32).pixel(0, 10), qRgba(0, 245, 0, 255));
}

TEST_F(Palette, UnknownNamesAndIndexesGiveNullImages) {
  TempPaletteImageProvider provider;
  QSize size(-1, -1);
  EXPECT_TRUE(provider.requestImage(QStringLiteral("NoSuchPalette"), &size, QSize()).isNull());
  EXPECT_TRUE(provider.requestImage(QStringLiteral("ironbow"), &size, QSize()).isNull()) << "names match exactly";
  EXPECT_TRUE(provider.requestImage(QString(), &size, QSize()).isNull());
  EXPECT_TRUE(provider.imageAt(-1).isNull());
  EXPECT_TRUE(provider.imageAt(count_).isNull());
  EXPECT_FALSE(provider.imageAt(count_ - 1).isNull());
}

TEST_F(Palette, ListNamesEveryPaletteInTableOrder) {
  TempPaletteImageProvider provider;
  ASSERT_EQ(provider.count(), count_);
  const QList<QObject *> list = provider.paletteList();
  ASSERT_EQ(list.size(), count_);
  for (int i = 0; i < count_; ++i) {
    auto *e = qobject_cast<CTypeNameDescIcon *>(list[i]);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->type(), i);
    EXPECT_EQ(e->name(), QString::fromLatin1(table_[i].name));
    EXPECT_TRUE(e->desc().isEmpty());
    EXPECT_EQ(e->icon(), QStringLiteral("image://tempPalette/") + QString::fromLatin1(table_[i].name));
    EXPECT_EQ(provider.imageAt(i), provider.requestImage(e->name(), nullptr, QSize()));
  }
}

TEST_F(Palette, OfTwoPalettesWithOneNameTheFirstIsServed) {
  auto *two = static_cast<PaletteData *>(std::calloc(2, sizeof(PaletteData)));
  ASSERT_NE(two, nullptr);
  for (int k = 0; k < 2; ++k) {
    std::memset(two[k].name, 'N', sizeof two[k].name);  // no terminator: all 32 bytes are the name
    for (int i = 0; i < 256; ++i) two[k].colors[i] = k == 0 ? 0x00FF0000u : 0x000000FFu;
  }
  TempPaletteImageProvider provider(two, 2);
  const QString name(32, QLatin1Char('N'));
  ASSERT_EQ(provider.count(), 2);
  EXPECT_EQ(qobject_cast<CTypeNameDescIcon *>(provider.paletteList()[1])->name(), name);
  const QImage img = provider.requestImage(name, nullptr, QSize());
  ASSERT_FALSE(img.isNull());
  EXPECT_EQ(img.pixel(0, 7), qRgb(255, 0, 0));
  EXPECT_EQ(provider.imageAt(1).pixel(0, 7), qRgb(0, 0, 255));
}

TEST_F(Palette, QmlImageLoadsThroughTheProvider) {
  QQmlEngine engine;
  engine.addImageProvider(QStringLiteral("tempPalette"), new TempPaletteImageProvider);
  QQmlComponent component(&engine);
  component.setData("import QtQuick\nImage { source: \"image://tempPalette/IronBow\" }", QUrl());
  std::unique_ptr<QObject> image(component.create());
  ASSERT_NE(image, nullptr) << component.errorString().toStdString();
  // Image.Ready is 1; Image.Error 3.
  EXPECT_TRUE(QTest::qWaitFor([&] { return image->property("status").toInt() != 2; }, 10000));
  EXPECT_EQ(image->property("status").toInt(), 1);
  EXPECT_EQ(image->property("sourceSize").toSize(), QSize(1, 256));

  QQmlComponent bad(&engine);
  bad.setData("import QtQuick\nImage { source: \"image://tempPalette/Nope\" }", QUrl());
  std::unique_ptr<QObject> missing(bad.create());
  ASSERT_NE(missing, nullptr);
  EXPECT_TRUE(QTest::qWaitFor([&] { return missing->property("status").toInt() != 2; }, 10000));
  EXPECT_EQ(missing->property("status").toInt(), 3);
}

TEST(PaletteRange, ManualRangeSignalsBothEndsAndGlobalRangeOnlyChangedOnes) {
  ensureThermalApp();
  TempPaletteData d;
  EXPECT_EQ(d.paletteType(), 5);
  QSignalSpy minSpy(&d, &TempPaletteData::paletteMinChanged);
  QSignalSpy maxSpy(&d, &TempPaletteData::paletteMaxChanged);
  QSignalSpy typeSpy(&d, &TempPaletteData::paletteTypeChanged);
  d.updateGbl(21.5f, 40.0f);
  EXPECT_EQ(minSpy.count(), 1);
  EXPECT_EQ(maxSpy.count(), 1);
  d.updateGbl(21.5f, 41.0f);
  EXPECT_EQ(minSpy.count(), 1);
  EXPECT_EQ(maxSpy.count(), 2);
  d.updateMan(false, 10, 20);
  EXPECT_EQ(minSpy.count(), 2);
  EXPECT_EQ(maxSpy.count(), 3);
  EXPECT_FLOAT_EQ(d.paletteMin(), 21.5f);
  EXPECT_FLOAT_EQ(d.paletteMax(), 41.0f);
  d.updateMan(true, 10, 20);
  EXPECT_FLOAT_EQ(d.paletteMin(), 10.0f);
  EXPECT_FLOAT_EQ(d.paletteMax(), 20.0f);
  d.updateGbl(0.0f, 41.0f);
  EXPECT_EQ(minSpy.count(), 4) << "the hidden global range still signals";
  EXPECT_FLOAT_EQ(d.paletteMin(), 10.0f);
  d.setPaletteType(5);
  d.setPaletteType(2);
  EXPECT_EQ(typeSpy.count(), 1);
  // The invokable is reachable from QML.
  EXPECT_TRUE(QMetaObject::invokeMethod(&d, "updateMan", Q_ARG(bool, false), Q_ARG(float, 1.0f), Q_ARG(float, 2.0f)));
  EXPECT_FLOAT_EQ(d.manMax(), 2.0f);
}

}  // namespace
