// The option lists against their tables, and the IPv4 text helpers.
#include <gtest/gtest.h>

#include <QQmlListProperty>
#include <QTemporaryFile>
#include <utility>
#include <vector>

#include "foundation_qt/Ipv4Text.h"
#include "settings/CCommonManager.h"

namespace {

using NV = std::vector<std::pair<QString, int>>;

template <typename T>
std::vector<T*> items(QQmlListProperty<T> p) {
  std::vector<T*> out;
  for (qsizetype i = 0; i < p.count(&p); ++i) out.push_back(p.at(&p, i));
  return out;
}

NV nameValues(QQmlListProperty<CNameValue> p) {
  NV out;
  for (auto* e : items(p)) out.emplace_back(e->name(), e->value());
  return out;
}

class OptionLists : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(m.init(), 0); }
  CCommonManager m;
};

TEST_F(OptionLists, NameValueListsMatchTheirTables) {
  EXPECT_EQ(nameValues(m.languageList()), (NV{{"zh_CN", 0}, {"en_US", 1}}));
  EXPECT_EQ(nameValues(m.strechList()), (NV{{"StrechType_PHE", 1},
                                            {"StrechType_LINEAR", 2},
                                            {"StrechType_PHE2023", 3},
                                            {"StrechType_SmallTarget", 4}}));
  EXPECT_EQ(nameValues(m.colorTempList()), (NV{{"ColorTempType_None", 0},
                                               {"ColorTempType_High", 1},
                                               {"ColorTempType_Low", 2},
                                               {"ColorTempType_Mid", 3},
                                               {"ColorTempType_ExMid", 4}}));
  EXPECT_EQ(nameValues(m.textPosList()), (NV{{"TextPos_None", 0},
                                             {"TextPos_TopLeft", 1},
                                             {"TextPos_TopRight", 2},
                                             {"TextPos_BottomLeft", 3},
                                             {"TextPos_BottomRight", 4}}));
  EXPECT_EQ(nameValues(m.saveModeList()),
            (NV{{"SaveMode_Ask", 0}, {"SaveMode_Always", 1}, {"SaveMode_Never", 2}}));
  EXPECT_EQ(nameValues(m.overlayTypeList()),
            (NV{{"EOverlayType_None", 0}, {"EOverlayType_Inside", 1}, {"EOverlayType_Outside", 2}}));
  // No translation is installed: the gear levels read as the camera names them.
  EXPECT_EQ(nameValues(m.gearLevelList()), (NV{{"Auto", 0}, {"1", 1}, {"2", 2}}));
  EXPECT_EQ(nameValues(m.startTriggerList()),
            (NV{{"ERecorderTrigger_ManualStart", 257}, {"ERecorderTrigger_CameraTagStart", 258}}));
  EXPECT_EQ(nameValues(m.stopTriggerList()), (NV{{"ERecorderTrigger_ManualStop", 513},
                                                 {"ERecorderTrigger_CameraTagStop", 514},
                                                 {"ERecorderTrigger_AutoDelayStop", 515}}));
  NV div;
  for (int i = 1; i <= 8; ++i) div.emplace_back(QString::number(i), i);
  EXPECT_EQ(nameValues(m.recordDivList()), div);
}

