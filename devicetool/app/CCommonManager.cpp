#include "CCommonManager.h"

#include <QtQml/qqml.h>
#include <QFile>

#include "QmlListAccess.h"

namespace calorset {

namespace {

// One entry: a translation id (tr) or a name shown as written, and its value.
struct Entry {
  const char* name;
  int value;
  bool tr;
};
struct ListDef {
  int index;  // into the name-value lists, in property order
  std::initializer_list<Entry> entries;
};

// In the order the lists are filled (stop bits before data bits).
const ListDef kLists[] = {
    {0, {{QT_TRID_NOOP("zh_CN"), 0, true}, {QT_TRID_NOOP("en_US"), 1, true}}},
    {1, {{QT_TRID_NOOP("TCP"), 0, true}, {QT_TRID_NOOP("UDP"), 1, true}}},
    {2,
     {{"Autumn", 0, false},
      {"BlackHot", 1, false},
      {"GlowBow", 2, false},
      {"HighContrast", 3, false},
      {"HotMetal", 4, false},
      {"IronBow", 5, false},
      {"Jet", 6, false},
      {"RainBow", 7, false},
      {"RedSaturation", 8, false},
      {"WhiteHot", 9, false},
      {"Winter", 10, false}}},
    {3,
     {{"None", 0, false},
      {"Rotate90", 1, false},
      {"Rotate180", 2, false},
      {"Rotate270", 3, false},
      {"MirrorX", 4, false},
      {"MirrorY", 5, false}}},
    {4,
     {{QT_TRID_NOOP("StrechType_PHE"), 1, true},
      {QT_TRID_NOOP("StrechType_LINEAR"), 2, true},
      {QT_TRID_NOOP("StrechType_PHE2023"), 3, true},
      {QT_TRID_NOOP("StrechType_SmallTarget"), 4, true}}},
    {5,
     {{QT_TRID_NOOP("ColorTempType_None"), 0, true},
      {QT_TRID_NOOP("ColorTempType_High"), 1, true},
      {QT_TRID_NOOP("ColorTempType_Low"), 2, true},
      {QT_TRID_NOOP("ColorTempType_Mid"), 3, true},
      {QT_TRID_NOOP("ColorTempType_ExMid"), 4, true}}},
    {6, {{"Auto", 0, false}, {"1", 1, false}, {"2", 2, false}}},
    {7, {{"1", 1, false}, {"2", 2, false}, {"4", 4, false}, {"8", 8, false}}},
    {8,
     {{QT_TRID_NOOP("TextPos_None"), 0, true},
      {QT_TRID_NOOP("TextPos_TopLeft"), 1, true},
      {QT_TRID_NOOP("TextPos_TopRight"), 2, true},
      {QT_TRID_NOOP("TextPos_BottomLeft"), 3, true},
      {QT_TRID_NOOP("TextPos_BottomRight"), 4, true}}},
    {9,
     {{QT_TRID_NOOP("IRDestripType_None"), 0, true},
      {QT_TRID_NOOP("IRDestripType_ColV1"), 1, true},
      {QT_TRID_NOOP("IRDestripType_ColV1opt"), 2, true}}},
    {10,
     {{QT_TRID_NOOP("IRDenoiseType_None"), 0, true},
      {QT_TRID_NOOP("IRDenoiseType_GF"), 1, true},
      {QT_TRID_NOOP("IRDenoiseType_GFSub2"), 2, true},
      {QT_TRID_NOOP("IRDenoiseType_GFSub4"), 3, true}}},
    {11,
     {{"1", 1, false},
      {"2", 2, false},
      {"3", 3, false},
      {"4", 4, false},
      {"5", 5, false},
      {"6", 6, false},
      {"7", 7, false},
      {"8", 8, false}}},
    {12, {{"Off", 0, false}, {"1", 1, false}, {"2", 2, false}, {"3", 3, false}, {"4", 4, false}}},
    {13, {{"None", 0, false}, {"Nst", 1, false}, {"Temp", 2, false}, {"TempNst", 3, false}}},
    {14, {{"Custom", 0, false}, {"Pelcod", 1, false}}},
    {15,
     {{"2400", 0, false},
      {"4800", 1, false},
      {"9600", 2, false},
      {"19200", 3, false},
      {"38400", 4, false},
      {"57600", 5, false},
      {"115200", 6, false}}},
    {17, {{"1", 0, false}, {"2", 1, false}}},
    {16, {{"5", 5, false}, {"6", 6, false}, {"7", 7, false}, {"8", 8, false}}},
    {18, {{"None", 0, false}, {"Odd", 1, false}, {"Even", 2, false}}},
    {19, {{"None", 0, false}, {"Check", 1, false}, {"Capture", 2, false}}},
    {20, {{"Close", 0, false}, {"Open", 1, false}}},
    {21, {{"Disable", 0, false}, {"TCP", 1, false}, {"TCP_RTU", 3, false}}},
    {22, {{"Default", 0, false}, {"2019", 1, false}}},
};

struct ToolDef {
  const char* name;
  const char* desc;
  const char* icon;
};
const ToolDef kMeaTools[] = {
    {QT_TRID_NOOP("MeaTool_Select"), QT_TRID_NOOP("MeaTool_Select"), "qrc:/Icons/cursor-default.svg"},
    {QT_TRID_NOOP("MeaTool_Point1x1"), QT_TRID_NOOP("MeaTool_Point1x1Desc"), "qrc:/Icons/point1x1.svg"},
    {QT_TRID_NOOP("MeaTool_Point3x3"), QT_TRID_NOOP("MeaTool_Point3x3Desc"), "qrc:/Icons/point3x3.svg"},
    {QT_TRID_NOOP("MeaTool_PointCross"), QT_TRID_NOOP("MeaTool_PointCrossDesc"), "qrc:/Icons/pointcross.svg"},
    {QT_TRID_NOOP("MeaTool_Line"), QT_TRID_NOOP("MeaTool_LineDesc"), "qrc:/Icons/slash-forward.svg"},
    {QT_TRID_NOOP("MeaTool_Polyline"), QT_TRID_NOOP("MeaTool_PolylineDesc"),
     "qrc:/Icons/chart-line-variant.svg"},
    {QT_TRID_NOOP("MeaTool_Ellipse"), QT_TRID_NOOP("MeaTool_EllipseDesc"), "qrc:/Icons/ellipse-outline.svg"},
    {QT_TRID_NOOP("MeaTool_Circle"), QT_TRID_NOOP("MeaTool_CircleDesc"), "qrc:/Icons/circle.svg"},
    {QT_TRID_NOOP("MeaTool_Custom"), QT_TRID_NOOP("MeaTool_CustomDesc"), "qrc:/Icons/octagram-outline.svg"},
    {QT_TRID_NOOP("MeaTool_Rectangle"), QT_TRID_NOOP("MeaTool_RectangleDesc"),
     "qrc:/Icons/rectangle-outline.svg"},
    {QT_TRID_NOOP("MeaTool_Square"), QT_TRID_NOOP("MeaTool_SquareDesc"), "qrc:/Icons/square-outline.svg"},
    {QT_TRID_NOOP("MeaTool_Polygon"), QT_TRID_NOOP("MeaTool_PolygonDesc"), "qrc:/Icons/hexagon-outline.svg"},
    {QT_TRID_NOOP("MeaTool_EditPoint"), QT_TRID_NOOP("MeaTool_EditPointDesc"),
     "qrc:/Icons/point-add-remove.svg"},
    {QT_TRID_NOOP("MeaTool_Hide"), QT_TRID_NOOP("MeaTool_HideDesc"), "qrc:/Icons/eye.svg"},
};

}  // namespace

CCommonManager::CCommonManager(QObject* parent) : QObject(parent), enum_(new EEnum(this)) {}

QQmlListProperty<CNameValue> CCommonManager::nv(QList<CNameValue*>* list) {
  return readOnlyList(this, list);
}

QQmlListProperty<CTypeNameDescIcon> CCommonManager::tndi(QList<CTypeNameDescIcon*>* list) {
  return readOnlyList(this, list);
}

bool CCommonManager::fileExists(const QString& fileName) const {
  return QFile::exists(fileName);
}

int CCommonManager::init() {
  if (built_) return 0;
  qmlRegisterSingletonInstance("Ostrel", 1, 0, "EEnum", enum_);
  qmlRegisterType<CNameValue>("Ostrel", 1, 0, "CNameValue");
  qmlRegisterType<CTypeNameDescIcon>("Ostrel", 1, 0, "CTypeNameDescIcon");
  qmlRegisterType<CCommonManager>("Ostrel", 1, 0, "CCommonManager");
  for (const ListDef& def : kLists)
    for (const Entry& e : def.entries)
      lists_[def.index].append(
          new CNameValue(this, e.tr ? qtTrId(e.name) : QString::fromLatin1(e.name), e.value));
  // The measurement tools come between the mode lists and the infrared types.
  for (int t = 0; t < int(std::size(kMeaTools)); ++t)
    meaTool_.append(new CTypeNameDescIcon(this, t, qtTrId(kMeaTools[t].name), qtTrId(kMeaTools[t].desc),
                                          QString::fromLatin1(kMeaTools[t].icon)));
  lists_[23].append(new CNameValue(this, QStringLiteral("LWIR, 7.7~14 um"), 0));
  lists_[23].append(new CNameValue(this, QStringLiteral("MWIR, 3~5 um"), 1));
  built_ = true;
  return 0;
}

}  // namespace calorset
