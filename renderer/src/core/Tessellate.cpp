// Flattening of the command buffer into point lists, joins, and their expansion into fill fans,
// anti-aliasing fringes and stroke strips. Tolerances and fringe widths are in device pixels
// divided by the ratio (logical units that map to one device pixel).
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "CoreInternal.h"

namespace qorn {
namespace {

float normalize(float* x, float* y) {
  const float d = std::sqrt((*x) * (*x) + (*y) * (*y));
  if (d > 1e-6f) {
    const float id = 1.0f / d;
    *x *= id;
    *y *= id;
  }
  return d;
}

// std::fmin and std::fmax with their NaN rule (the other operand wins), inlined: the library
// calls cost more than the comparisons at every point of every path.
inline float minf(float a, float b) { return (b < a || std::isnan(a)) ? b : a; }
inline float maxf(float a, float b) { return (b > a || std::isnan(a)) ? b : a; }

bool ptEquals(float x1, float y1, float x2, float y2, float tol) {
  const float dx = x2 - x1, dy = y2 - y1;
  return dx * dx + dy * dy < tol * tol;
}

// Twice the signed area; positive for the solid (counter-clockwise) winding in y-down coordinates.
float polyArea(const Point* pts, int npts) {
  float area = 0;
  for (int i = 2; i < npts; i++) {
    const Point& a = pts[0];
    const Point& b = pts[i - 1];
    const Point& c = pts[i];
    area += (c.x - a.x) * (b.y - a.y) - (b.x - a.x) * (c.y - a.y);
  }
  return area * 0.5f;
}

void polyReverse(Point* pts, int npts) {
  for (int i = 0, j = npts - 1; i < j; i++, j--) {
    const Point tmp = pts[i];
    pts[i] = pts[j];
    pts[j] = tmp;
  }
}

QornVertex* vset(QornVertex* v, float x, float y, float u, float w) {
  v->x = x;
  v->y = y;
  v->u = u;
  v->v = w;
  return v + 1;
}

QornPath* lastPath(QornContext* ctx) {
  return ctx->cache.npaths > 0 ? &ctx->cache.paths[ctx->cache.npaths - 1] : nullptr;
}

void addPath(QornContext* ctx) {
  PathCache& c = ctx->cache;
  if (c.npaths + 1 > c.cpaths) {
    const int cpaths = c.npaths + 1 + c.cpaths / 2;
    auto* paths = static_cast<QornPath*>(std::realloc(c.paths, sizeof(QornPath) * cpaths));
    if (!paths) return;
    c.paths = paths;
    c.cpaths = cpaths;
  }
  QornPath* path = &c.paths[c.npaths];
  std::memset(path, 0, sizeof(*path));
  path->first = c.npoints;
  path->winding = QORN_CCW;
  c.npaths++;
}

// Walks the command buffer into the point cache. A chart draws thousands of small circles per
// frame, each four Béziers of a few points, so the point count, the current path and the
// tolerances stay in locals here instead of being read back through the context per point.
class Flattener {
 public:
  explicit Flattener(QornContext* ctx)
      : ctx_(ctx),
        pts_(ctx->cache.points),
        npoints_(ctx->cache.npoints),
        cpoints_(ctx->cache.cpoints),
        path_(lastPath(ctx)),
        distTol_(ctx->distTol),
        tessTol_(ctx->tessTol) {}
  ~Flattener() { ctx_->cache.npoints = npoints_; }

  void beginPath() {
    ctx_->cache.npoints = npoints_;
    addPath(ctx_);
    path_ = lastPath(ctx_);
  }
  QornPath* path() const { return path_; }
  // The last point of the current path, null when it has none.
  const Point* last() const { return path_ && path_->count > 0 ? &pts_[npoints_ - 1] : nullptr; }

  void add(float x, float y, int flags) {
    if (!path_) return;
    if (path_->count > 0 && npoints_ > 0) {
      Point* pt = &pts_[npoints_ - 1];
      if (ptEquals(pt->x, pt->y, x, y, distTol_)) {
        pt->flags |= static_cast<unsigned char>(flags);
        return;
      }
    }
    if (npoints_ + 1 > cpoints_ && !grow()) return;
    Point* pt = &pts_[npoints_];
    pt->x = x;
    pt->y = y;
    pt->dx = pt->dy = pt->len = pt->dmx = pt->dmy = 0.0f;
    pt->flags = static_cast<unsigned char>(flags);
    npoints_++;
    path_->count++;
  }

