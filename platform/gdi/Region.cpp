#include "platform/gdi/Region.h"

#include <cmath>

#include "platform/gdi/GdiTypes.h"

namespace kiv {
namespace gdi {

namespace {

struct Span {
  LONG x0;
  LONG x1;
  bool operator==(const Span& o) const { return x0 == o.x0 && x1 == o.x1; }
};

// Appends bands in increasing y order and keeps the representation's
// invariant: empty bands dropped, equal neighbouring bands merged.
class BandWriter {
 public:
  explicit BandWriter(std::vector<RECT>* out) : out_(out) {}

  // spans sorted, disjoint and non-touching.
  void Add(LONG top, LONG bottom, const std::vector<Span>& spans) {
    if (top >= bottom || spans.empty()) return;
    if (lastCount_ > 0 && lastBottom_ == top && SameAsLast(spans)) {
      for (size_t i = out_->size() - lastCount_; i < out_->size(); ++i) (*out_)[i].bottom = bottom;
      lastBottom_ = bottom;
      return;
    }
    for (const Span& s : spans) out_->push_back(RECT{s.x0, top, s.x1, bottom});
    lastCount_ = spans.size();
    lastBottom_ = bottom;
  }

 private:
  bool SameAsLast(const std::vector<Span>& spans) const {
    if (spans.size() != lastCount_) return false;
    size_t base = out_->size() - lastCount_;
    for (size_t i = 0; i < spans.size(); ++i) {
      const RECT& r = (*out_)[base + i];
      if (r.left != spans[i].x0 || r.right != spans[i].x1) return false;
    }
    return true;
  }

  std::vector<RECT>* out_;
  size_t lastCount_ = 0;
  LONG lastBottom_ = 0;
};

// Sorts and merges overlapping or touching spans.
void Normalise(std::vector<Span>* spans) {
  std::sort(spans->begin(), spans->end(), [](const Span& a, const Span& b) { return a.x0 < b.x0; });
  std::vector<Span> merged;
  for (const Span& s : *spans) {
    if (s.x0 >= s.x1) continue;
    if (!merged.empty() && s.x0 <= merged.back().x1) {
      merged.back().x1 = std::max(merged.back().x1, s.x1);
    } else {
      merged.push_back(s);
    }
  }
  spans->swap(merged);
}

// The spans of a banded rectangle list at band [y, ...): rects of the band
// starting at index *pos whose top <= y < bottom. Advances *pos past bands
// that end at or before y.
std::vector<Span> SpansAt(const std::vector<RECT>& rects, size_t* pos, LONG y) {
  while (*pos < rects.size() && rects[*pos].bottom <= y) ++*pos;
  std::vector<Span> spans;
  size_t i = *pos;
  if (i < rects.size() && rects[i].top <= y) {
    LONG top = rects[i].top;
    while (i < rects.size() && rects[i].top == top) {
      spans.push_back(Span{rects[i].left, rects[i].right});
      ++i;
    }
  }
  return spans;
}

std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b, int mode) {
  std::vector<LONG> xs;
  for (const Span& s : a) { xs.push_back(s.x0); xs.push_back(s.x1); }
  for (const Span& s : b) { xs.push_back(s.x0); xs.push_back(s.x1); }
  std::sort(xs.begin(), xs.end());
  xs.erase(std::unique(xs.begin(), xs.end()), xs.end());
  std::vector<Span> out;
  size_t ia = 0, ib = 0;
  for (size_t k = 0; k + 1 < xs.size(); ++k) {
    LONG x = xs[k];
    while (ia < a.size() && a[ia].x1 <= x) ++ia;
    while (ib < b.size() && b[ib].x1 <= x) ++ib;
    bool inA = ia < a.size() && a[ia].x0 <= x;
    bool inB = ib < b.size() && b[ib].x0 <= x;
    bool in = false;
    switch (mode) {
      case RGN_AND: in = inA && inB; break;
      case RGN_OR: in = inA || inB; break;
      case RGN_XOR: in = inA != inB; break;
      case RGN_DIFF: in = inA && !inB; break;
      default: in = inA; break;
    }
    if (!in) continue;
    if (!out.empty() && out.back().x1 == x) {
      out.back().x1 = xs[k + 1];
    } else {
      out.push_back(Span{x, xs[k + 1]});
    }
  }
  return out;
}

std::vector<RECT> CombineRects(const std::vector<RECT>& a, const std::vector<RECT>& b, int mode) {
  std::vector<LONG> ys;
  for (const RECT& r : a) { ys.push_back(r.top); ys.push_back(r.bottom); }
  for (const RECT& r : b) { ys.push_back(r.top); ys.push_back(r.bottom); }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  std::vector<RECT> out;
  BandWriter writer(&out);
  size_t pa = 0, pb = 0;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    std::vector<Span> sa = SpansAt(a, &pa, ys[k]);
    std::vector<Span> sb = SpansAt(b, &pb, ys[k]);
    if (sa.empty() && sb.empty()) continue;
    writer.Add(ys[k], ys[k + 1], CombineSpans(sa, sb, mode));
  }
  return out;
}

// Half-width of the ellipse of radii (rx, ry) at vertical distance dy from
// its centre; negative outside.
double EllipseHalfWidth(double rx, double ry, double dy) {
  double t = dy / ry;
  if (t <= -1.0 || t >= 1.0) return -1.0;
  return rx * std::sqrt(1.0 - t * t);
}

// Pixels [x0, x1) whose centres lie within [a, b].
Span CentresWithin(double a, double b) {
  return Span{static_cast<LONG>(std::ceil(a - 0.5)), static_cast<LONG>(std::floor(b - 0.5)) + 1};
}

}  // namespace

