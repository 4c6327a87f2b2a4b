// The operations the rest of the system applies to a whole RasterImage:
// area-weighted resampling (pictures loaded at a requested size), vertical
// flipping (readers give bottom-row-first images, pictures want top row
// first) and the lightened panel the installer paints behind its steps.
// They work in place or between records the caller owns; an image without
// pixels is left alone.
#pragma once

#include "imagelib/RasterImage.h"

// A rectangle of pixels with all four edges inclusive.
struct ImageRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// Averages the whole source into the whole destination, whose size and type
// are already set: each source pixel adds its colour to every destination
// pixel its square overlaps, weighted by the overlapping area, so enlarging
// repeats pixels and shrinking averages them. Returns 0, or -1 without
// writing anything when either image has no pixels or the working memory
// (a few rows' worth) cannot be had.
int ResampleImage(RasterImage* destination, const RasterImage* source);

// Turns the image upside down, in place. Returns 0, or -1 for an empty
// record.
int FlipImageVertically(RasterImage* image);

// Pixels of the rectangle's outline become grey (128, 128, 128); pixels
// strictly inside get each of red, green and blue mapped from c to
// trunc(c / 2 + 128); with alpha, the alpha becomes 255. Only the part of the
// rectangle inside the image is touched, and only RGB and RGBA byte images.
void LightenRectangle(const ImageRect& rect, RasterImage* image);

// The same for any rectangle read through GetLeft, GetTop, GetRight and
// GetBottom, such as the toolkit's qvRect; its right and bottom edges count
// as inclusive here.
template <class Rect>
void LightenRectangle(const Rect& rect, RasterImage* image) {
  ImageRect edges;
  edges.left = rect.GetLeft();
  edges.top = rect.GetTop();
  edges.right = rect.GetRight();
  edges.bottom = rect.GetBottom();
  LightenRectangle(edges, image);
}
