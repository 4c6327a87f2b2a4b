#include "imagelib/ImageOps.h"

#include <algorithm>
#include <new>
#include <vector>

#include "imagelib/PixelAccess.h"

namespace {

bool HasPixels(const RasterImage* image) {
  const PixelStore* store = image->store;
  return store && store->width > 0 && store->height > 0 && image->type < kPixelNone;
}

// The part of the source pixel's square [low, high) that falls into the
// destination cell [cell, cell + 1).
double Overlap(double low, double high, int cell) {
  double w = 1.0;
  if (low > cell) w -= low - cell;
  if (high < cell + 1) w -= cell + 1 - high;
  return w;
}

// The destination cells one source pixel's square covers along one axis:
// the square [low, high) and the first and last cell it touches.
struct Span {
  double low, high;
  int first, last;
};

// The spans of source cells 0 .. sourceCount - 1 scaled onto destCount cells.
std::vector<Span> Spans(int sourceCount, int destCount) {
  std::vector<Span> spans(static_cast<size_t>(sourceCount));
  for (int s = 0; s < sourceCount; ++s) {
    Span& span = spans[size_t(s)];
    span.low = double(s) * destCount / sourceCount;
    span.high = double(s + 1) * destCount / sourceCount;
    span.first = std::max(0, int(span.low));
    span.last = std::min(int(span.high), destCount - 1);
  }
  return spans;
}

// The overlaps of one source column with the destination columns it
// covers, worked out once for every row.
struct ColumnWeights {
  std::vector<int> first;       // per source column: its first destination column
  std::vector<int> count;       // and how many it covers
  std::vector<size_t> start;    // where its overlaps begin in `overlap`
  std::vector<double> overlap;
};

ColumnWeights WeighColumns(const std::vector<Span>& columns) {
  ColumnWeights w;
  w.first.reserve(columns.size());
  w.count.reserve(columns.size());
  w.start.reserve(columns.size());
  for (const Span& span : columns) {
    w.first.push_back(span.first);
    w.count.push_back(std::max(0, span.last - span.first + 1));
    w.start.push_back(w.overlap.size());
    for (int i = span.first; i <= span.last; ++i) w.overlap.push_back(Overlap(span.low, span.high, i));
  }
  return w;
}

// A source row in ColorF. 8-bit RGB and RGBA are read straight from the
// row, with the conversion GetPixelColor applies (the same floats), rather
// than through a call per pixel.
void ReadRow(const RasterImage* source, int y, bool bytes, std::vector<ColorF>& line) {
  const int width = source->store->width;
  if (!bytes) {
    for (int x = 0; x < width; ++x) GetPixelColor(source, x, y, &line[size_t(x)]);
    return;
  }
  const bool alpha = source->type == kPixelRgba8;
  const uint8_t* p = source->store->Pixel(0, y);
  for (int x = 0; x < width; ++x, p += alpha ? 4 : 3)
    line[size_t(x)] = {p[0] * kComponentPerByte, p[1] * kComponentPerByte, p[2] * kComponentPerByte,
                       alpha ? p[3] * kComponentPerByte : 1.0f};
}

// A destination row from its sums, as SetPixelColor would write each.
void WriteRow(RasterImage* destination, int y, bool bytes, const std::vector<ColorF>& sums) {
  const int width = destination->store->width;
  if (!bytes) {
    for (int x = 0; x < width; ++x) SetPixelColor(destination, x, y, sums[size_t(x)]);
    return;
  }
  const bool alpha = destination->type == kPixelRgba8;
  uint8_t* q = destination->store->Pixel(0, y);
  for (int x = 0; x < width; ++x, q += alpha ? 4 : 3) {
    const ColorF& sum = sums[size_t(x)];
    q[0] = ComponentToByte(sum.red);
    q[1] = ComponentToByte(sum.green);
    q[2] = ComponentToByte(sum.blue);
    if (alpha) q[3] = ComponentToByte(sum.alpha);
  }
}

bool BytePixels(const RasterImage* image) {
  return (image->type == kPixelRgb8 || image->type == kPixelRgba8) &&
         image->store->bytesPerPixel == BytesPerPixel(image->type);
}

}  // namespace

