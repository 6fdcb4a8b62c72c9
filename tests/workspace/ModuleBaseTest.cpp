// The image-module base without a camera: the canvas hand-over, the overlay switch that lives on
// the canvas, and a stored record applied to settings and canvas (hostile item counts included).
#include <QSignalSpy>
#include <cstring>

#include "WorkspaceSupport.h"
#include "modules/CModuleInputIr.h"

namespace {

using namespace workspace;

TEST(ModuleBase, CanvasHandOverAcceptsOnlyACanvas) {
  CModuleInputIr m;
  QSignalSpy changed(&m, &CModuleInputIrBase::tempCanvasChanged);
  QObject notACanvas;
  m.setTempCanvas(&notACanvas);
  EXPECT_EQ(m.tempCanvasObject(), nullptr);
  EXPECT_EQ(m.canvas(), nullptr);
  EXPECT_EQ(changed.count(), 0);
  auto* canvas = new CheckingCanvas;
  m.setTempCanvas(canvas);
  EXPECT_EQ(m.canvas(), canvas);
  EXPECT_EQ(changed.count(), 1);
  m.setTempCanvas(canvas);
  EXPECT_EQ(changed.count(), 1);
  delete canvas;  // the view's item went away
  EXPECT_EQ(m.canvas(), nullptr);
  EXPECT_EQ(m.tempCanvasObject(), nullptr);
}

TEST(ModuleBase, OverlaySwitchNeedsACanvas) {
  CModuleInputIr m;
  QSignalSpy spy(&m, &CModuleInputIrBase::showInfoChanged);
  m.setShowInfo(true);
  EXPECT_FALSE(m.showInfo());
  EXPECT_EQ(spy.count(), 0);
  CheckingCanvas canvas;
  m.setTempCanvas(&canvas);
  m.setShowInfo(true);
  m.setShowInfo(true);
  EXPECT_TRUE(m.showInfo());
  EXPECT_TRUE(canvas.overlay);
  EXPECT_EQ(spy.count(), 1);
  m.setShowInfo(false);
  EXPECT_FALSE(canvas.overlay);
  EXPECT_EQ(spy.count(), 2);
}

TEST(ModuleBase, StoredRecordReachesSettingsAndCanvas) {
  CModuleInputIr m;
  TempFileConf conf;
  std::memset(&conf, 0, sizeof conf);
  conf.paletteIndex = 7;
  conf.meaCount = 3;
  m.applyConf(conf);  // no canvas: nothing
  EXPECT_NE(m.imageConfig()->paletteType(), 7);

  CheckingCanvas canvas;
  m.setTempCanvas(&canvas);
  QSignalSpy palette(m.imageConfig(), &TempImageConfig::paletteTypeChanged);
  m.applyConf(conf);
  EXPECT_EQ(m.imageConfig()->paletteType(), 7);
  EXPECT_EQ(palette.count(), 1);
  EXPECT_EQ(canvas.paletteType, 7);
  EXPECT_EQ(canvas.itemDefs, 3);
  // Counts from a file are not trusted past the 32 stored items.
  conf.meaCount = 40;
  m.applyConf(conf);
  EXPECT_EQ(canvas.itemDefs, 32);
  conf.meaCount = -5;
  m.applyConf(conf);
  EXPECT_EQ(canvas.itemDefs, 0);
}

TEST(ModuleBase, DetachedLiveModuleRefusesCameraWork) {
  CModuleInputIr m;
  EXPECT_EQ(m.loadData(), -7);
  EXPECT_EQ(m.pause(true), -7);
  EXPECT_EQ(m.applyImageConfig(), -7);
  EXPECT_FALSE(m.input_saveRequired());
  m.unloadData();
  m.detach();
  EXPECT_EQ(m.moveTo(nullptr), -7);
  EXPECT_EQ(m.recorder()->state(), 0);
  EXPECT_FALSE(m.recorder()->isActive());
  EXPECT_EQ(m.recorder()->parent(), &m);
}

}  // namespace
