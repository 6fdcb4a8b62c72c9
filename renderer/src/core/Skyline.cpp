#include "Skyline.h"

#include <algorithm>

namespace qorn {

Skyline::Skyline(int width, int height) : width_(width), height_(height) {
  nodes_.reserve(256);
  reset(width, height);
}

void Skyline::reset(int width, int height) {
  width_ = width;
  height_ = height;
  nodes_.clear();
  nodes_.push_back(SkylineNode{0, 0, static_cast<int16_t>(width)});
}

bool Skyline::insertNode(int idx, int x, int y, int w) {
  if (nodes_.size() == nodes_.capacity()) {
    try {
      nodes_.reserve(nodes_.empty() ? 8 : nodes_.capacity() * 2);
    } catch (...) {
      return false;
    }
  }
  nodes_.insert(nodes_.begin() + idx, SkylineNode{static_cast<int16_t>(x), static_cast<int16_t>(y),
                                                  static_cast<int16_t>(w)});
  return true;
}

// The y at which a w x h rectangle rests when its left edge is at node i (the highest segment top
// under it), or -1 when it leaves the atlas.
int Skyline::rectFits(int i, int w, int h) const {
  const int x = nodes_[i].x;
  int y = nodes_[i].y;
  if (x + w > width_) return -1;
  int spaceLeft = w;
  const int n = static_cast<int>(nodes_.size());
  while (spaceLeft > 0) {
    if (i == n) return -1;
    y = std::max(y, static_cast<int>(nodes_[i].y));
    if (y + h > height_) return -1;
    spaceLeft -= nodes_[i].width;
    ++i;
  }
  return y;
}

bool Skyline::addLevel(int idx, int x, int y, int w, int h) {
  if (!insertNode(idx, x, y + h, w)) return false;
  // Segments under the new one shrink or go.
  for (size_t i = idx + 1; i < nodes_.size(); i++) {
    const int prevEnd = nodes_[i - 1].x + nodes_[i - 1].width;
    if (nodes_[i].x >= prevEnd) break;
    const int shrink = prevEnd - nodes_[i].x;
    nodes_[i].x = static_cast<int16_t>(nodes_[i].x + shrink);
    nodes_[i].width = static_cast<int16_t>(nodes_[i].width - shrink);
    if (nodes_[i].width > 0) break;
    nodes_.erase(nodes_.begin() + i);
    i--;
  }
  // Neighbours of equal height merge.
  for (size_t i = 0; i + 1 < nodes_.size();) {
    if (nodes_[i].y == nodes_[i + 1].y) {
      nodes_[i].width = static_cast<int16_t>(nodes_[i].width + nodes_[i + 1].width);
      nodes_.erase(nodes_.begin() + i + 1);
    } else {
      i++;
    }
  }
  return true;
}

bool Skyline::addRect(int rw, int rh, int* rx, int* ry) {
  if (rw <= 0 || rh <= 0 || rw > width_ || rh > height_) return false;
  int bestBottom = height_ + 1, bestWidth = width_ + 1, besti = -1, bestx = -1, besty = -1;
  // Bottom-left fit: the lowest resulting bottom, ties to the narrower segment.
  for (int i = 0; i < static_cast<int>(nodes_.size()); i++) {
    const int y = rectFits(i, rw, rh);
    if (y == -1) continue;
    if (y + rh < bestBottom || (y + rh == bestBottom && nodes_[i].width < bestWidth)) {
      besti = i;
      bestWidth = nodes_[i].width;
      bestBottom = y + rh;
      bestx = nodes_[i].x;
      besty = y;
    }
  }
  if (besti == -1) return false;
  if (!addLevel(besti, bestx, besty, rw, rh)) return false;
  *rx = bestx;
  *ry = besty;
  return true;
}

}  // namespace qorn