// The destination is made one row at a time: every source row whose span
// covers row j adds its pixels to one row of sums, in source order, so each
// destination pixel sums the same terms in the same order as a whole-image
// accumulator would, while the working memory stays one row.
int ResampleImage(RasterImage* destination, const RasterImage* source) {
  if (!HasPixels(destination) || !HasPixels(source)) return -1;
  const int sw = source->store->width;
  const int sh = source->store->height;
  const int dw = destination->store->width;
  const int dh = destination->store->height;

  std::vector<Span> rows;
  ColumnWeights columns;
  std::vector<ColorF> line, sums;
  try {
    rows = Spans(sh, dh);
    columns = WeighColumns(Spans(sw, dw));
    line.resize(size_t(sw));
    sums.resize(size_t(dw));
  } catch (const std::bad_alloc&) {
    return -1;
  }
  const bool bytes = source->type == destination->type && BytePixels(source) && BytePixels(destination);
  // RGB is written without its alpha, so its sum is not kept.
  const bool keepAlpha = destination->type != kPixelRgb8;

  int firstSource = 0;
  for (int j = 0; j < dh; ++j) {
    std::fill(sums.begin(), sums.end(), ColorF{});
    // Spans only move down: rows that ended above j never return.
    while (firstSource < sh && rows[size_t(firstSource)].last < j) ++firstSource;
    for (int y = firstSource; y < sh && rows[size_t(y)].first <= j; ++y) {
      const double h = Overlap(rows[size_t(y)].low, rows[size_t(y)].high, j);
      ReadRow(source, y, bytes, line);
      for (int x = 0; x < sw; ++x) {
        const ColorF& c = line[size_t(x)];
        const double* overlap = columns.overlap.data() + columns.start[size_t(x)];
        ColorF* sum = &sums[size_t(columns.first[size_t(x)])];
        for (int k = 0, n = columns.count[size_t(x)]; k < n; ++k, ++sum) {
          const double weight = h * overlap[k];
          sum->red += float(weight * c.red);
          sum->green += float(weight * c.green);
          sum->blue += float(weight * c.blue);
          if (keepAlpha) sum->alpha += float(weight * c.alpha);
        }
      }
    }
    WriteRow(destination, j, bytes, sums);
  }
  return 0;
}

int FlipImageVertically(RasterImage* image) {
  if (!image->store || image->type >= kPixelNone) return -1;
  PixelStore* store = image->store;
  const size_t rowBytes = store->RowBytes();
  for (int32_t j = 0, k = store->height - 1; j < k; ++j, --k) {
    uint8_t* a = store->Pixel(0, j);
    std::swap_ranges(a, a + rowBytes, store->Pixel(0, k));
  }
  return 0;
}

void LightenRectangle(const ImageRect& rect, RasterImage* image) {
  if (!HasPixels(image)) return;
  if (image->type != kPixelRgb8 && image->type != kPixelRgba8) return;
  PixelStore* store = image->store;
  const int bpp = store->bytesPerPixel;
  if (bpp != BytesPerPixel(image->type)) return;

  // Walk only the part inside the image; the outline still lies on the
  // rectangle's own edges, which may be outside. 64 bits keep left + 1 and
  // right - 1 from overflowing.
  const int64_t x0 = std::max<int64_t>(rect.left, 0);
  const int64_t x1 = std::min<int64_t>(rect.right, store->width - 1);
  const int64_t y0 = std::max<int64_t>(rect.top, 0);
  const int64_t y1 = std::min<int64_t>(rect.bottom, store->height - 1);
  const int64_t inner0 = std::max<int64_t>(x0, int64_t{rect.left} + 1);
  const int64_t inner1 = std::min<int64_t>(x1, int64_t{rect.right} - 1);

  auto grey = [bpp](uint8_t* p) {
    p[0] = p[1] = p[2] = 128;
    if (bpp == 4) p[3] = 255;
  };
  for (int64_t y = y0; y <= y1; ++y) {
    uint8_t* row = store->Pixel(0, int32_t(y));
    if (y == rect.top || y == rect.bottom) {
      for (int64_t x = x0; x <= x1; ++x) grey(row + x * bpp);
      continue;
    }
    if (rect.left >= x0 && rect.left <= x1) grey(row + int64_t{rect.left} * bpp);
    if (rect.right >= x0 && rect.right <= x1) grey(row + int64_t{rect.right} * bpp);
    // trunc(c * 0.5 + 128) is exactly c / 2 + 128 in integers.
    for (int64_t x = inner0; x <= inner1; ++x) {
      uint8_t* p = row + x * bpp;
      p[0] = uint8_t((p[0] >> 1) + 128);
      p[1] = uint8_t((p[1] >> 1) + 128);
      p[2] = uint8_t((p[2] >> 1) + 128);
      if (bpp == 4) p[3] = 255;
    }
  }
}
