// Skyline rectangle packer of the glyph atlas: the free space is kept as a list of horizontal
// segments (the skyline); a rectangle is dropped where its bottom ends lowest.
#pragma once

#include <cstdint>
#include <vector>

namespace qorn {

struct SkylineNode {
  int16_t x, y, width;
};

class Skyline {
public:
  Skyline(int width, int height);
  // Starts over with one segment (0, 0, width).
  void reset(int width, int height);
  // Places a w x h rectangle; false (and nothing changed) when it fits nowhere.
  bool addRect(int w, int h, int* rx, int* ry);

  int width() const { return width_; }
  int height() const { return height_; }
  const std::vector<SkylineNode>& nodes() const { return nodes_; }

private:
  int rectFits(int i, int w, int h) const;
  bool addLevel(int idx, int x, int y, int w, int h);
  bool insertNode(int idx, int x, int y, int w);

  int width_, height_;
  std::vector<SkylineNode> nodes_;
};

}  // namespace qorn
