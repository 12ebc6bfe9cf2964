#include "ui/fast_cobweb.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace {

inline void Segment(std::uint32_t* base, std::ptrdiff_t stride, int x0, int y0, int x1, int y1,
                    std::uint32_t c) {
  const int dx = x1 - x0;
  const int dy = std::abs(y1 - y0);
  const std::ptrdiff_t sy = y1 >= y0 ? stride : -stride;
  std::uint32_t* p = base + y0 * stride + x0;
  if (dx >= dy) {
    int err = 2 * dy - dx;
    for (int i = 0; i <= dx; ++i) {
      *p = c;
      ++p;
      if (err > 0) {
        p += sy;
        err -= 2 * dx;
      }
      err += 2 * dy;
    }
  } else {
    int err = 2 * dx - dy;
    for (int i = 0; i <= dy; ++i) {
      *p = c;
      p += sy;
      if (err > 0) {
        ++p;
        err -= 2 * dy;
      }
      err += 2 * dx;
    }
  }
}

// Bands first, first + step, ... below last.
void DrawBands(std::uint32_t* base, std::ptrdiff_t stride, const TCobwebLines& lines, int first,
               int last, int step) {
  const int n = lines.count;
  for (int k = first; k < last; k += step) {
    const int xa = lines.x[static_cast<std::size_t>(k)];
    const int xb = lines.x[static_cast<std::size_t>(k + 1)];
    const int* ya = lines.y.data() + static_cast<std::ptrdiff_t>(k) * n;
    const int* yb = ya + n;
    for (int j = 0; j < n; ++j)
      Segment(base, stride, xa, ya[j], xb, yb[j], lines.colour[static_cast<std::size_t>(j)]);
  }
}

}  // namespace

void DrawCobwebLines(QImage& image, const TCobwebLines& lines, int yMin, int yMax, int threads) {
  const int axes = static_cast<int>(lines.x.size());
  if (axes < 2 || lines.count <= 0 || image.format() != QImage::Format_RGB32) return;
  yMin = std::max(yMin, 0);
  yMax = std::min(yMax, image.height() - 1);
  if (yMin > yMax || lines.x.front() < 0 || lines.x.back() >= image.width()) return;
  // Rows outside the plot are clamped into it.
  TCobwebLines clamped;
  const TCobwebLines* use = &lines;
  if (std::any_of(lines.y.begin(), lines.y.end(), [&](int y) { return y < yMin || y > yMax; })) {
    clamped = lines;
    for (int& y : clamped.y) y = std::clamp(y, yMin, yMax);
    use = &clamped;
  }
  auto* base = reinterpret_cast<std::uint32_t*>(image.bits());
  const std::ptrdiff_t stride = image.bytesPerLine() / 4;
  const int bands = axes - 1;
  threads = std::clamp(threads, 1, bands);
  if (threads == 1) {
    DrawBands(base, stride, *use, 0, bands, 1);
    return;
  }
  // Even bands share no column with each other, nor odd ones: two rounds, each
  // spread over the threads, never write one pixel from two threads.
  for (int parity = 0; parity < 2; ++parity) {
    const int count = (bands - parity + 1) / 2;  // bands of this parity
    const int used = std::min(threads, count);
    std::vector<std::thread> pool;
    for (int t = 0; t < used; ++t) {
      const int first = parity + 2 * (count * t / used);
      const int last = parity + 2 * (count * (t + 1) / used);
      pool.emplace_back([=] { DrawBands(base, stride, *use, first, std::min(last, bands), 2); });
    }
    for (auto& th : pool) th.join();
  }
}
