#include "app/window/Background.h"

#include <new>

#include "app/install/DistributionFiles.h"
#include "imagelib/ImageOps.h"
#include "imagelib/OpenImage.h"
#include "toolkit/files/qvPicture.h"

qvRect PanelOf(const qvRect& client) {
  return qvRect(client.GetLeft() + 25, client.GetTop() + 60, client.GetRight() - 25, client.GetBottom() - 60);
}

qvPicture* MakeBackground(const DistributionFile& picture, const qvRect& client, const qvRect& panel) {
  RasterImage image;
  // A picture for a larger scale than the window's is decoded reduced,
  // close to the window's size, and resampled from there.
  if (!picture.read || !picture.whole ||
      !DecodeImageAtLeast(&image, picture.name.c_str(), reinterpret_cast<const uint8_t*>(picture.bytes.data()),
                          picture.bytes.size(), client.GetWidth(), client.GetHeight()) ||
      GetImageWidth(&image) <= 0 || GetImageHeight(&image) <= 0)
    return nullptr;
  FlipImageVertically(&image);
  // A picture of another size is fitted to the window: drawn at its own
  // size it would leave the panel and the captions over different parts.
  RasterImage fitted;
  RasterImage* shown = &image;
  const int width = client.GetWidth(), height = client.GetHeight();
  if (width > 0 && height > 0 && (image.width != width || image.height != height)) {
    if (!TryAllocatePixels(&fitted, width, height, image.type) || ResampleImage(&fitted, &image) != 0)
      return nullptr;
    shown = &fitted;
  }
  LightenRectangle(panel, shown);
  try {
    return ImageToPicture(shown, nullptr);
  } catch (int) {  // the platform refused the bitmap
    return nullptr;
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
