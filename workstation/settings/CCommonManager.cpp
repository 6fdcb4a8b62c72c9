#include "settings/CCommonManager.h"

#include <QtQml/qqml.h>
#include <QFileInfo>

namespace {

template <typename T>
qsizetype listCount(QQmlListProperty<T>* p) {
  return static_cast<QList<T*>*>(p->data)->size();
}
template <typename T>
T* listAt(QQmlListProperty<T>* p, qsizetype i) {
  auto* list = static_cast<QList<T*>*>(p->data);
  return (i >= 0 && i < list->size()) ? list->at(i) : nullptr;
}

}  // namespace

CCommonManager::CCommonManager(QObject* parent) : QObject(parent), enum_(new EEnum(this)) {}

QQmlListProperty<CNameValue> CCommonManager::nv(QList<CNameValue*>* list) {
  return QQmlListProperty<CNameValue>(this, list, &listCount<CNameValue>, &listAt<CNameValue>);
}

QQmlListProperty<CTypeNameDescIcon> CCommonManager::tndi(QList<CTypeNameDescIcon*>* list) {
  return QQmlListProperty<CTypeNameDescIcon>(this, list, &listCount<CTypeNameDescIcon>,
                                             &listAt<CTypeNameDescIcon>);
}

int CCommonManager::init() {
  if (built_) return 0;
  qmlRegisterSingletonInstance("Ostrel", 1, 0, "EEnum", enum_);
  qmlRegisterType<CNameValue>("Ostrel", 1, 0, "CNameValue");
  qmlRegisterType<CTypeNameDescIcon>("Ostrel", 1, 0, "CTypeNameDescIcon");
  qmlRegisterType<CCommonManager>("Ostrel", 1, 0, "CCommonManager");

  // Names are translation ids, resolved here; entries are owned by the manager.
  auto add = [this](QList<CNameValue*>& list, const char* id, int value) {
    list.append(new CNameValue(this, qtTrId(id), value));
  };
  auto addPlain = [this](QList<CNameValue*>& list, const QString& name, int value) {
    list.append(new CNameValue(this, name, value));
  };
  auto addT = [this](QList<CTypeNameDescIcon*>& list, int type, const QString& name, const QString& desc,
                     const QString& icon) {
    list.append(new CTypeNameDescIcon(this, type, name, desc, icon));
  };

  add(language_, QT_TRID_NOOP("zh_CN"), 0);
  add(language_, QT_TRID_NOOP("en_US"), 1);
  add(strech_, QT_TRID_NOOP("StrechType_PHE"), 1);
  add(strech_, QT_TRID_NOOP("StrechType_LINEAR"), 2);
  add(strech_, QT_TRID_NOOP("StrechType_PHE2023"), 3);
  add(strech_, QT_TRID_NOOP("StrechType_SmallTarget"), 4);
  add(colorTemp_, QT_TRID_NOOP("ColorTempType_None"), 0);
  add(colorTemp_, QT_TRID_NOOP("ColorTempType_High"), 1);
  add(colorTemp_, QT_TRID_NOOP("ColorTempType_Low"), 2);
  add(colorTemp_, QT_TRID_NOOP("ColorTempType_Mid"), 3);
  add(colorTemp_, QT_TRID_NOOP("ColorTempType_ExMid"), 4);
  add(textPos_, QT_TRID_NOOP("TextPos_None"), 0);
  add(textPos_, QT_TRID_NOOP("TextPos_TopLeft"), 1);
  add(textPos_, QT_TRID_NOOP("TextPos_TopRight"), 2);
  add(textPos_, QT_TRID_NOOP("TextPos_BottomLeft"), 3);
  add(textPos_, QT_TRID_NOOP("TextPos_BottomRight"), 4);
  add(saveMode_, QT_TRID_NOOP("SaveMode_Ask"), 0);
  add(saveMode_, QT_TRID_NOOP("SaveMode_Always"), 1);
  add(saveMode_, QT_TRID_NOOP("SaveMode_Never"), 2);
  add(overlayType_, QT_TRID_NOOP("EOverlayType_None"), 0);
  add(overlayType_, QT_TRID_NOOP("EOverlayType_Inside"), 1);
  add(overlayType_, QT_TRID_NOOP("EOverlayType_Outside"), 2);
  // The gear box is 80 wide: without a translation it shows the level as the camera names it,
  // never the bare id.
  auto addOr = [this](QList<CNameValue*>& list, const char* id, const char* shown, int value) {
    const QString t = qtTrId(id);
    list.append(new CNameValue(this, t == QLatin1String(id) ? QString::fromLatin1(shown) : t, value));
  };
  addOr(gearLevel_, QT_TRID_NOOP("EGearLevel_Auto"), "Auto", 0);
  addOr(gearLevel_, QT_TRID_NOOP("EGearLevel_1"), "1", 1);
  addOr(gearLevel_, QT_TRID_NOOP("EGearLevel_2"), "2", 2);

  static const char* const layouts[] = {"r1c1",     "r2c1",        "r1c2",       "r2c2",
                                        "r2c1-top", "r2c1-bottom", "r1c2-right", "r1c2-left"};
  for (int i = 0; i < 8; ++i) {
    const QString d = QString::fromLatin1(layouts[i]);
    addT(tabLayout_, i, QString(), d, QStringLiteral("qrc:/Icons/layout-") + d + QStringLiteral(".svg"));
  }

  struct Tool {
    const char* name;
    const char* desc;
    const char* icon;
  };
  static const Tool tools[] = {
      {QT_TRID_NOOP("MeaTool_Select"), QT_TRID_NOOP("MeaTool_Select"), "cursor-default"},
      {QT_TRID_NOOP("MeaTool_Point1x1"), QT_TRID_NOOP("MeaTool_Point1x1Desc"), "point1x1"},
      {QT_TRID_NOOP("MeaTool_Point3x3"), QT_TRID_NOOP("MeaTool_Point3x3Desc"), "point3x3"},
      {QT_TRID_NOOP("MeaTool_PointCross"), QT_TRID_NOOP("MeaTool_PointCrossDesc"), "pointcross"},
      {QT_TRID_NOOP("MeaTool_Line"), QT_TRID_NOOP("MeaTool_LineDesc"), "slash-forward"},
      {QT_TRID_NOOP("MeaTool_Polyline"), QT_TRID_NOOP("MeaTool_PolylineDesc"), "chart-line-variant"},
      {QT_TRID_NOOP("MeaTool_Ellipse"), QT_TRID_NOOP("MeaTool_EllipseDesc"), "ellipse-outline"},
      {QT_TRID_NOOP("MeaTool_Circle"), QT_TRID_NOOP("MeaTool_CircleDesc"), "circle"},
      {QT_TRID_NOOP("MeaTool_Custom"), QT_TRID_NOOP("MeaTool_CustomDesc"), "octagram-outline"},
      {QT_TRID_NOOP("MeaTool_Rectangle"), QT_TRID_NOOP("MeaTool_RectangleDesc"), "rectangle-outline"},
      {QT_TRID_NOOP("MeaTool_Square"), QT_TRID_NOOP("MeaTool_SquareDesc"), "square-outline"},
      {QT_TRID_NOOP("MeaTool_Polygon"), QT_TRID_NOOP("MeaTool_PolygonDesc"), "hexagon-outline"},
      {QT_TRID_NOOP("MeaTool_EditPoint"), QT_TRID_NOOP("MeaTool_EditPointDesc"), "point-add-remove"},
      {QT_TRID_NOOP("MeaTool_Hide"), QT_TRID_NOOP("MeaTool_HideDesc"), "eye"},
  };
  for (int i = 0; i < 14; ++i)
    addT(meaTool_, i, qtTrId(tools[i].name), qtTrId(tools[i].desc),
         QStringLiteral("qrc:/Icons/") + QString::fromLatin1(tools[i].icon) + QStringLiteral(".svg"));

  static const char* const stats[][2] = {{QT_TRID_NOOP("Stats_Min"), "min"},
                                         {QT_TRID_NOOP("Stats_Max"), "max"},
                                         {QT_TRID_NOOP("Stats_Mean"), "mean"},
                                         {QT_TRID_NOOP("Stats_Sum"), "sum"},
                                         {QT_TRID_NOOP("Stats_Std"), "std"}};
  for (int i = 0; i < 5; ++i)
    addT(statsType_, i, qtTrId(stats[i][0]), QString(),
         QStringLiteral("qrc:/Icons/stats-") + QString::fromLatin1(stats[i][1]) + QStringLiteral(".svg"));
  statsTypeTime_ = statsType_.mid(0, 3);  // the same objects: min, max, mean

  addT(dimType_, 0, QStringLiteral("X"), QString(), QString());
  addT(dimType_, 1, QStringLiteral("Y"), QString(), QString());
  addT(dimType_, 2, QStringLiteral("Time"), QString(), QString());
  dimTypeXY_ = dimType_.mid(0, 2);

  add(startTrigger_, QT_TRID_NOOP("ERecorderTrigger_ManualStart"), 257);
  add(startTrigger_, QT_TRID_NOOP("ERecorderTrigger_CameraTagStart"), 258);
  add(stopTrigger_, QT_TRID_NOOP("ERecorderTrigger_ManualStop"), 513);
  add(stopTrigger_, QT_TRID_NOOP("ERecorderTrigger_CameraTagStop"), 514);
  add(stopTrigger_, QT_TRID_NOOP("ERecorderTrigger_AutoDelayStop"), 515);
  for (int i = 1; i <= 8; ++i) addPlain(recordDiv_, QString::number(i), i);

  built_ = true;
  return 0;
}

QString CCommonManager::triggerName(int code) const {
  for (const auto* list : {&startTrigger_, &stopTrigger_})
    for (const CNameValue* e : *list)
      if (e->value() == code) return e->name();
  return QStringLiteral("None");
}

bool CCommonManager::fileExists(const QString& path) const {
  return QFileInfo::exists(path);
}
