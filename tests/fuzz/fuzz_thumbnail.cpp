// Fuzz entry point of the picture thumbnail readers: the header, then the
// pixels or JPEG stream into a picture of the announced size; pixel forms
// are read both as three and as four bytes per pixel. A thumbnail that reads
// is written again in its own layout.
#include <cstddef>
#include <cstdint>

#include "toolkit/files/BitmapRows.h"
#include "toolkit/files/Thumbnail.h"
#include "toolkit/files/ThumbnailStream.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  for (bool fourBytes : {false, true}) {
    MemoryThumbnailStream in(data, size);
    int32_t width = 0, height = 0;
    bool binary = false, jpeg = false;
    if (!ReadThumbnailHeader(in, &width, &height, &binary, &jpeg)) return 0;
    if (jpeg && fourBytes) return 0;
    BitmapBuffer picture;
    if (!picture.Make(width, height)) return 0;
    const int read = jpeg ? ReadJpegThumbnail(in, picture.Rows(), binary)
                          : ReadThumbnailPixels(in, picture.Rows(), binary, fourBytes);
    if (read == 0 && int64_t{width} * height <= (1 << 16)) {
      MemoryThumbnailStream out;
      WriteThumbnail(out, picture.Rows(), binary, jpeg);
    }
  }
  return 0;
}
