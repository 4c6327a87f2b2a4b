// qvPicture: the toolkit's drawable picture. Its pixels are either a 24-bit
// bitmap section of its own (top row first) or a bitmap resource of the
// program's module read in place (bottom row first); either way it draws
// itself onto a device with SetDIBitsToDevice. Windows keep one as their
// background; the installer's comes from "bkgd.jpg" through ImageToPicture.
// The picture owns its bitmap section and its loaded resource.
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/draw/qvRect.h"
#include "toolkit/files/BitmapRows.h"

class qvDevice;
class ThumbnailStream;
struct RasterImage;
struct PixelStore;

class qvPicture {
public:
  // The bitmap resource resourceId of the toolkit's module; 0 or a missing
  // resource gives a picture without pixels.
  explicit qvPicture(int resourceId);
  // An own bitmap of width x height; throws the int -1 when the platform
  // refuses it.
  qvPicture(int width, int height);
  qvPicture(const qvPicture&) = delete;
  qvPicture& operator=(const qvPicture&) = delete;

  virtual ~qvPicture();
  // An own bitmap is drawn once with its top-left corner at (x, y). A
  // resource is tiled along x over span pixels (0: one bitmap width), the
  // last tile moved back to end exactly at x + span. Returns non-zero.
  virtual int DrawAt(qvDevice& device, int x, int y, int span);
  // DrawAt for a window at dpi: a resource's tiles are stretched to
  // dpi / 96 of their size (rounded), the last one again ending exactly at
  // x + span. An own bitmap, and any picture at 96 DPI, draws as DrawAt.
  int DrawScaledAt(qvDevice& device, int x, int y, int span, int dpi);
  // Copies the source rectangle unscaled to the destination's top-left.
  virtual bool DrawRect(qvDevice& device, const qvRect& source, const qvRect& destination);
  // The thumbnail of the own bitmap (Thumbnail.h): the readers expect the
  // bitmap to have been made at the size the stream's header announced.
  // Each returns 0, or -1 without an own bitmap or on a failure.
  virtual int ReadThumbnailPixels(ThumbnailStream& stream, bool binary, bool fourBytes);
  virtual int ReadJpegThumbnail(ThumbnailStream& stream, bool binary);
  virtual int WriteThumbnail(ThumbnailStream& stream, bool binary, bool jpeg);
  // Pixel (x, y), y from the top, of a 16-, 24- or 32-bit picture; null
  // without pixels or outside the picture.
  virtual uint8_t* PixelAddress(int x, int y);
  virtual void LoadBitmapResource(int resourceId, bool convert);
  // The image file at path averaged into a width x height picture; black
  // where the file cannot be read.
  virtual void LoadImageFile(const char* path, int width, int height);
  virtual void Reset();
  virtual void ReleaseResource();
  virtual void ReleaseBitmap();
  virtual uint8_t* ResourceBits();
  virtual int ColorTableSize();
  virtual int ColorsUsed();

  // Height in pixels of whichever pixels the picture has.
  int PixelHeight();
  int PixelWidth();
  // The own bitmap's rows; empty without one.
  BitmapRows Rows() const;

  int32_t height = 0;           // of the own bitmap, 0 without one
  int32_t width = 0;
  HGLOBAL resource = nullptr;   // owned; the loaded bitmap resource
  int32_t resourceId = 0;
  uint8_t hasBitmap = 0;
  HBITMAP bitmap = nullptr;     // owned
  uint8_t* bits = nullptr;      // the section's pixels, rows padded to 4 bytes
  BITMAPINFOHEADER header = {};

protected:
  void CreateBitmap(int width, int depth, int height);

private:
  // What the resource's header says, read once when the resource is
  // loaded: a BITMAPINFOHEADER or the older BITMAPCOREHEADER.
  struct ResourceLayout {
    const uint8_t* data = nullptr;  // not owned: the locked resource
    int32_t width = 0;
    int32_t height = 0;  // negative for a top-down bitmap
    int depth = 0;
    int headerSize = 0;
    int colorsUsed = 0;
  };

  void LoadResource();
  // The resource's layout, or null without a readable resource.
  const ResourceLayout* Layout() const { return layout.data ? &layout : nullptr; }

  ResourceLayout layout;
};

// The picture of a top-row-first image, alpha types blended over the same
// pixels of background when one is given (else multiplied by their alpha).
// The caller owns the result.
qvPicture* ImageToPicture(RasterImage* image, PixelStore* background);
