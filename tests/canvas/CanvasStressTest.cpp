// Frames at 50 Hz from a producer that frees each frame right after handing it over, items
// created and deleted at random, sessions ended and restarted at new sizes, all while the render
// thread draws. Meant for the AddressSanitizer lane: any read of freed or stale state reports.
#include "GpuSupport.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <atomic>
#include <random>

using namespace canvastest;

namespace {

TEST(CanvasStress, FramesItemsAndSessionsWhileRendering) {
  const int seconds = qEnvironmentVariableIntValue("CANVAS_STRESS_SECONDS") > 0
                          ? qEnvironmentVariableIntValue("CANVAS_STRESS_SECONDS")
                          : 10;
  TempCanvasManager manager;
  CanvasWindow w(480, 360);
  TempCanvas &c = *w.canvas;
  ASSERT_EQ(c.beginUpdate(160, 120), 0);
  ASSERT_TRUE(w.show());

  std::atomic<int> swapped{0};
  QObject::connect(&w.window, &QQuickWindow::frameSwapped, &w.window, [&] { ++swapped; },
                   Qt::DirectConnection);
  std::mt19937 rng(1234);
  int width = 160, height = 120, tick = 0, frames = 0, created = 0, deleted = 0, sessions = 0;
  QTimer timer;
  timer.setInterval(20);
  QObject::connect(&timer, &QTimer::timeout, [&] {
    ++tick;
    // A producer frame that lives only for the hand-over.
    auto f = std::make_unique<ProducerFrame>(width, height);
    f->fill(20 + tick % 7, 0x00000000u | uint32_t(tick * 2654435761u) >> 8);
    f->disc(rng() % width, rng() % height, 5 + rng() % 20, 40 + tick % 11, 0x00FFFF00u);
    if (c.updateData(f->handle()) == 0) ++frames;
    f.reset();
    const unsigned r = rng() % 100;
    if (r < 30) {
      const int x = int(rng() % width), y = int(rng() % height);
      static const int types[] = {1, 2, 3, 5, 6, 7, 9, 10, 11};
      const int t = types[rng() % 9];
      MeaItem d = makeDef(t, {{x, y}, {std::min(width - 1, x + 10), std::min(height - 1, y + 8)}, {x, std::min(height - 1, y + 12)}});
      manager.nextItemDef(&d);
      if (c.createItem(&d)) ++created;
    } else if (r < 50 && c.itemList().size() > 1) {
      c.item_delete(c.itemList()[1 + rng() % (c.itemList().size() - 1)]);
      ++deleted;
    } else if (r < 55) {
      c.item_deleteAll();
    } else if (r < 60 || tick % 40 == 0) {
      // The session ends while a frame may be in flight; the next starts at another size.
      c.endUpdate();
      width = width == 160 ? 200 : 160;
      height = height == 120 ? 150 : 120;
      ASSERT_EQ(c.beginUpdate(width, height), 0);
      ++sessions;
    } else if (r < 62) {
      manager.setHideAll(!manager.hideAll());
    } else if (r < 70 && c.itemList().size() > 1) {
      TempCanvasItemBase *it = c.itemList().last();
      it->movePoint(0, QPoint(int(rng() % 7) - 3, int(rng() % 7) - 3));
    } else if (r < 75) {
      c.setInfoVisible(!c.infoVisible());
      c.setInfoText(QString::number(tick));
    }
  });
  // Runs for the given time and, on a loaded machine, on until enough frames went through both
  // threads; a hard limit ends a run that stalls.
  constexpr int kMinFrames = 100, kMinShown = 20;
  QElapsedTimer clock;
  clock.start();
  QEventLoop loop;
  QTimer check;
  check.setInterval(100);
  QObject::connect(&check, &QTimer::timeout, [&] {
    const bool enough = clock.elapsed() >= seconds * 1000 && frames >= kMinFrames && swapped.load() >= kMinShown;
    if (enough || clock.elapsed() > 300 * 1000) loop.quit();
  });
  timer.start();
  check.start();
  loop.exec();
  timer.stop();
  check.stop();
  c.endUpdate();
  EXPECT_GE(frames, kMinFrames);
  EXPECT_GE(swapped.load(), kMinShown);
  EXPECT_GT(created, 0);
  EXPECT_GT(deleted, 0);
  EXPECT_GT(sessions, 0);
  std::printf("frames %d, shown %d, items created %d, deleted %d, sessions %d\n", frames, swapped.load(), created,
              deleted, sessions);
}

}  // namespace