Region::Region(const RECT& r) {
  if (r.right > r.left && r.bottom > r.top) rects_.push_back(r);
}

Region Region::FromRect(LONG left, LONG top, LONG right, LONG bottom) {
  return Region(RECT{left, top, right, bottom});
}

Region Region::Ellipse(const RECT& box) {
  CRect b(box);
  b.NormalizeRect();
  Region region;
  if (b.IsRectEmpty()) return region;
  double cx = (b.left + b.right) / 2.0, cy = (b.top + b.bottom) / 2.0;
  double rx = b.Width() / 2.0, ry = b.Height() / 2.0;
  BandWriter writer(&region.rects_);
  for (LONG y = b.top; y < b.bottom; ++y) {
    double half = EllipseHalfWidth(rx, ry, y + 0.5 - cy);
    if (half < 0) continue;
    Span s = CentresWithin(cx - half, cx + half);
    if (s.x0 < s.x1) writer.Add(y, y + 1, {s});
  }
  return region;
}

Region Region::RoundRect(const RECT& box, LONG ellipseW, LONG ellipseH) {
  CRect b(box);
  b.NormalizeRect();
  Region region;
  if (b.IsRectEmpty()) return region;
  double ew = std::min<double>(std::abs(ellipseW), b.Width());
  double eh = std::min<double>(std::abs(ellipseH), b.Height());
  if (ew < 1 || eh < 1) return Region(b);
  double rx = ew / 2.0, ry = eh / 2.0;
  BandWriter writer(&region.rects_);
  for (LONG y = b.top; y < b.bottom; ++y) {
    double yc = y + 0.5;
    double dy = 0;
    if (yc < b.top + ry) dy = b.top + ry - yc;
    else if (yc > b.bottom - ry) dy = yc - (b.bottom - ry);
    double inset = 0;
    if (dy > 0) {
      double half = EllipseHalfWidth(rx, ry, dy);
      if (half < 0) continue;
      inset = rx - half;
    }
    Span s = CentresWithin(b.left + inset, b.right - inset);
    if (s.x0 < s.x1) writer.Add(y, y + 1, {s});
  }
  return region;
}