TEST_F(OptionLists, TypedListsMatchTheirTables) {
  const char* layouts[] = {"r1c1",     "r2c1",        "r1c2",       "r2c2",
                           "r2c1-top", "r2c1-bottom", "r1c2-right", "r1c2-left"};
  auto tabs = items(m.tabLayoutList());
  ASSERT_EQ(tabs.size(), 8u);
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(tabs[i]->type(), i);
    EXPECT_TRUE(tabs[i]->name().isEmpty());
    EXPECT_EQ(tabs[i]->desc(), layouts[i]);
    EXPECT_EQ(tabs[i]->icon(), QString("qrc:/Icons/layout-%1.svg").arg(layouts[i]));
  }

  struct Row {
    const char *name, *desc, *icon;
  };
  const Row tools[] = {{"MeaTool_Select", "MeaTool_Select", "cursor-default.svg"},
                       {"MeaTool_Point1x1", "MeaTool_Point1x1Desc", "point1x1.svg"},
                       {"MeaTool_Point3x3", "MeaTool_Point3x3Desc", "point3x3.svg"},
                       {"MeaTool_PointCross", "MeaTool_PointCrossDesc", "pointcross.svg"},
                       {"MeaTool_Line", "MeaTool_LineDesc", "slash-forward.svg"},
                       {"MeaTool_Polyline", "MeaTool_PolylineDesc", "chart-line-variant.svg"},
                       {"MeaTool_Ellipse", "MeaTool_EllipseDesc", "ellipse-outline.svg"},
                       {"MeaTool_Circle", "MeaTool_CircleDesc", "circle.svg"},
                       {"MeaTool_Custom", "MeaTool_CustomDesc", "octagram-outline.svg"},
                       {"MeaTool_Rectangle", "MeaTool_RectangleDesc", "rectangle-outline.svg"},
                       {"MeaTool_Square", "MeaTool_SquareDesc", "square-outline.svg"},
                       {"MeaTool_Polygon", "MeaTool_PolygonDesc", "hexagon-outline.svg"},
                       {"MeaTool_EditPoint", "MeaTool_EditPointDesc", "point-add-remove.svg"},
                       {"MeaTool_Hide", "MeaTool_HideDesc", "eye.svg"}};
  auto mt = items(m.meaToolList());
  ASSERT_EQ(mt.size(), 14u);
  for (int i = 0; i < 14; ++i) {
    EXPECT_EQ(mt[i]->type(), i);
    EXPECT_EQ(mt[i]->name(), tools[i].name);
    EXPECT_EQ(mt[i]->desc(), tools[i].desc);
    EXPECT_EQ(mt[i]->icon(), QString("qrc:/Icons/") + tools[i].icon);
  }

  const char* stats[][2] = {{"Stats_Min", "min"},
                            {"Stats_Max", "max"},
                            {"Stats_Mean", "mean"},
                            {"Stats_Sum", "sum"},
                            {"Stats_Std", "std"}};
  auto st = items(m.statsTypeList());
  ASSERT_EQ(st.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(st[i]->type(), i);
    EXPECT_EQ(st[i]->name(), stats[i][0]);
    EXPECT_TRUE(st[i]->desc().isEmpty());
    EXPECT_EQ(st[i]->icon(), QString("qrc:/Icons/stats-%1.svg").arg(stats[i][1]));
  }
  auto stTime = items(m.statsTypeListTime());
  ASSERT_EQ(stTime.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(stTime[i], st[i]) << "the same entry objects";

  auto dim = items(m.dimTypeList());
  ASSERT_EQ(dim.size(), 3u);
  EXPECT_EQ(dim[0]->name(), "X");
  EXPECT_EQ(dim[1]->name(), "Y");
  EXPECT_EQ(dim[2]->name(), "Time");
  EXPECT_EQ(dim[2]->type(), 2);
  auto xy = items(m.dimTypeListXY());
  ASSERT_EQ(xy.size(), 2u);
  EXPECT_EQ(xy[0], dim[0]);
  EXPECT_EQ(xy[1], dim[1]);
  for (auto* e : dim) EXPECT_EQ(e->parent(), &m) << "entries owned by the manager";
}

TEST_F(OptionLists, BuiltOnceAndHelpers) {
  EXPECT_TRUE(m.built());
  EXPECT_EQ(m.init(), 0);
  EXPECT_EQ(items(m.languageList()).size(), 2u) << "a second init adds nothing";
  EXPECT_EQ(m.triggerName(258), "ERecorderTrigger_CameraTagStart");
  EXPECT_EQ(m.triggerName(515), "ERecorderTrigger_AutoDelayStop");
  EXPECT_EQ(m.triggerName(0), "None");
  QTemporaryFile f;
  ASSERT_TRUE(f.open());
  EXPECT_TRUE(m.fileExists(f.fileName()));
  EXPECT_FALSE(m.fileExists(f.fileName() + ".missing"));
  ASSERT_NE(m.eenum(), nullptr);
  EXPECT_EQ(m.eenum()->parent(), &m);
  CCommonManager fresh;
  EXPECT_EQ(items(fresh.meaToolList()).size(), 0u);
}

TEST(Ipv4Text, PartsGoMostSignificantFirst) {
  EXPECT_EQ(ipv4FromString("192.168.1.20"), (192u << 24) | (168u << 16) | (1u << 8) | 20u);
  EXPECT_EQ(ipv4FromString("10.1"), (10u << 24) | (1u << 16));
  EXPECT_EQ(ipv4FromString("127.0.0.1"), 0x7F000001u);
  EXPECT_EQ(ipv4FromString("255.255.255.255"), 0xFFFFFFFFu);
  EXPECT_EQ(ipv4FromString("10.1x.7"), (10u << 24) | (1u << 16)) << "stops at a non-digit";
  EXPECT_EQ(ipv4FromString(""), 0u);
  EXPECT_EQ(ipv4ToString((192u << 24) | (168u << 16) | (1u << 8) | 20u), "192.168.1.20");
  EXPECT_EQ(ipv4ToString(0), "0.0.0.0");
}

TEST(Ipv4Text, APartAbove255MakesTheTextInvalid) {
  EXPECT_EQ(ipv4FromString("300.0.0.1"), 0u) << "not 44.0.0.1";
  EXPECT_EQ(ipv4FromString("1.2.3.256"), 0u);
  EXPECT_EQ(ipv4FromString("1.99999999999999999999.3.4"), 0u);
}

}  // namespace