  // Subdivides depth first, left half before right, without a call per piece: the right halves
  // wait on a stack of at most one per level.
  void bezier(float x1, float y1, float x2, float y2, float x3, float y3, float x4, float y4, int level,
              int type) {
    struct Piece {
      float x1, y1, x2, y2, x3, y3, x4, y4;
      int level, type;
    };
    Piece pending[12];
    int npending = 0;
    Piece c{x1, y1, x2, y2, x3, y3, x4, y4, level, type};
    for (;;) {
      if (c.level <= 10) {
        const float x12 = (c.x1 + c.x2) * 0.5f, y12 = (c.y1 + c.y2) * 0.5f;
        const float x23 = (c.x2 + c.x3) * 0.5f, y23 = (c.y2 + c.y3) * 0.5f;
        const float x34 = (c.x3 + c.x4) * 0.5f, y34 = (c.y3 + c.y4) * 0.5f;
        const float x123 = (x12 + x23) * 0.5f, y123 = (y12 + y23) * 0.5f;

        const float dx = c.x4 - c.x1, dy = c.y4 - c.y1;
        const float d2 = std::fabs((c.x2 - c.x4) * dy - (c.y2 - c.y4) * dx);
        const float d3 = std::fabs((c.x3 - c.x4) * dy - (c.y3 - c.y4) * dx);
        if ((d2 + d3) * (d2 + d3) < tessTol_ * (dx * dx + dy * dy)) {
          add(c.x4, c.y4, c.type);
        } else {
          const float x234 = (x23 + x34) * 0.5f, y234 = (y23 + y34) * 0.5f;
          const float x1234 = (x123 + x234) * 0.5f, y1234 = (y123 + y234) * 0.5f;
          pending[npending++] = Piece{x1234, y1234, x234, y234, x34, y34, c.x4, c.y4, c.level + 1, c.type};
          c = Piece{c.x1, c.y1, x12, y12, x123, y123, x1234, y1234, c.level + 1, 0};
          continue;
        }
      }
      if (npending == 0) return;
      c = pending[--npending];
    }
  }

 private:
  bool grow() {
    const int cpoints = npoints_ + 1 + cpoints_ / 2;
    auto* points = static_cast<Point*>(std::realloc(pts_, sizeof(Point) * cpoints));
    if (!points) return false;
    pts_ = ctx_->cache.points = points;
    cpoints_ = ctx_->cache.cpoints = cpoints;
    return true;
  }