Region Region::Polygon(const POINT* points, int count, int fillMode) {
  Region region;
  if (points == nullptr || count < 3) return region;
  LONG minY = points[0].y, maxY = points[0].y;
  for (int i = 1; i < count; ++i) {
    minY = std::min(minY, points[i].y);
    maxY = std::max(maxY, points[i].y);
  }
  BandWriter writer(&region.rects_);
  struct Crossing { double x; int dir; };
  std::vector<Crossing> crossings;
  for (LONG y = minY; y < maxY; ++y) {
    double yc = y + 0.5;
    crossings.clear();
    for (int i = 0; i < count; ++i) {
      const POINT& p = points[i];
      const POINT& q = points[(i + 1) % count];
      if (p.y == q.y) continue;
      bool down = q.y > p.y;
      double y0 = down ? p.y : q.y, y1 = down ? q.y : p.y;
      if (yc < y0 || yc >= y1) continue;
      double x = p.x + (yc - p.y) * (q.x - p.x) / static_cast<double>(q.y - p.y);
      crossings.push_back(Crossing{x, down ? 1 : -1});
    }
    std::sort(crossings.begin(), crossings.end(),
              [](const Crossing& a, const Crossing& b) { return a.x < b.x; });
    std::vector<Span> spans;
    int winding = 0;
    for (size_t k = 0; k + 1 < crossings.size(); ++k) {
      winding += crossings[k].dir;
      bool inside = fillMode == WINDING ? winding != 0 : (k % 2 == 0);
      if (!inside) continue;
      // Pixels whose centres lie in [x_k, x_k+1).
      LONG x0 = static_cast<LONG>(std::ceil(crossings[k].x - 0.5));
      LONG x1 = static_cast<LONG>(std::ceil(crossings[k + 1].x - 0.5));
      spans.push_back(Span{x0, x1});
    }
    Normalise(&spans);
    writer.Add(y, y + 1, spans);
  }
  return region;
}

Region Region::FromRects(const std::vector<RECT>& rects) {
  std::vector<LONG> ys;
  for (const RECT& r : rects) {
    if (r.right <= r.left || r.bottom <= r.top) continue;
    ys.push_back(r.top);
    ys.push_back(r.bottom);
  }
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  Region region;
  BandWriter writer(&region.rects_);
  std::vector<Span> spans;
  for (size_t k = 0; k + 1 < ys.size(); ++k) {
    spans.clear();
    for (const RECT& r : rects) {
      if (r.right > r.left && r.top <= ys[k] && r.bottom > ys[k]) spans.push_back(Span{r.left, r.right});
    }
    Normalise(&spans);
    writer.Add(ys[k], ys[k + 1], spans);
  }
  return region;
}

int Region::Kind() const {
  if (rects_.empty()) return NULLREGION;
  return rects_.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

CRect Region::Bounds() const {
  if (rects_.empty()) return CRect();
  CRect b(rects_.front());
  for (const RECT& r : rects_) {
    b.left = std::min(b.left, r.left);
    b.right = std::max(b.right, r.right);
  }
  b.bottom = rects_.back().bottom;
  return b;
}

bool Region::Contains(LONG x, LONG y) const {
  for (const RECT& r : rects_) {
    if (r.top > y) break;
    if (y < r.bottom && x >= r.left && x < r.right) return true;
  }
  return false;
}

bool Region::Intersects(const RECT& q) const {
  if (q.right <= q.left || q.bottom <= q.top) return false;
  for (const RECT& r : rects_) {
    if (r.top >= q.bottom) break;
    if (r.bottom > q.top && r.right > q.left && r.left < q.right) return true;
  }
  return false;
}

void Region::Offset(LONG dx, LONG dy) {
  for (RECT& r : rects_) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  }
}

Region Region::Offsetted(LONG dx, LONG dy) const {
  Region copy(*this);
  copy.Offset(dx, dy);
  return copy;
}

Region Region::Combine(const Region& o, int mode) const {
  if (mode == RGN_COPY) return *this;
  Region result;
  // Fast paths for the window system's most common cases.
  if (mode == RGN_AND && (rects_.empty() || o.rects_.empty())) return result;
  if (mode == RGN_OR || mode == RGN_XOR) {
    if (rects_.empty()) return o;
    if (o.rects_.empty()) return *this;
  }
  if (mode == RGN_DIFF && (rects_.empty() || o.rects_.empty())) return *this;
  result.rects_ = CombineRects(rects_, o.rects_, mode);
  return result;
}

Region Region::Union(const Region& o) const { return Combine(o, RGN_OR); }
Region Region::Intersect(const Region& o) const { return Combine(o, RGN_AND); }
Region Region::Subtract(const Region& o) const { return Combine(o, RGN_DIFF); }
Region Region::Xor(const Region& o) const { return Combine(o, RGN_XOR); }

bool Region::operator==(const Region& o) const {
  if (rects_.size() != o.rects_.size()) return false;
  for (size_t i = 0; i < rects_.size(); ++i) {
    if (CRect(rects_[i]) != o.rects_[i]) return false;
  }
  return true;
}

}  // namespace gdi
}  // namespace kiv
