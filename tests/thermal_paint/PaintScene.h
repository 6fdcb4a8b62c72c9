// Lookup tables as a canvas builds them and measurement definitions for the painting suites.
#pragma once

#include <ItemPainter.h>
#include <ostrel/OstrelRadiometry.h>

#include <cstring>
#include <vector>

// Four tables of 65536 entries, each used through a pointer at its entry 0. The displayed image
// fills (left, top)..(right, bottom) of the view.
struct PaintTables {
  std::vector<int16_t> block = std::vector<int16_t>(4 * 65536, 0);
  const int16_t *i2vx() const { return block.data() + 32768; }
  const int16_t *i2vy() const { return block.data() + 65536 + 32768; }
  const int16_t *v2ix() const { return block.data() + 2 * 65536 + 32768; }
  const int16_t *v2iy() const { return block.data() + 3 * 65536 + 32768; }

  PaintTables(int imageW, int imageH, double left, double top, double right, double bottom) {
    fill(block.data() + 32768, block.data() + 2 * 65536 + 32768, imageW, left, right);
    fill(block.data() + 65536 + 32768, block.data() + 3 * 65536 + 32768, imageH, top, bottom);
  }
  void apply(ItemPainter &p) const { p.setTables(i2vx(), i2vy(), v2ix(), v2iy()); }

 private:
  static void fill(int16_t *toView, int16_t *toImage, int n, double lo, double hi) {
    for (int i = -32768; i < 32768; ++i) {
      if (i < 0)
        toView[i] = int16_t(int(lo));
      else if (i < n)
        toView[i] = int16_t(int(i * (hi - lo) / n + lo));
      else
        toView[i] = int16_t(int(hi));
      if (i < int(lo))
        toImage[i] = 0;
      else if (i < int(hi))
        toImage[i] = int16_t(int((i - lo) * n / (hi - lo)));
      else
        toImage[i] = int16_t(n - 1);
    }
  }
};

inline MeaItem makeDef(int type, const char *name, uint32_t color, std::initializer_list<MeaPoint> pts) {
  MeaItem d;
  std::memset(&d, 0, sizeof d);
  std::strncpy(d.name, name, sizeof d.name - 1);
  d.meaColor = color;
  d.meaType = uint8_t(type);
  d.pointCount = uint8_t(pts.size());
  int i = 0;
  for (const MeaPoint &p : pts) d.points[i++] = p;
  return d;
}

inline MeaResult makeResult(float max, float avg, float min, int maxX, int maxY, int minX, int minY) {
  MeaResult r;
  std::memset(&r, 0, sizeof r);
  r.max = max;
  r.avg = avg;
  r.min = min;
  r.maxX = uint16_t(maxX);
  r.maxY = uint16_t(maxY);
  r.minX = uint16_t(minX);
  r.minY = uint16_t(minY);
  return r;
}