  QornContext* ctx_;
  Point* pts_;
  int npoints_;
  int cpoints_;
  QornPath* path_;
  float distTol_;
  float tessTol_;
};

// Turns that all go one way make a convex outline only if it winds around once: a pentagram turns
// one way too but winds twice, and drawn as one fan it would cover its centre twice. Over a single
// turn the segment directions' x and y components each change sign at most twice.
bool windsOnce(const Point* pts, int count) {
  auto changes = [&](bool useX) {
    int n = 0, prev = 0, first = 0;
    for (int i = 0; i < count; ++i) {
      const float d = useX ? pts[i].dx : pts[i].dy;
      const int sign = d > 1e-6f ? 1 : (d < -1e-6f ? -1 : 0);
      if (sign == 0) continue;
      if (prev != 0 && sign != prev) ++n;
      if (first == 0) first = sign;
      prev = sign;
    }
    if (prev != 0 && prev != first) ++n;
    return n;
  };
  return changes(true) <= 2 && changes(false) <= 2;
}

void calculateJoins(QornContext* ctx, float w, int lineJoin, float miterLimit) {
  PathCache& c = ctx->cache;
  const float iw = w > 0.0f ? 1.0f / w : 0.0f;
  for (int i = 0; i < c.npaths; i++) {
    QornPath* path = &c.paths[i];
    path->nbevel = 0;
    if (path->count == 0) {
      path->convex = 0;
      continue;
    }
    Point* pts = &c.points[path->first];
    Point* p0 = &pts[path->count - 1];
    Point* p1 = &pts[0];
    int nleft = 0;
    for (int j = 0; j < path->count; j++) {
      const float dlx0 = p0->dy, dly0 = -p0->dx;
      const float dlx1 = p1->dy, dly1 = -p1->dx;
      p1->dmx = (dlx0 + dlx1) * 0.5f;
      p1->dmy = (dly0 + dly1) * 0.5f;
      const float dmr2 = p1->dmx * p1->dmx + p1->dmy * p1->dmy;
      if (dmr2 > 0.000001f) {
        float scale = 1.0f / dmr2;
        if (scale > 600.0f) scale = 600.0f;
        p1->dmx *= scale;
        p1->dmy *= scale;
      }
      p1->flags = (p1->flags & kPtCorner) ? kPtCorner : 0;

      const float cross = p1->dx * p0->dy - p0->dx * p1->dy;
      if (cross > 0.0f) {
        nleft++;
        p1->flags |= kPtLeft;
      }
      // Inner joins of short segments are bevelled so the miter does not overshoot the segment.
      const float limit = maxf(1.01f, minf(p0->len, p1->len) * iw);
      if (dmr2 * limit * limit < 1.0f) p1->flags |= kPtInnerBevel;
      if (p1->flags & kPtCorner) {
        if (dmr2 * miterLimit * miterLimit < 1.0f || lineJoin == QORN_BEVEL || lineJoin == QORN_ROUND)
          p1->flags |= kPtBevel;
      }
      if (p1->flags & (kPtBevel | kPtInnerBevel)) path->nbevel++;
      p0 = p1++;
    }
    path->convex = nleft == path->count && windsOnce(pts, path->count) ? 1 : 0;
  }
}

void chooseBevel(bool bevel, const Point* p0, const Point* p1, float w, float* x0, float* y0, float* x1, float* y1) {
  if (bevel) {
    *x0 = p1->x + p0->dy * w;
    *y0 = p1->y - p0->dx * w;
    *x1 = p1->x + p1->dy * w;
    *y1 = p1->y - p1->dx * w;
  } else {
    *x0 = p1->x + p1->dmx * w;
    *y0 = p1->y + p1->dmy * w;
    *x1 = p1->x + p1->dmx * w;
    *y1 = p1->y + p1->dmy * w;
  }
}

// At most 10 vertices.
QornVertex* bevelJoin(QornVertex* dst, const Point* p0, const Point* p1, float lw, float rw, float lu, float ru) {
  const float dlx0 = p0->dy, dly0 = -p0->dx;
  const float dlx1 = p1->dy, dly1 = -p1->dx;
  const bool inner = (p1->flags & kPtInnerBevel) != 0;
  if (p1->flags & kPtLeft) {
    float lx0, ly0, lx1, ly1;
    chooseBevel(inner, p0, p1, lw, &lx0, &ly0, &lx1, &ly1);
    dst = vset(dst, lx0, ly0, lu, 1);
    dst = vset(dst, p1->x - dlx0 * rw, p1->y - dly0 * rw, ru, 1);
    if (p1->flags & kPtBevel) {
      dst = vset(dst, lx0, ly0, lu, 1);
      dst = vset(dst, p1->x - dlx0 * rw, p1->y - dly0 * rw, ru, 1);
      dst = vset(dst, lx1, ly1, lu, 1);
      dst = vset(dst, p1->x - dlx1 * rw, p1->y - dly1 * rw, ru, 1);
    } else {
      const float rx0 = p1->x - p1->dmx * rw, ry0 = p1->y - p1->dmy * rw;
      dst = vset(dst, p1->x, p1->y, 0.5f, 1);
      dst = vset(dst, p1->x - dlx0 * rw, p1->y - dly0 * rw, ru, 1);
      dst = vset(dst, rx0, ry0, ru, 1);
      dst = vset(dst, rx0, ry0, ru, 1);
      dst = vset(dst, p1->x, p1->y, 0.5f, 1);
      dst = vset(dst, p1->x - dlx1 * rw, p1->y - dly1 * rw, ru, 1);
    }
    dst = vset(dst, lx1, ly1, lu, 1);
    dst = vset(dst, p1->x - dlx1 * rw, p1->y - dly1 * rw, ru, 1);
  } else {
    float rx0, ry0, rx1, ry1;
    chooseBevel(inner, p0, p1, -rw, &rx0, &ry0, &rx1, &ry1);
    dst = vset(dst, p1->x + dlx0 * lw, p1->y + dly0 * lw, lu, 1);
    dst = vset(dst, rx0, ry0, ru, 1);
    if (p1->flags & kPtBevel) {
      dst = vset(dst, p1->x + dlx0 * lw, p1->y + dly0 * lw, lu, 1);
      dst = vset(dst, rx0, ry0, ru, 1);
      dst = vset(dst, p1->x + dlx1 * lw, p1->y + dly1 * lw, lu, 1);
      dst = vset(dst, rx1, ry1, ru, 1);
    } else {
      const float lx0 = p1->x + p1->dmx * lw, ly0 = p1->y + p1->dmy * lw;
      dst = vset(dst, p1->x + dlx0 * lw, p1->y + dly0 * lw, lu, 1);
      dst = vset(dst, p1->x, p1->y, 0.5f, 1);
      dst = vset(dst, lx0, ly0, lu, 1);
      dst = vset(dst, lx0, ly0, lu, 1);
      dst = vset(dst, p1->x + dlx1 * lw, p1->y + dly1 * lw, lu, 1);
      dst = vset(dst, p1->x, p1->y, 0.5f, 1);
    }
    dst = vset(dst, p1->x + dlx1 * lw, p1->y + dly1 * lw, lu, 1);
    dst = vset(dst, rx1, ry1, ru, 1);
  }
  return dst;
}

// Cap at the start of an open path: the solid edge sits d behind the end point, the fringe aa
// beyond it.
QornVertex* capStart(QornVertex* dst, const Point* p, float dx, float dy, float w, float d, float aa, float u0,
                     float u1) {
  const float px = p->x - dx * d, py = p->y - dy * d;
  const float dlx = dy, dly = -dx;
  dst = vset(dst, px + dlx * w - dx * aa, py + dly * w - dy * aa, u0, 0);
  dst = vset(dst, px - dlx * w - dx * aa, py - dly * w - dy * aa, u1, 0);
  dst = vset(dst, px + dlx * w, py + dly * w, u0, 1);
  dst = vset(dst, px - dlx * w, py - dly * w, u1, 1);
  return dst;
}

QornVertex* capEnd(QornVertex* dst, const Point* p, float dx, float dy, float w, float d, float aa, float u0,
                   float u1) {
  const float px = p->x + dx * d, py = p->y + dy * d;
  const float dlx = dy, dly = -dx;
  dst = vset(dst, px + dlx * w, py + dly * w, u0, 1);
  dst = vset(dst, px - dlx * w, py - dly * w, u1, 1);
  dst = vset(dst, px + dlx * w + dx * aa, py + dly * w + dy * aa, u0, 0);
  dst = vset(dst, px - dlx * w + dx * aa, py - dly * w + dy * aa, u1, 0);
  return dst;
}

}  // namespace

void flattenPaths(QornContext* ctx) {
  PathCache& c = ctx->cache;
  if (c.npaths > 0) return;  // already flattened for this path set

  {
    Flattener fl(ctx);
    const float* cmds = ctx->commands;
    const int ncommands = ctx->ncommands;
    for (int i = 0; i < ncommands;) {
      const float* p = &cmds[i + 1];
      switch (static_cast<int>(cmds[i])) {
        case kMoveTo:
          fl.beginPath();
          fl.add(p[0], p[1], kPtCorner);
          i += 3;
          break;
        case kLineTo:
          fl.add(p[0], p[1], kPtCorner);
          i += 3;
          break;
        case kBezierTo: {
          if (const Point* last = fl.last())
            fl.bezier(last->x, last->y, p[0], p[1], p[2], p[3], p[4], p[5], 0, kPtCorner);
          i += 7;
          break;
        }
        case kClose:
          if (QornPath* path = fl.path()) path->closed = 1;
          i++;
          break;
        case kWinding:
          if (QornPath* path = fl.path()) path->winding = static_cast<int>(p[0]);
          i += 2;
          break;
        default:
          i++;
      }
    }
  }

  // Bounds in locals: stores through the context would be reloaded after every point's store.
  float b0 = 1e6f, b1 = 1e6f, b2 = -1e6f, b3 = -1e6f;
  const float distTol = ctx->distTol;
  for (int j = 0; j < c.npaths; j++) {
    QornPath* path = &c.paths[j];
    Point* pts = &c.points[path->first];
    if (path->count == 0) continue;
    Point* p0 = &pts[path->count - 1];
    Point* p1 = &pts[0];
    if (path->count > 1 && ptEquals(p0->x, p0->y, p1->x, p1->y, distTol)) {
      path->count--;
      p0 = &pts[path->count - 1];
      path->closed = 1;
    }
    if (path->count > 2) {
      const float area = polyArea(pts, path->count);
      if ((path->winding == QORN_CCW && area < 0.0f) || (path->winding == QORN_CW && area > 0.0f)) {
        polyReverse(pts, path->count);
      }
    }
    for (int i = 0; i < path->count; i++) {
      p0->dx = p1->x - p0->x;
      p0->dy = p1->y - p0->y;
      p0->len = normalize(&p0->dx, &p0->dy);
      // minf and maxf of a finite accumulator: it never becomes NaN (a NaN point compares
      // false and is not taken), so the NaN rule reduces to one comparison each.
      b0 = p0->x < b0 ? p0->x : b0;
      b1 = p0->y < b1 ? p0->y : b1;
      b2 = p0->x > b2 ? p0->x : b2;
      b3 = p0->y > b3 ? p0->y : b3;
      p0 = p1++;
    }
  }
  c.bounds[0] = b0;
  c.bounds[1] = b1;
  c.bounds[2] = b2;
  c.bounds[3] = b3;
}

int expandFill(QornContext* ctx, float w, int lineJoin, float miterLimit) {
  PathCache& c = ctx->cache;
  const float aa = ctx->fringeWidth;
  const bool fringe = w > 0.0f;

  calculateJoins(ctx, w, lineJoin, miterLimit);

  int cverts = 0;
  for (int i = 0; i < c.npaths; i++) {
    const QornPath& path = c.paths[i];
    cverts += path.count + path.nbevel + 1;
    if (fringe) cverts += (path.count + path.nbevel * 5 + 1) * 2;
  }
  QornVertex* verts = allocPathVerts(ctx, cverts);
  if (!verts) return 0;

  const bool convex = c.npaths == 1 && c.paths[0].convex;

  for (int i = 0; i < c.npaths; i++) {
    QornPath* path = &c.paths[i];
    Point* pts = &c.points[path->first];
    const float woff = 0.5f * aa;

    QornVertex* dst = verts;
    path->fill = dst;
    if (fringe) {
      // The fill is inset by half a fringe so that fill and fringe meet at the half-coverage line.
      const Point* p0 = path->count > 0 ? &pts[path->count - 1] : pts;
      const Point* p1 = pts;
      for (int j = 0; j < path->count; ++j) {
        if (p1->flags & kPtBevel) {
          if (p1->flags & kPtLeft) {
            dst = vset(dst, p1->x + p1->dmx * woff, p1->y + p1->dmy * woff, 0.5f, 1);
          } else {
            dst = vset(dst, p1->x + p0->dy * woff, p1->y - p0->dx * woff, 0.5f, 1);
            dst = vset(dst, p1->x + p1->dy * woff, p1->y - p1->dx * woff, 0.5f, 1);
          }
        } else {
          dst = vset(dst, p1->x + p1->dmx * woff, p1->y + p1->dmy * woff, 0.5f, 1);
        }
        p0 = p1++;
      }
    } else {
      for (int j = 0; j < path->count; ++j) dst = vset(dst, pts[j].x, pts[j].y, 0.5f, 1);
    }
    path->nfill = static_cast<int>(dst - verts);
    verts = dst;

    if (fringe && path->count > 0) {
      float lw = w + woff;
      const float rw = w - woff;
      float lu = 0;
      const float ru = 1;
      dst = verts;
      path->stroke = dst;
      // A lone convex path is drawn without stencil, so its fringe is only the outer half.
      if (convex) {
        lw = woff;
        lu = 0.5f;
      }
      const Point* p0 = &pts[path->count - 1];
      const Point* p1 = pts;
      for (int j = 0; j < path->count; ++j) {
        if (p1->flags & (kPtBevel | kPtInnerBevel)) {
          dst = bevelJoin(dst, p0, p1, lw, rw, lu, ru);
        } else {
          dst = vset(dst, p1->x + p1->dmx * lw, p1->y + p1->dmy * lw, lu, 1);
          dst = vset(dst, p1->x - p1->dmx * rw, p1->y - p1->dmy * rw, ru, 1);
        }
        p0 = p1++;
      }
      dst = vset(dst, verts[0].x, verts[0].y, lu, 1);
      dst = vset(dst, verts[1].x, verts[1].y, ru, 1);
      path->nstroke = static_cast<int>(dst - verts);
      verts = dst;
    } else {
      path->stroke = nullptr;
      path->nstroke = 0;
    }
  }
  return 1;
}

int expandStroke(QornContext* ctx, float w, float fringe, int lineCap, int lineJoin, float miterLimit) {
  PathCache& c = ctx->cache;
  const float aa = fringe;
  float u0 = 0.0f, u1 = 1.0f;
  w += aa * 0.5f;
  // Without anti-aliasing the coverage gradient across the stroke is switched off.
  if (aa == 0.0f) {
    u0 = 0.5f;
    u1 = 0.5f;
  }

  calculateJoins(ctx, w, lineJoin, miterLimit);

  int cverts = 0;
  for (int i = 0; i < c.npaths; i++) {
    const QornPath& path = c.paths[i];
    cverts += (path.count + path.nbevel * 5 + 1) * 2;
    if (!path.closed) cverts += (3 + 3) * 2;
  }
  QornVertex* verts = allocPathVerts(ctx, cverts);
  if (!verts) return 0;

  for (int i = 0; i < c.npaths; i++) {
    QornPath* path = &c.paths[i];
    Point* pts = &c.points[path->first];
    path->fill = nullptr;
    path->nfill = 0;
    QornVertex* dst = verts;
    path->stroke = dst;
    // A single point has no direction to stroke along.
    if (path->count < 2) {
      path->nstroke = 0;
      continue;
    }

    const bool loop = path->closed != 0;
    const Point* p0;
    const Point* p1;
    int s, e;
    if (loop) {
      p0 = &pts[path->count - 1];
      p1 = &pts[0];
      s = 0;
      e = path->count;
    } else {
      p0 = &pts[0];
      p1 = &pts[1];
      s = 1;
      e = path->count - 1;
      float dx = p1->x - p0->x, dy = p1->y - p0->y;
      normalize(&dx, &dy);
      if (lineCap == QORN_SQUARE)
        dst = capStart(dst, p0, dx, dy, w, w - aa, aa, u0, u1);
      else
        dst = capStart(dst, p0, dx, dy, w, -aa * 0.5f, aa, u0, u1);
    }

    for (int j = s; j < e; ++j) {
      if (p1->flags & (kPtBevel | kPtInnerBevel)) {
        dst = bevelJoin(dst, p0, p1, w, w, u0, u1);
      } else {
        dst = vset(dst, p1->x + p1->dmx * w, p1->y + p1->dmy * w, u0, 1);
        dst = vset(dst, p1->x - p1->dmx * w, p1->y - p1->dmy * w, u1, 1);
      }
      p0 = p1++;
    }

    if (loop) {
      dst = vset(dst, verts[0].x, verts[0].y, u0, 1);
      dst = vset(dst, verts[1].x, verts[1].y, u1, 1);
    } else {
      float dx = p1->x - p0->x, dy = p1->y - p0->y;
      normalize(&dx, &dy);
      if (lineCap == QORN_SQUARE)
        dst = capEnd(dst, p1, dx, dy, w, w - aa, aa, u0, u1);
      else
        dst = capEnd(dst, p1, dx, dy, w, -aa * 0.5f, aa, u0, u1);
    }
    path->nstroke = static_cast<int>(dst - verts);
    verts = dst;
  }
  return 1;
}

}  // namespace qorn
